#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/skd_funcs.h"
#include "service/twitter_api.h"
#include "workspace/engine/capture_events.h"
#include "workspace/engine/run_state.h"

namespace marlin {

// Waiting instead of asking: a spent quota window waited out until its reset, and the
// pause before a request that failed on the way is sent again by itself. The status bar
// counts down, the window keeps handling events, and "Cancel " ends the wait (and the
// retrieval, as Cancel always does).
class QuotaWait {
  public:
    static constexpr int kStepMilliseconds = 200;
    // The service's windows last 15 minutes; a reset announced further ahead than one
    // window and this margin is not believed (a reset in the year 2100 would wait for ever).
    static constexpr long long kWindowSeconds = 15 * 60;
    static constexpr long long kMarginSeconds = 60;

    // The user's choice of unattended waits, and the pauses before the automatic retries.
    struct Policy {
        bool waitForQuota = false;
        std::vector<int> retryDelays;
        // The wait after repeated 429s that name no usable reset: one window.
        int windowMilliseconds = static_cast<int>(kWindowSeconds * 1000);
    };
    // The 429s without a usable reset asked again after a second, before the window's wait.
    static constexpr int kUnusableResetRetries = 2;

    // The watcher lets its events run between the checks, makes the pauses, and shows the
    // countdown in its quota panel.
    QuotaWait(RunState& run, CaptureEvents& events, Policy policy)
        : m_run(run), m_events(events), m_policy(std::move(policy)) {}

    // Waits until the local time resetTime, at most one window length. windowName names the
    // window in the status bar ("Waiting for the next search window: 4:31") and in the log
    // line every wait adds. False when Cancel ended the wait.
    bool UntilReset(const SKDFuncs::DateValue& resetTime, const std::string& windowName);

    // The wait of the profile look-ups and the follower lists: until the clock `now`
    // reaches resetTime, the status bar naming the method ("Waiting for next quota window
    // on USER_LOOKUP"). False when Cancel ended the wait.
    bool UntilNextWindowOn(const SKDFuncs::DateValue& resetTime, const std::string& method,
                           const std::function<SKDFuncs::DateValue()>& now, int stepMilliseconds);

    // Waits this long; the status bar shows `what` and the time left. False when cancelled.
    bool For(int milliseconds, const std::string& what);

    // The answer to a failed exchange before its retry question: with automatic waits on,
    // the first Settings.RetryDelays.size() failures are sent again after their pause.
    ExchangeHost::AutoRetry RetryPause(int attempt);

    // A request answered 429 while automatic waits are on: waits for the reset the 429
    // named and says so (true), so the caller sends the same page again. After repeated
    // 429s that name no usable reset, one window is waited out; a 429 after that gives
    // false, and the capture stops early with what it holds.
    bool WaitedOutSpentWindow(const RequestOutcome& answer, const std::string& windowName);

    // Seconds since 1970 UTC as a local date-time.
    static SKDFuncs::DateValue LocalTime(std::time_t utcSeconds);
    // "m:ss" for a number of seconds (negative counts as 0).
    static std::string Countdown(long long seconds);
    // resetTime minus the local time now, in seconds.
    static long long SecondsUntil(const SKDFuncs::DateValue& resetTime);

  private:
    // Waits while leftMilliseconds() is above 0, showing the time left between checks;
    // false when Cancel ended the wait.
    bool Wait(const std::function<long long()>& leftMilliseconds,
              const std::function<void(long long left)>& show, int stepMilliseconds);
    // The reset to wait for: resetTime, or one window from now when resetTime lies further.
    SKDFuncs::DateValue BelievedReset(const SKDFuncs::DateValue& resetTime, const std::string& windowName);

    RunState& m_run;
    CaptureEvents& m_events;
    Policy m_policy;
    int m_unusableResets = 0;  // 429s in a row that named no reset still to come
};

}  // namespace marlin
