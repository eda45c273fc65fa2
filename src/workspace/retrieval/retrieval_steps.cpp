#include "workspace/retrieval/retrieval_steps.h"

namespace marlin {

std::string RetrievalSteps::NowText() {
    return SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
}

std::string RetrievalSteps::LatestBound() {
    return "31/12/9999 23:59:59";
}

void RetrievalSteps::AskQuota(const SKDFuncs::DateValue& nextReset) {
    const std::string text = "Quota for this window running low. Wait until " +
                             SKDFuncs::FormatLocalDateTime(nextReset) + " before clicking OK to resume";
    if (m_window.Tk.MessageBox(text, MsgButtons::OKCancel) == MsgResult::Cancel) m_window.Cancelled = true;
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
