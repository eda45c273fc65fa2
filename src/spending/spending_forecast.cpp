#include "spending/spending_forecast.h"

#include <algorithm>
#include <cmath>

namespace marlin {

namespace {

// "2026-12-08" as the program's short date, "08/12/2026".
std::string ShortDate(const std::string& iso) {
    if (iso.size() != 10) return iso;
    return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4);
}

std::string LimitWords(const SpendingForecast::Reach& reach) {
    switch (reach.scope) {
        case LimitCheck::Scope::Day:
            return "The daily spending limit of " + reach.limit.Shown() + " (" + reach.spent.Shown() +
                   " spent today (UTC))";
        case LimitCheck::Scope::Month:
            return "The monthly spending limit of " + reach.limit.Shown() + " (" + reach.spent.Shown() +
                   " spent this month)";
        case LimitCheck::Scope::Run:
            break;
    }
    return "The spending limit of " + reach.limit.Shown() + " for this run";
}

}  // namespace

SpendingForecast SpendingForecast::Of(const Input& input) {
    SpendingForecast f;
    std::int64_t charged = 0;
    for (const Day& day : input.days) {
        f.posts += day.posts;
        const std::int64_t read = std::clamp<std::int64_t>(day.readToday, 0, day.posts);
        f.readToday += read;
        charged += day.posts - read;
    }
    f.reads = input.postRead * charged;
    f.counts = input.counts;
    f.reach = FirstReach(input, charged);
    return f;
}

std::optional<SpendingForecast::Reach> SpendingForecast::FirstReach(const Input& input,
                                                                    std::int64_t charged) {
    // The limit with the least left binds; on a tie the first the engine checks.
    std::optional<Reach> binding;
    Money least;
    const std::pair<LimitCheck::Scope, std::pair<std::optional<Money>, Money>> limits[] = {
        {LimitCheck::Scope::Run, {input.limits.perRun, Money()}},
        {LimitCheck::Scope::Day, {input.limits.perDay, input.spentToday}},
        {LimitCheck::Scope::Month, {input.limits.perMonth, input.spentThisMonth}},
    };
    for (const auto& [scope, limitAndSpent] : limits) {
        const auto& [limit, spent] = limitAndSpent;
        if (!limit) continue;
        const Money left = *limit > spent ? *limit - spent : Money();
        if (!binding || left < least) {
            binding = Reach{scope, *limit, spent, {}};
            least = left;
        }
    }
    if (!binding) return std::nullopt;
    // A limit of 0 allows nothing; a free read is never stopped by any other.
    if (binding->limit != Money() && input.postRead == Money()) return std::nullopt;
    const std::int64_t page = input.postRead.micros() * kPostsPerRequest;
    const std::int64_t reachable = binding->limit == Money() ? 0 : least.micros() / page * kPostsPerRequest;
    if (reachable > 0 && charged <= reachable) return std::nullopt;
    if (reachable == 0) return binding;

    std::vector<Day> newestFirst = input.days;
    std::sort(newestFirst.begin(), newestFirst.end(),
              [](const Day& a, const Day& b) { return a.date > b.date; });
    std::int64_t sum = 0;
    for (const Day& day : newestFirst) {
        sum += day.posts - std::clamp<std::int64_t>(day.readToday, 0, day.posts);
        if (sum > reachable) {
            binding->stopDate = day.date;
            break;
        }
    }
    return binding;
}

std::string SpendingForecast::CostText(Money postRead) const {
    const std::int64_t charged = posts - readToday;
    return Total().Shown() + ": " + std::to_string(charged) + " posts at " + postRead.Shown() +
           " and the counts at " + counts.Shown();
}

std::string SpendingForecast::ReadTodayText() const {
    return std::to_string(readToday) + " posts, not charged again";
}

std::string SpendingForecast::ReachText() const {
    if (!reach) return "none is crossed";
    if (reach->stopDate.empty()) return LimitWords(*reach) + " allows no search request";
    return LimitWords(*reach) + " stops it at " + ShortDate(reach->stopDate);
}

std::string SpendingForecast::ProgressText(Money spent, double share) {
    std::string text = spent.Shown() + " spent";
    if (!(share > 0 && share < 1)) return text;
    // The rest at the rate so far, to the cent: a guess, and it should not look finer.
    constexpr double kCent = 10000;
    const double left = static_cast<double>(spent.micros()) * (1 - share) / share;
    return text + ", about " + Money::Micros(std::llround(left / kCent) * 10000).Shown() + " left";
}

}  // namespace marlin
