#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "service/bsky_client.h"
#include "service/bsky_translator.h"
#include "workspace/engine/capture_result.h"
#include "workspace/engine/capture_run.h"

namespace marlin {

// The captures of the second service (Bluesky): the same kinds and the same records as the first
// service's, asked for with its calls. Each answer goes to the run (the archive, the raw response
// box, the last outcome) as it came, and into the record sets as the page BskyTranslator makes of it.
//   Search, Update, ContinueBack   searchPosts, newest first by cursor; one query answers at most about
//       10,000 posts, so when its cursor ends the search asks again below the oldest post held (until),
//       until a query brings nothing new. Posts of the seam's millisecond come twice and are known by
//       their ids: no double, no gap.
//   Timelines, Timeline            getAuthorFeed of each account, reposts kept (a row of the reposter)
//   Lookup                         getProfiles, 25 accounts a request
//   Followers, Friends             getFollowers, getFollows by cursor
//   Sample                         getAuthorFeed of each account alone, back to the threshold, at most
//                                  limits.maxRecords posts (the user table's behavioural statistics)
// Count and the captures by the first service's post ids have no call of this service: each
// says so and ends as failed.
class BskyCapture {
  public:
    // A new session for one whose refresh the service refused; may be empty.
    using Renewal = std::function<BskyOutcome()>;
    static constexpr int kQuotaLow = 10;  // the wait for the next window starts below this many requests
    static constexpr const char* kNoCount =
        "Bluesky has no count of posts (no volume estimate): run the search itself, it costs nothing";
    static constexpr const char* kNoCall =
        "Bluesky has no call for this capture: it reads posts by the first service's ids and operators";

    BskyCapture(CaptureRun& run, BskyClient& client, const Renewal& renewal)
        : m_run(run), m_client(client), m_renewal(renewal) {}

    CaptureResult Run();
    // Whether this service has a call for the kind of capture.
    static bool HasCall(CaptureKind kind);

    // The answer of the second service as the run's outcome of a request.
    static RequestOutcome Outcome(const BskyOutcome& outcome, const BskyQuota& quota, const std::string& url);

  private:
    bool Search();
    void Timelines();
    void Samples();
    bool Timeline(const std::string& actor, const CapturePosition& position);
    bool Lookup();
    bool UserList();

    // One page, sent again after a spent window, a failure on the way (as the retry policy says) or
    // an expired session that could be renewed.
    RequestOutcome Ask(BskyClient::Call call, ResourceFamily family, const std::string& windowName,
                       const std::string& url, const std::function<BskyOutcome()>& send);
    // Waits for the next window when the last answer left few requests; false when that was cut short.
    bool WindowOpen(BskyClient::Call call, const std::string& windowName);
    bool SendAgain(const BskyOutcome& outcome, const RequestOutcome& answer, const std::string& windowName,
                   int attempt, bool& renewed);
    // The posts of an answer added to the run's tweets, those held already dropped; the number new,
    // or -1 for an answer that is no page.
    int TakePosts(const std::string& body, bool search, std::string* cursor);
    std::string Url(const std::string& method, const std::string& name, const std::string& value) const;
    void Unreadable();

    CaptureRun& m_run;
    BskyClient& m_client;
    const Renewal& m_renewal;
    BskyTranslator m_translator;
    std::unordered_set<std::string> m_seen;  // the ids taken this run, and the position's own
    uint64_t m_oldest = UINT64_MAX;          // the oldest id taken this run
};

}  // namespace marlin
