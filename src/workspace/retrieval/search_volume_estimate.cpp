#include "workspace/retrieval/search_volume_estimate.h"

namespace marlin {

SearchVolumeEstimate::SearchVolumeEstimate(MainWindowState& window, TweetControls& tweetCtl,
                                           UserControls& userCtl)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl) {
    m_tweetCtl.mEstimateVolume.SetCaption("Estimate Search Volume…");
    m_tweetCtl.mEstimateVolume.SetAction([this] { mEstimateVolume_Click(); });
}

std::optional<VolumeEstimate> SearchVolumeEstimate::Estimate() {
    const CaptureResult result =
        m_window.Engine.Capture(m_window.Request(CaptureKind::Count, m_tweetCtl, m_userCtl));
    m_failure = result.last.responseCode;
    if (result.estimate && m_chart) m_chart(result.estimate->days);
    return result.estimate;
}

void SearchVolumeEstimate::mEstimateVolume_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    if (w.Settings.Bluesky) {
        // No call of the service counts posts: nothing is asked.
        w.Tk.MessageBox(BskyCapture::kNoCount, kTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    const std::optional<VolumeEstimate> estimate = Estimate();
    if (!w.Settings.ApiV2) {
        w.Tk.MessageBox(kNeedsV2, kTitle, MsgButtons::OK, MsgIcon::Information);
    } else if (!estimate) {
        w.Tk.MessageBox(kFailed + m_failure, kTitle, MsgButtons::OK, MsgIcon::Exclamation);
    } else {
        m_query = m_tweetCtl.SearchQuery.Text();
        m_backTo = m_tweetCtl.EarlyDate.Value();
        const std::string search = "[" + m_query + "] back to " + m_tweetCtl.ThresholdDateText();
        if (m_show)
            m_show(Show(*estimate, search, w.Settings.PricePerPostRead));
        else
            w.Tk.MessageBox(search + ": " + estimate->Summary(w.Settings.PricePerPostRead), kTitle,
                            MsgButtons::OK, MsgIcon::Information);
    }
}

void SearchVolumeEstimate::Capture_Click() {
    if (m_query.empty() || !m_search || !m_window.CanStartRetrieval()) return;
    m_tweetCtl.SearchQuery.SetText(m_query);
    m_tweetCtl.EarlyDate.SetValue(m_backTo);
    m_search();
}

SearchVolumeEstimate::Shown SearchVolumeEstimate::Show(const VolumeEstimate& estimate,
                                                       const std::string& search, double pricePerPost) {
    const std::string index = estimate.fullArchive ? " (full archive)" : " (recent index)";
    return {search,
            {{"Posts", std::to_string(estimate.posts)},
             {"Search requests", std::to_string(estimate.requests) + " of 100 posts"},
             {"Quota windows", std::to_string(estimate.windows) + index},
             {"Time", "about " + std::to_string(estimate.minutes) + " minutes"},
             {"Cost", estimate.CostText(pricePerPost)}}};
}

}  // namespace marlin
