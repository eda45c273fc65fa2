#include "workspace/engine/quota_wait.h"

#include <algorithm>
#include <chrono>
#include <ctime>

namespace marlin {

namespace {

long long Seconds(const SKDFuncs::DateValue& value) {
    return SKDFuncs::DayNumber(value) * 86400LL + value.hour * 3600LL + value.minute * 60LL + value.second;
}

}  // namespace

std::string QuotaWait::Countdown(long long seconds) {
    if (seconds < 0) seconds = 0;
    const std::string ss = std::to_string(seconds % 60);
    return std::to_string(seconds / 60) + ":" + (ss.size() < 2 ? "0" + ss : ss);
}

long long QuotaWait::SecondsUntil(const SKDFuncs::DateValue& resetTime) {
    return Seconds(resetTime) - Seconds(SKDFuncs::Now());
}

bool QuotaWait::Wait(const std::function<long long()>& leftMilliseconds,
                     const std::function<void(long long left)>& show, int stepMilliseconds) {
    // The wait marks the run busy, so "Cancel " acts even for a command that did not.
    const bool markedBusy = m_run.BeginQuotaWait();
    bool over = false;
    for (;;) {
        const long long left = leftMilliseconds();
        if (left <= 0) {
            over = true;
            break;
        }
        if (show) show(left);
        m_events.LetEventsRun();
        if (m_run.QuotaWaitStopped()) break;
        // Without a pause between checks the wait would keep a processor core busy for a
        // whole quota window.
        m_events.Pause(static_cast<int>(std::min<long long>(left, stepMilliseconds)));
    }
    m_run.EndQuotaWait(markedBusy);
    return over;
}

SKDFuncs::DateValue QuotaWait::BelievedReset(const SKDFuncs::DateValue& resetTime,
                                             const std::string& windowName) {
    if (SecondsUntil(resetTime) <= kWindowSeconds + kMarginSeconds) return resetTime;
    const std::string announced = SKDFuncs::FormatLocalDateTime(resetTime);
    const SKDFuncs::DateValue oneWindow =
        LocalTime(std::time(nullptr) + static_cast<std::time_t>(kWindowSeconds));
    m_events.Aside("The service announced the next " + windowName + " window for " + announced +
                   ", more than one window ahead: waiting one window (15 minutes) instead");
    return oneWindow;
}

bool QuotaWait::UntilReset(const SKDFuncs::DateValue& announcedReset, const std::string& windowName) {
    const SKDFuncs::DateValue resetTime = BelievedReset(announcedReset, windowName);
    if (SecondsUntil(resetTime) > 0)
        m_events.Aside("Waiting until " + SKDFuncs::FormatLocalDateTime(resetTime) + " for the next " +
                       windowName + " window");
    const std::string before = m_events.StatusShown(CaptureEvents::Panel::Quota);
    const bool reset =
        Wait([&] { return SecondsUntil(resetTime) * 1000; },
             [&](long long left) {
                 m_events.Status(CaptureEvents::Panel::Quota,
                                 "Waiting for the next " + windowName + " window: " + Countdown(left / 1000));
             },
             kStepMilliseconds);
    m_events.Status(CaptureEvents::Panel::Quota, before);
    return reset;
}

bool QuotaWait::UntilNextWindowOn(const SKDFuncs::DateValue& resetTime, const std::string& method,
                                  const std::function<SKDFuncs::DateValue()>& now, int stepMilliseconds) {
    m_events.Status(CaptureEvents::Panel::Quota, "Waiting for next quota window on " + method);
    return Wait([&] { return (Seconds(resetTime) - Seconds(now())) * 1000; }, nullptr, stepMilliseconds);
}

bool QuotaWait::For(int milliseconds, const std::string& what) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return Wait(
        [&] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(until -
                                                                         std::chrono::steady_clock::now())
                .count();
        },
        [&](long long left) {
            m_events.Status(CaptureEvents::Panel::Quota, what + " " + Countdown((left + 999) / 1000));
        },
        kStepMilliseconds);
}

ExchangeHost::AutoRetry QuotaWait::RetryPause(int attempt) {
    const std::vector<int>& delays = m_policy.retryDelays;
    if (!m_policy.waitForQuota || attempt < 0 || attempt >= static_cast<int>(delays.size()))
        return ExchangeHost::AutoRetry::Ask;
    if (m_run.Cancelled()) return ExchangeHost::AutoRetry::GiveUp;
    const std::string what = "Retrying the request (" + std::to_string(attempt + 1) + " of " +
                             std::to_string(delays.size()) + ") in";
    const int pause = delays[static_cast<std::size_t>(attempt)];
    m_events.Aside(what + " " + Countdown((pause + 999) / 1000));
    return For(pause, what) ? ExchangeHost::AutoRetry::Retry : ExchangeHost::AutoRetry::GiveUp;
}

bool QuotaWait::WaitedOutSpentWindow(const RequestOutcome& answer, const std::string& windowName) {
    if (answer.responseCode.rfind("429", 0) != 0) {
        m_unusableResets = 0;
        return false;
    }
    if (!m_policy.waitForQuota || m_run.Cancelled()) return false;
    m_events.Log("Quota window spent @" + SKDFuncs::FormatLocalDateTime(SKDFuncs::Now()) +
                 ", waiting for the next " + windowName + " window");
    if (answer.retryAt) {
        m_unusableResets = 0;
        return UntilReset(LocalTime(*answer.retryAt), windowName);
    }
    // A 429 that names no reset still to come, again and again: a pause of a second each
    // time would ask for ever. A few are asked again at once, then one window is waited out,
    // and a 429 after that ends the capture with what it holds.
    const std::string why = "The " + windowName + " window's 429 named no reset still to come: ";
    if (++m_unusableResets <= kUnusableResetRetries) {
        m_events.Aside(why + "asking again in a second");
        return For(1000, "Waiting for the next " + windowName + " window:");
    }
    if (m_unusableResets == kUnusableResetRetries + 1) {
        m_events.Aside(why + "waiting one window (" + Countdown(m_policy.windowMilliseconds / 1000) + ")");
        return For(m_policy.windowMilliseconds, "Waiting for the next " + windowName + " window:");
    }
    m_events.Log(why + "the capture stops here");
    return false;
}

SKDFuncs::DateValue QuotaWait::LocalTime(std::time_t utcSeconds) {
    std::tm local{};
    localtime_r(&utcSeconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace marlin
