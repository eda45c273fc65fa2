#pragma once

#include <functional>
#include <string>

#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "core/user_set.h"
#include "service/twitter_api.h"
#include "workspace/engine/account_steps.h"
#include "workspace/engine/capture_events.h"
#include "workspace/engine/capture_request.h"
#include "workspace/engine/quota_wait.h"
#include "workspace/engine/response_archive.h"
#include "workspace/engine/run_state.h"

namespace marlin {

// One capture while it runs: the request, the client it asks, the records it fills, the
// run state, the watcher, the waits and the archive, and the steps every kind shares (a
// page asked for and tapped, the quota dialog, the line that says a run fell short). The
// engine makes one for each request; the pagers of every kind work through it.
class CaptureRun {
  public:
    using LocalClock = std::function<SKDFuncs::DateValue()>;

    struct Parts {
        const CaptureRequest& request;
        TwitterAPI& client;
        TweetSet& tweets;
        UserSet& users;
        RunState& run;
        CaptureEvents& events;
        ResponseArchive& archive;
        LocalClock localNow;
        const AccountSteps& steps;
    };

    explicit CaptureRun(Parts parts);

    const CaptureRequest& Request() const { return m_parts.request; }
    TwitterAPI& Client() { return m_parts.client; }
    TweetSet& Tweets() { return m_parts.tweets; }
    UserSet& Users() { return m_parts.users; }
    RunState& State() { return m_parts.run; }
    CaptureEvents& Events() { return m_parts.events; }
    QuotaWait& Waits() { return m_waits; }
    SKDFuncs::DateValue LocalNow() const { return m_parts.localNow(); }
    // The caller's steps as a run over several accounts turns to each of them.
    void AccountStarted(int index) const {
        if (m_parts.steps.started) m_parts.steps.started(index);
    }
    void AccountDone(int index) const {
        if (m_parts.steps.done) m_parts.steps.done(index);
    }
    std::string ThresholdDateText() const { return m_parts.request.ThresholdDateText(); }

    // Asks for one page: the raw response box shows what came, and the objects of an
    // answered page of a family go to the archive. The outcome is kept as the run's last.
    RequestOutcome Page(ResourceFamily family, const std::function<RequestOutcome()>& ask);
    // The outcome of the run's last request (the response code its end line names).
    const RequestOutcome& Last() const { return m_last; }
    // A request made without Page (nothing of it is archived) is the run's last all the same.
    void Remember(const RequestOutcome& answer);

    // The quota dialog; Cancel stops the run. OK with the window spent (no requests
    // `remaining`) waits for it to renew, since the next request would only be refused;
    // Cancel during that wait stops the run too.
    void AskQuota(const SKDFuncs::DateValue& nextReset, int remaining, const std::string& windowName);
    // A low quota: the quota dialog, or with automatic waits on the wait for the family's
    // next window (Cancel there stops the run too).
    void QuotaLow(ResourceFamily family, const std::string& windowName);
    // After a request: true when it was refused for a spent window and the wait for the
    // next one is over, so the same page is asked for again.
    bool ResendAfterSpentWindow(const RequestOutcome& answer, const std::string& windowName);
    // A loop that an error answer ended (not the user, not the threshold) holds less than
    // asked for: one more log line says so, why, and how far back the records go, and a
    // warning says the table does not reach the threshold date. oldestHeld is the service
    // date-time of the oldest tweet this retrieval holds, empty for none.
    void ReportIncomplete(const std::string& why, const std::string& oldestHeld);

  private:
    Parts m_parts;
    QuotaWait m_waits;
    RequestOutcome m_last;  // without its body
};

}  // namespace marlin
