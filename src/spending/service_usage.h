#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// The service's own figure of the posts read (`GET /2/usage/tweets`), to hold the ledger
// against, and the answer that says the month's post cap is spent.
struct ServiceUsage {
    struct Day {
        std::string date;  // "2026-12-08"
        std::int64_t posts = 0;
    };

    std::int64_t projectUsage = -1;  // posts read this billing cycle; -1 when not given
    std::int64_t projectCap = -1;
    std::int64_t capResetDay = -1;
    std::vector<Day> days;  // daily_project_usage, when asked for in usage.fields

    // Nothing when the body is not a usage answer. Counts are read whether the service
    // sends them as numbers or as strings (it has done both).
    static std::optional<ServiceUsage> Read(std::string_view body);
    // The posts of one day; -1 when the answer holds no such day.
    std::int64_t PostsOn(const std::string& date) const;

    // True for the service's refusal once the month's cap of post reads is spent: HTTP 429
    // with the problem "UsageCapExceeded" (type .../problems/usage-capped). Waiting for the
    // quota window would not help; the capture ends with this reason.
    static bool CapSpent(int status, std::string_view body);

    // The line for the request log when the ledger and the service differ by more than 1 %
    // on a day's posts; nothing when they agree that closely.
    static std::optional<std::string> Difference(const std::string& date, std::int64_t ledgerPosts,
                                                 std::int64_t servicePosts);
};

}  // namespace marlin
