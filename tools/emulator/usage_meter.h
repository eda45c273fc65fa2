#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "emulator/emulator_config.h"
#include "emulator/v2_service.h"

namespace httplib {
struct Request;
}

namespace marlin::emulator {

// What the service bills: the posts it served the application, each counted once a UTC day
// however often it was served that day, and the monthly cap of post reads after which it
// refuses to serve posts. Answers GET /2/usage/tweets from those counts. Days and months
// are those of the wall clock (the moment of the request), not of the corpus.
class UsageMeter {
  public:
    explicit UsageMeter(const EmulatorConfig& config);

    // True when the posts read in the calendar month of `now` (UTC) reach the cap.
    bool CapSpent(int64_t now) const;
    // The posts of one answer served at `now`.
    void Count(const std::vector<uint64_t>& posts, int64_t now);
    // The posts billed on the UTC day of `now`, and in its month.
    int64_t PostsOn(int64_t now) const;
    int64_t PostsInMonth(int64_t now) const;

    // GET /2/usage/tweets?days=N&usage.fields=…: by default the cycle's usage, the cap, the
    // days until it resets and the project; with daily_project_usage and
    // daily_client_app_usage the posts of each of the last N days (7 unless asked).
    V2Answer Answer(const httplib::Request& req, int64_t now) const;

    // The service's refusal once the month's cap is spent (HTTP 429).
    std::string CapBody() const;

  private:
    int64_t MonthOf(int64_t day) const;
    int64_t InMonthLocked(int64_t now) const;

    int64_t m_cap;
    std::string m_projectId;
    std::string m_appId;
    mutable std::mutex m_mutex;
    std::map<int64_t, std::unordered_set<uint64_t>> m_days;  // by days since 1970 (UTC)
};

}  // namespace marlin::emulator
