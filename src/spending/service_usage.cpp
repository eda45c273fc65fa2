#include "spending/service_usage.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "core/v2_page.h"

namespace marlin {

namespace {

std::int64_t Count(std::string_view raw) {
    raw = V2Page::Unquoted(raw);
    std::int64_t value = -1;
    const auto [end, error] = std::from_chars(raw.data(), raw.data() + raw.size(), value);
    return error == std::errc() && end == raw.data() + raw.size() ? value : -1;
}

}  // namespace

std::optional<ServiceUsage> ServiceUsage::Read(std::string_view body) {
    V2Page page;
    if (!page.Read(body) || page.Data().size() != 1) return std::nullopt;
    const std::vector<std::string_view> v = page.Pick(
        page.Data().front(), {"project_usage", "project_cap", "cap_reset_day", "daily_project_usage"});
    ServiceUsage usage;
    usage.projectUsage = Count(v[0]);
    usage.projectCap = Count(v[1]);
    usage.capResetDay = Count(v[2]);
    if (!v[3].empty()) {
        const std::string_view days = page.Pick(v[3], {"usage"})[0];
        for (std::string_view day : days.empty() ? std::vector<std::string_view>() : page.Elements(days)) {
            const std::vector<std::string_view> d = page.Pick(day, {"date", "usage"});
            usage.days.push_back({std::string(V2Page::Unquoted(d[0]).substr(0, 10)), Count(d[1])});
        }
    }
    return usage;
}

std::int64_t ServiceUsage::PostsOn(const std::string& date) const {
    for (const Day& day : days)
        if (day.date == date) return day.posts;
    return -1;
}

bool ServiceUsage::CapSpent(int status, std::string_view body) {
    if (status != 429) return false;
    V2Page page;
    if (!page.Read(body)) return false;
    return V2Page::Unquoted(page.Title()) == "UsageCapExceeded";
}

std::optional<std::string> ServiceUsage::Difference(const std::string& date, std::int64_t ledgerPosts,
                                                    std::int64_t servicePosts) {
    const std::int64_t apart = std::llabs(ledgerPosts - servicePosts);
    // Within 1 % of the service's figure (integers: apart * 100 <= service).
    if (apart * 100 <= servicePosts) return std::nullopt;
    char share[32];
    if (servicePosts > 0)
        std::snprintf(share, sizeof share, "%.1f %%", 100.0 * static_cast<double>(apart) / servicePosts);
    else
        std::snprintf(share, sizeof share, "all");
    return "The service counts " + std::to_string(servicePosts) + " posts read on " + date +
           " (UTC), the ledger " + std::to_string(ledgerPosts) + " (" + share + " apart)";
}

}  // namespace marlin
