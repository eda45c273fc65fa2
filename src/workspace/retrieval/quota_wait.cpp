#include "workspace/retrieval/quota_wait.h"

#include <algorithm>

namespace marlin {

namespace {

long long Seconds(const SKDFuncs::DateValue& v) {
    return SKDFuncs::DayNumber(v) * 86400LL + v.hour * 3600LL + v.minute * 60LL + v.second;
}

}  // namespace

QuotaWait::QuotaWait(MainWindowState& window, LocalClock clock)
    : m_window(window), m_clock(std::move(clock)) {}

std::string QuotaWait::TimeLeft(const SKDFuncs::DateValue& now, const SKDFuncs::DateValue& then) {
    const long long left = std::max(0LL, Seconds(then) - Seconds(now));
    const long long seconds = left % 60;
    return std::to_string(left / 60) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds);
}

bool QuotaWait::Until(const SKDFuncs::DateValue& resetTime, const std::string& resource) {
    MainWindowState& w = m_window;
    w.QuotaWaiting = true;
    bool renewed = false;
    for (;;) {
        const SKDFuncs::DateValue now = m_clock();
        if (!(now < resetTime)) {
            renewed = true;
            break;
        }
        w.InfoBar.SetPanel(
            3, "Waiting for next quota window on " + resource + " (" + TimeLeft(now, resetTime) + " left)");
        w.Tk.DoEvents();
        if (!w.QuotaWaiting || w.Cancelled) break;
        // Without a pause between checks the wait would keep a processor core busy for
        // up to a whole quota window.
        w.Tk.Sleep(kStepMilliseconds);
    }
    w.QuotaWaiting = false;
    return renewed;
}

}  // namespace marlin
