#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "workspace/engine/volume_estimate.h"
#include "workspace/main_window_state.h"

namespace marlin {

// Tools › "Estimate Search Volume…": the engine's count of the search frame's query, language and
// threshold date, as lines of the request log, as bars of the Chart tab and as a summary. Only
// the v2 dialect has counts.
class SearchVolumeEstimate {
  public:
    static constexpr const char* kTitle = "Estimate Search Volume";
    static constexpr const char* kNeedsV2 = VolumeEstimate::kNeedsV2;
    static constexpr const char* kFailed = VolumeEstimate::kFailed;

    explicit SearchVolumeEstimate(MainWindowState& window);
    SearchVolumeEstimate(const SearchVolumeEstimate&) = delete;
    SearchVolumeEstimate& operator=(const SearchVolumeEstimate&) = delete;

    void mEstimateVolume_Click();
    // The estimate for the search frame's query back to the threshold date, its lines in the
    // request log; nothing in v1.1 mode or when the exchange failed (the reason logged).
    std::optional<VolumeEstimate> Estimate();

    // Called with each estimate's days; the window's Chart tab draws them.
    void SetChartAction(std::function<void(const std::vector<TweetCountDay>&)> action) {
        m_chart = std::move(action);
    }

  private:
    MainWindowState& m_window;
    std::function<void(const std::vector<TweetCountDay>&)> m_chart;
    std::string m_failure;  // the response code of the last estimate that got no counts
};

}  // namespace marlin
