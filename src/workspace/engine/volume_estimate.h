#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/twitter_api.h"

namespace marlin {

class CaptureRun;

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
    bool stoppedEarly = false;  // the days of the pages that came, not the whole span

    static constexpr int kPostsPerRequest = 100;
    static constexpr int kWindowMinutes = 15;
    static constexpr int kRecentRequestsPerWindow = 450;
    static constexpr int kArchiveRequestsPerWindow = 300;

    static constexpr const char* kNeedsV2 =
        "The search volume is known only to the v2 API: choose Settings \xE2\x80\xBA \"Service\" "
        "\xE2\x80\xBA "
        "\"X (v2)\" (on the command line --api v2).";
    static constexpr const char* kFailed = "The service did not give the counts: ";
    static constexpr const char* kStoppedEarly = "Counts stopped early: ";

    static VolumeEstimate From(std::vector<TweetCountDay> days, bool fullArchive, double pricePerPost);
    // "12345 posts, 124 search requests, 1 quota window (15 minutes), $61.73 at $0.005 a post read"
    std::string Summary(double pricePerPost) const;
    // "$61.73 at $0.005 a post read"
    std::string CostText(double pricePerPost) const;

    // The count capture: the service's counts for the request's query, language and threshold
    // date, as lines of the request log; nothing in v1.1 or when the exchange failed (the
    // reason logged).
    static std::optional<VolumeEstimate> Capture(CaptureRun& run);
};

}  // namespace marlin
