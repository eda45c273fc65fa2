#include "workspace/retrieval/retrieval_steps.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "workspace/engine/quota_wait.h"

namespace marlin {

std::string RetrievalSteps::NowText() {
    return SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
}

void RetrievalSteps::PageDone() {
    m_window.Progress.ScrollToLast();
    m_window.Tk.DoEvents();
}

void RetrievalSteps::AskQuota(const SKDFuncs::DateValue& nextReset, int remaining,
                              const std::string& windowName) {
    const std::string text = "Quota for this window running low. Wait until " +
                             SKDFuncs::FormatLocalDateTime(nextReset) + " before clicking OK to resume";
    if (!m_window.Events().Ask(text)) {
        m_window.Run.Stop();
        return;
    }
    if (remaining <= 0 && !m_window.QuotaWaits().UntilReset(nextReset, windowName)) m_window.Run.Stop();
}

void RetrievalSteps::ReportIncomplete(const std::string& why, const std::string& oldestHeld) {
    MainWindowState& w = m_window;
    const std::string reach = oldestHeld.empty() ? "no tweets held" : "oldest tweet held from " + oldestHeld;
    w.Events().Log("Retrieval stopped early (" + why + "), " + reach);
    w.Progress.ScrollToLast();
    w.Events().Tell("The retrieval stopped early (" + why +
                        "). The table does not reach back to the threshold date (" + w.ThresholdDateText() +
                        ").",
                    CaptureEvents::Notice::Warning);
}

void RetrievalSteps::QuotaLow(const TwitterAPI& client, ResourceFamily family,
                              const std::string& windowName) {
    if (!m_window.Settings.WaitForQuota) {
        AskQuota(client.NextLimitReset(family), client.Window(family).remaining, windowName);
        return;
    }
    if (!m_window.QuotaWaits().UntilReset(client.NextLimitReset(family), windowName)) m_window.Run.Stop();
}

bool RetrievalSteps::ResendAfterSpentWindow(const TwitterAPI& client, ResourceFamily family,
                                            const std::string& windowName) {
    return m_window.QuotaWaits().WaitedOutSpentWindow(client, family, windowName);
}

bool RetrievalSteps::CanBeScreenNameOrId(const std::string& text) {
    constexpr std::size_t kLongest = 50;  // older accounts have names beyond today's 15
    return !text.empty() && text.size() <= kLongest && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

std::string RetrievalSteps::SkippedLine(const std::vector<std::string>& skipped) {
    std::string line =
        "Skipped " + std::to_string(skipped.size()) + " entries that are not screen names or user ids:";
    for (std::size_t i = 0; i < skipped.size(); ++i) line += (i == 0 ? " [" : ", [") + skipped[i] + "]";
    return line;
}

double RetrievalSteps::SpanShare(const std::string& newest, const std::string& oldest,
                                 const std::string& threshold) {
    const auto seconds = [](const std::string& text) -> std::optional<long long> {
        std::optional<SKDFuncs::DateValue> date;
        try {
            date = SKDFuncs::ReadDate(SKDFuncs::ToLocalDateTime(text));
        } catch (const SKDFuncs::ConversionError&) {
        }
        if (!date) return std::nullopt;
        return SKDFuncs::DayNumber(*date) * 86400LL + date->hour * 3600LL + date->minute * 60LL +
               date->second;
    };
    const auto top = seconds(newest), low = seconds(oldest), bottom = seconds(threshold);
    if (!top || !low || !bottom || *top <= *bottom) return 0;
    return static_cast<double>(*top - *low) / static_cast<double>(*top - *bottom);
}

std::string RetrievalSteps::EndLine(const std::string& prefix, bool reached) const {
    if (reached) return prefix + "terminated at user threshold date (" + m_window.ThresholdDateText() + ")";
    if (m_window.Run.Cancelled()) return prefix + "user cancelled the procedure";
    return prefix + "no more statuses available: " + m_window.Twitter.LastResponseCode();
}

std::string RetrievalSteps::UndatedLine(int count) {
    return std::to_string(count) + " statuses kept without a readable date (created_at)";
}

}  // namespace marlin
