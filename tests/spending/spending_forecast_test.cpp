// What a search of counted posts would cost, knowing today's reads and spending, and the day
// a limit would stop it at.
#include <gtest/gtest.h>

#include "spending/spending_forecast.h"

namespace marlin::testing {
namespace {

Money Dollars(const char* text) {
    return *Money::Parse(text);
}

TEST(SpendingForecastTest, CostsReadsTodayAndTheReachOfTheLimits) {
    struct Case {
        const char* name;
        std::int64_t readNewest;  // of the newest day's posts, read today already
        SpendingLimits limits;
        const char* spentToday;
        const char* spentMonth;
        const char* cost;
        const char* reach;
    };
    const std::optional<Money> none;
    const Case cases[] = {
        {"no limit",
         0,
         {},
         "0",
         "0",
         "$6.005: 1200 posts at $0.005 and the counts at $0.005",
         "none is crossed"},
        {"today's reads are not charged again",
         200,
         {},
         "0",
         "0",
         "$5.005: 1000 posts at $0.005 and the counts at $0.005",
         "none is crossed"},
        {"the run's limit cuts off the oldest day",
         0,
         {Dollars("3"), none, none},
         "0",
         "0",
         nullptr,
         "The spending limit of $3.00 for this run stops it at 07/12/2026"},
        {"today's reads take it further back",
         300,
         {Dollars("2"), none, none},
         "0",
         "0",
         nullptr,
         "The spending limit of $2.00 for this run stops it at 07/12/2026"},
        {"without them it stops sooner",
         0,
         {Dollars("2"), none, none},
         "0",
         "0",
         nullptr,
         "The spending limit of $2.00 for this run stops it at 08/12/2026"},
        {"the day's limit less what today spent",
         0,
         {none, Dollars("4"), none},
         "1",
         "1",
         nullptr,
         "The daily spending limit of $4.00 ($1.00 spent today (UTC)) stops it at 07/12/2026"},
        {"the limit with the least left binds",
         0,
         {Dollars("10"), Dollars("3.5"), Dollars("50")},
         "0.5",
         "20",
         nullptr,
         "The daily spending limit of $3.50 ($0.50 spent today (UTC)) stops it at 07/12/2026"},
        {"less left than one request's worst case",
         0,
         {none, none, Dollars("100")},
         "0",
         "99.8",
         nullptr,
         "The monthly spending limit of $100.00 ($99.80 spent this month) allows no search request"},
        {"a limit of 0 allows nothing",
         1200,
         {none, Dollars("0"), none},
         "0",
         "0",
         nullptr,
         "The daily spending limit of $0.00 ($0.00 spent today (UTC)) allows no search request"},
        {"exactly enough crosses nothing",
         0,
         {Dollars("6"), none, none},
         "0",
         "0",
         nullptr,
         "none is crossed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpendingForecast::Input input;
        // Out of order on purpose: the search runs newest first whatever order the counts came in.
        input.days = {{"2026-12-08", 500, c.readNewest}, {"2026-12-06", 300, 0}, {"2026-12-07", 400, 0}};
        input.postRead = Dollars("0.005");
        input.counts = Dollars("0.005");
        input.limits = c.limits;
        input.spentToday = Dollars(c.spentToday);
        input.spentThisMonth = Dollars(c.spentMonth);
        const SpendingForecast forecast = SpendingForecast::Of(input);
        EXPECT_EQ(forecast.posts, 1200);
        EXPECT_EQ(forecast.readToday, std::min<std::int64_t>(c.readNewest, 500));
        if (c.cost) {
            EXPECT_EQ(forecast.CostText(input.postRead), c.cost);
        }
        EXPECT_EQ(forecast.ReachText(), c.reach);
    }
}

TEST(SpendingForecastTest, TheProgressTextReckonsTheRestFromTheShareDone) {
    const std::tuple<const char*, double, const char*> cases[] = {
        {"1.20", 0.25, "$1.20 spent, about $3.60 left"},
        {"1.20", 0, "$1.20 spent"},
        {"1.20", 1, "$1.20 spent"},
        {"0.005", 0.5, "$0.005 spent, about $0.01 left"},
        {"0", 0.5, "$0.00 spent, about $0.00 left"},
    };
    for (const auto& [spent, share, text] : cases)
        EXPECT_EQ(SpendingForecast::ProgressText(Dollars(spent), share), text) << spent << " at " << share;
}

}  // namespace
}  // namespace marlin::testing
