#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "workspace/main_window_state.h"

namespace marlin {

// What a search capture will take before it starts: the posts per day of the query from the
// service's counts, the search requests of 100 posts they need, the quota windows those
// requests fill, and their cost at the price per post read.
struct VolumeEstimate {
    std::vector<TweetCountDay> days;
    int64_t posts = 0;
    int64_t requests = 0;
    int64_t windows = 0;
    int64_t minutes = 0;
    double cost = 0;
    bool fullArchive = false;

    static constexpr int kPostsPerRequest = 100;
    static constexpr int kWindowMinutes = 15;
    static constexpr int kRecentRequestsPerWindow = 450;
    static constexpr int kArchiveRequestsPerWindow = 300;

    static VolumeEstimate From(std::vector<TweetCountDay> days, bool fullArchive, double pricePerPost);
    // "12345 posts, 124 search requests, 1 quota window (15 minutes), $61.73 at $0.005 a post read"
    std::string Summary(double pricePerPost) const;
};

// Tools › "Estimate Search Volume…" (and the command line's count): the service's counts for the
// search frame's query, language and threshold date, as lines of the request log, as bars of the
// Chart tab and as a summary. Only the v2 dialect has counts.
class SearchVolumeEstimate {
  public:
    static constexpr const char* kTitle = "Estimate Search Volume";
    static constexpr const char* kNeedsV2 =
        "The search volume is known only to the v2 API: choose Settings \xE2\x80\xBA \"Service API\" "
        "\xE2\x80\xBA "
        "\"v2\" (on the command line --api v2).";
    static constexpr const char* kFailed = "The service did not give the counts: ";

    explicit SearchVolumeEstimate(MainWindowState& window);
    SearchVolumeEstimate(const SearchVolumeEstimate&) = delete;
    SearchVolumeEstimate& operator=(const SearchVolumeEstimate&) = delete;

    void mEstimateVolume_Click();
    // The estimate for the search frame's query back to the threshold date, its lines in the
    // request log; nothing in v1.1 mode or when the exchange failed (the reason logged).
    std::optional<VolumeEstimate> Estimate();
    std::optional<VolumeEstimate> Estimate(const std::string& query);

    // Called with each estimate's days; the window's Chart tab draws them.
    void SetChartAction(std::function<void(const std::vector<TweetCountDay>&)> action) {
        m_chart = std::move(action);
    }

  private:
    MainWindowState& m_window;
    std::function<void(const std::vector<TweetCountDay>&)> m_chart;
};

}  // namespace marlin
