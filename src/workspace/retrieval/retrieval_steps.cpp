#include "workspace/retrieval/retrieval_steps.h"

#include "workspace/retrieval/quota_wait.h"

namespace marlin {

std::string RetrievalSteps::NowText() {
    return SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
}

std::string RetrievalSteps::LatestBound() {
    return "31/12/9999 23:59:59";
}

void RetrievalSteps::AskQuota(const SKDFuncs::DateValue& nextReset, int remaining,
                              const std::string& resource) {
    const std::string text = "Quota for this window running low. Wait until " +
                             SKDFuncs::FormatLocalDateTime(nextReset) + " before clicking OK to resume";
    if (m_window.Tk.MessageBox(text, MsgButtons::OKCancel) == MsgResult::Cancel) {
        m_window.Cancelled = true;
        return;
    }
    if (remaining <= 0 && !QuotaWait(m_window).Until(nextReset, resource)) m_window.Cancelled = true;
}

void RetrievalSteps::ReportIncomplete(const std::string& why, const std::string& oldestHeld) {
    MainWindowState& w = m_window;
    const std::string reach = oldestHeld.empty() ? "no tweets held" : "oldest tweet held from " + oldestHeld;
    w.Progress.Append("Retrieval stopped early (" + why + "), " + reach);
    w.Progress.ScrollToLast();
    w.Tk.MessageBox("The retrieval stopped early (" + why +
                        "). The table does not reach back to the threshold date (" + w.ThresholdDateText() +
                        ").",
                    MsgButtons::OK, MsgIcon::Exclamation);
}

std::string RetrievalSteps::EndLine(const std::string& prefix, bool reached) const {
    if (reached) return prefix + "terminated at user threshold date (" + m_window.ThresholdDateText() + ")";
    if (m_window.Cancelled) return prefix + "user cancelled the procedure";
    return prefix + "no more statuses available: " + m_window.Twitter.LastResponseCode();
}

std::string RetrievalSteps::UndatedLine(int count) {
    return std::to_string(count) + " statuses kept without a readable date (created_at)";
}

std::string RetrievalSteps::OutOfMemory(TweetSet& tweets, int before) {
    tweets.KeepFirst(before);
    return "Retrieval stopped: a page was too large for the memory available";
}

}  // namespace marlin
