#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/tweet_set.h"
#include "core/user_set.h"
#include "service/bsky_client.h"
#include "service/exchange_host.h"
#include "service/http_request.h"
#include "service/twitter_api.h"
#include "workspace/engine/bsky_capture.h"
#include "workspace/engine/capture_events.h"
#include "workspace/engine/capture_request.h"
#include "workspace/engine/capture_result.h"
#include "workspace/engine/capture_run.h"
#include "workspace/engine/capture_spending.h"
#include "workspace/engine/response_archive.h"
#include "workspace/engine/run_state.h"

namespace marlin {

// The capture engine: runs capture requests against the service and owns what a run
// needs — the service client (which holds no records), the record sets the pages fill,
// the run state, the raw archive, the waits — and speaks through one watcher, the
// CaptureEvents it is given. The window and the command line are two clients of it: each
// builds a request, runs it, and reads the records.
//
// A kind of capture is a pager over the one page loop (TweetCapture, UserListCapture,
// LookupCapture, SampleCapture, VolumeEstimate); a new kind is a new pager and a case in
// Capture. A new dialect of the service is a dialect of the client, which turns its answers
// into the same records.
class CaptureEngine : private ExchangeHost {
  public:
    using LocalClock = CaptureRun::LocalClock;

    struct Setup {
        HttpRequestFactory requestFactory;
        std::string apiBase = TwitterAPI::kDefaultApiBase;
        std::filesystem::path appFolder;  // the raw archive lives in its "archive" folder
        // v2 runs keep the spending ledger (beside the archive) and hold its limits. Off only
        // for the benchmark that measures what the ledger adds to a capture.
        bool keepsSpending = true;
        // The second service's server (scheme, host and port); MARLIN_BSKY_BASE or bsky.social when empty.
        std::string bskyBase{};
    };

    CaptureEngine(Setup setup, CaptureEvents& events);
    // A second engine of the same program shares the first one's run state, so that one
    // capture runs at a time and Cancel reaches whichever runs.
    CaptureEngine(Setup setup, CaptureEvents& events, RunState& sharedRun);
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // The service client: the token, the quota windows, the proxy.
    TwitterAPI& Client() { return m_client; }
    const TwitterAPI& Client() const { return m_client; }
    // The second service's client: its session and its windows. A session that can no longer be
    // refreshed is renewed once through `renewal` (the log-in with the app password), if given.
    BskyClient& Bluesky() { return m_bsky; }
    void SetBlueskyRenewal(BskyCapture::Renewal renewal) { m_bskyRenewal = std::move(renewal); }
    // The records of the captures: each capture empties the set it fills first (a look-up
    // with addToRecords adds to it).
    TweetSet& Tweets() { return m_tweets; }
    const TweetSet& Tweets() const { return m_tweets; }
    UserSet& Users() { return m_users; }
    const UserSet& Users() const { return m_users; }
    RunState& State() { return *m_run; }
    const RunState& State() const { return *m_run; }

    CaptureEvents& Events() { return *m_events; }
    void SetEvents(CaptureEvents& events) { m_events = &events; }
    // The local clock of the look-ups' and the lists' quota waits; replaceable for tests.
    void SetLocalClock(LocalClock clock) { m_localNow = std::move(clock); }
    // "Keep Texts Exactly" for the client and both record sets, before the next request.
    void SetExactTexts(bool on);

    // Runs one capture. A run the caller has not marked running is this one's to mark: it
    // counts as running and busy (Cancel acts on it) until it ends, and its end is told.
    // Inside a command that marked the run itself, the command keeps both.
    // `steps`: what the caller does as a run over several accounts turns to each of them.
    CaptureResult Capture(const CaptureRequest& request, const AccountSteps& steps = {});

  private:
    // ---- What the client asks while an exchange is under way
    void LetEventsRun() override { m_events->LetEventsRun(); }
    // A run the engine stopped itself has nothing in flight to drop; the service's usage
    // figure is still asked for after it.
    bool CancelRequested() override { return m_run->Cancelled() && m_run->StopReason().empty(); }
    void Waiting(bool waiting) override { m_events->Waiting(waiting); }
    void ErrorLine(const std::string& line) override { m_events->Log(line); }
    AutoRetry RetryOnItsOwn(int attempt) override;
    bool AskToRetry(const std::string& question, const std::string& title) override;
    void Note(const std::string& text, const std::string& title) override;
    std::optional<std::string> MaySend(const std::string& url) override;
    void Answered(const std::string& url, int status, const std::string& body) override;

    // The end of a run's spending: the reason the engine stopped it, the run's reads and
    // dollars, and the service's own figure held against the ledger.
    void EndSpending(CaptureResult& result);
    void CompareUsage();
    // The note that a page held no records: to the log when the run holds records or
    // runs unattended, else a message.
    void NoRecords(bool heldRecords, const std::string& text);
    // Dates no post of the service can have are read as no date (kept, counted undated).
    void BoundPostDates();
    void Apply(const CaptureRequest& request);
    CaptureResult RunKind(CaptureRun& run);

    CaptureEvents* m_events;
    std::unique_ptr<RunState> m_ownRun;
    RunState* m_run;
    TwitterAPI m_client;
    BskyClient m_bsky;
    BskyCapture::Renewal m_bskyRenewal;
    TweetSet m_tweets;
    UserSet m_users;
    ResponseArchive m_archive;
    LocalClock m_localNow;
    CaptureRun* m_current = nullptr;  // the run under way, if any
    std::filesystem::path m_ledgerFile;
    bool m_keepsSpending;
    CaptureSpending* m_spending = nullptr;  // the v2 run under way, if any
    bool m_unattended = false;              // the run under way waits and retries by itself
};

}  // namespace marlin
