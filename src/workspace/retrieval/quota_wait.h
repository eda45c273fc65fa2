#pragma once

#include <functional>
#include <string>

#include "core/skd_funcs.h"
#include "workspace/main_window_state.h"

namespace marlin {

// Waits for a quota window to renew while the window keeps answering: status panel 3
// counts down the time left, and "Cancel " (Cancelled set or QuotaWaiting cleared) ends
// the wait early. Any command that must not send into a spent window waits here.
class QuotaWait {
  public:
    // The local date and time now; replaceable so tests can move the clock.
    using LocalClock = std::function<SKDFuncs::DateValue()>;
    // The wait checks the clock and lets window events run this often.
    static constexpr int kStepMilliseconds = 100;

    explicit QuotaWait(
        MainWindowState& window, LocalClock clock = [] { return SKDFuncs::Now(); });

    // Waits until the local time reaches resetTime; `resource` names the family in the
    // status bar ("SEARCH"). True when the window renewed, false when Cancel ended the wait.
    bool Until(const SKDFuncs::DateValue& resetTime, const std::string& resource);

    // "m:ss" from now until then; "0:00" once it has passed.
    static std::string TimeLeft(const SKDFuncs::DateValue& now, const SKDFuncs::DateValue& then);

  private:
    MainWindowState& m_window;
    LocalClock m_clock;
};

}  // namespace marlin
