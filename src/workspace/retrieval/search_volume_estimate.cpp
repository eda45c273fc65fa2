#include "workspace/retrieval/search_volume_estimate.h"

namespace marlin {

SearchVolumeEstimate::SearchVolumeEstimate(MainWindowState& window) : m_window(window) {
    window.Tweets.mEstimateVolume.SetCaption("Estimate Search Volume…");
    window.Tweets.mEstimateVolume.SetAction([this] { mEstimateVolume_Click(); });
}

std::optional<VolumeEstimate> SearchVolumeEstimate::Estimate() {
    const CaptureResult result = m_window.Engine.Capture(m_window.Request(CaptureKind::Count));
    m_failure = result.last.responseCode;
    if (result.estimate && m_chart) m_chart(result.estimate->days);
    return result.estimate;
}

void SearchVolumeEstimate::mEstimateVolume_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::optional<VolumeEstimate> estimate = Estimate();
    if (!w.Settings.ApiV2) {
        w.Tk.MessageBox(kNeedsV2, kTitle, MsgButtons::OK, MsgIcon::Information);
    } else if (!estimate) {
        w.Tk.MessageBox(kFailed + m_failure, kTitle, MsgButtons::OK, MsgIcon::Exclamation);
    } else {
        w.Tk.MessageBox("[" + w.Tweets.SearchQuery.Text() + "] back to " + w.ThresholdDateText() + ": " +
                            estimate->Summary(w.Settings.PricePerPostRead),
                        kTitle, MsgButtons::OK, MsgIcon::Information);
    }
}

}  // namespace marlin
