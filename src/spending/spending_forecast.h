#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "spending/limit_check.h"
#include "spending/money.h"
#include "spending/spending_limits.h"

namespace marlin {

// What a search of counted posts will cost before it starts, knowing today: posts of the
// query's range already read today (UTC) are not charged again, the counts requests that
// made the estimate cost their own price, and where a limit would stop the search, the day
// it would stop at. A search runs newest first, so a limit cuts off the oldest days.
class SpendingForecast {
  public:
    // The search requests ask for this many posts each, and a limit is held against a
    // request's worst case before it is sent.
    static constexpr int kPostsPerRequest = 100;

    struct Day {
        std::string date;  // "yyyy-mm-dd"
        std::int64_t posts = 0;
        std::int64_t readToday = 0;  // of them, read by this query today (UTC) already
    };
    struct Input {
        std::vector<Day> days;
        Money postRead;
        Money counts;  // what the estimate's counts requests cost
        SpendingLimits limits;
        Money spentToday;  // by every run, the counts included
        Money spentThisMonth;
    };
    // The limit a search would reach, and the day it would stop at.
    struct Reach {
        LimitCheck::Scope scope = LimitCheck::Scope::Run;
        Money limit;
        Money spent;           // spent already in the limit's period
        std::string stopDate;  // "yyyy-mm-dd"; empty when the limit allows no search request
    };

    std::int64_t posts = 0;
    std::int64_t readToday = 0;
    Money reads;  // the posts not read today, at the price of a post read
    Money counts;
    std::optional<Reach> reach;

    static SpendingForecast Of(const Input& input);
    Money Total() const { return reads + counts; }

    // "$0.51: 101 posts at $0.005 and the counts at $0.005"
    std::string CostText(Money postRead) const;
    // "200 posts, not charged again" (of the counted posts, read today already)
    std::string ReadTodayText() const;
    // "The daily spending limit of $1.00 ($0.20 spent today (UTC)) stops it at 08/12/2026";
    // "none is crossed" when no limit is reached.
    std::string ReachText() const;

    // The progress bar's word on money while a capture runs: "$1.20 spent, about $3.40 left",
    // the rest reckoned from the share of the run done so far.
    static std::string ProgressText(Money spent, double share);

  private:
    static std::optional<Reach> FirstReach(const Input& input, std::int64_t charged);
};

}  // namespace marlin
