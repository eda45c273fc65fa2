// Money, prices, limits and the rule that keeps a capture inside them, at their edges.
#include <gtest/gtest.h>

#include "spending/limit_check.h"
#include "spending/utc_date.h"

namespace marlin::testing {
namespace {

Money Dollars(const char* text) {
    return *Money::Parse(text);
}

TEST(MoneyTest, ReadsPlainDollarAmountsAndWritesThemBack) {
    const std::vector<std::pair<std::string, std::string>> readable = {
        {"25", "25.00"}, {"$25.00", "25.00"}, {" 0.005 ", "0.005"},     {"24.85", "24.85"},
        {".5", "0.50"},  {"5.", "5.00"},      {"0.000001", "0.000001"}, {"1000000000000", "1000000000000.00"},
    };
    for (const auto& [text, shown] : readable) {
        ASSERT_TRUE(Money::Parse(text)) << text;
        EXPECT_EQ(Money::Parse(text)->Text(), shown) << text;
    }
    for (const char* unreadable :
         {"", "$", ".", "-1", "1e-3", "0.0000001", "1,000", "2 5", "1000000000001", "abc"})
        EXPECT_FALSE(Money::Parse(unreadable)) << unreadable;
    // Half cents add up exactly over a month of reads.
    EXPECT_EQ((Dollars("0.005") * 3000000).Shown(), "$15000.00");
}

TEST(PricesTest, OnlyChangedPricesAreKeptAndEarlierPrefsStillRead) {
    EXPECT_TRUE(Prices().PrefsLines().empty());
    Prices changed;
    changed.userRead = Dollars("0.012");
    changed.countsAll = Dollars("0.02");
    EXPECT_EQ(changed.PrefsLines(), (std::vector<std::string>{"PU-0.012", "PF-0.02"}));
    Prices read;
    for (const std::string& line : changed.PrefsLines()) EXPECT_TRUE(read.TakePrefsLine(line));
    EXPECT_EQ(read, changed);

    const std::vector<std::tuple<std::string, bool, Money>> lines = {
        {"PP-0.006", true, Dollars("0.006")},
        {"PP-5e-05", true, Dollars("0.00005")},  // an earlier version's double
        {"PP-abc", true, Prices::kPublishedPostRead},
        {"QP-climate", false, Prices::kPublishedPostRead},
    };
    for (const auto& [line, taken, post] : lines) {
        Prices prices;
        EXPECT_EQ(prices.TakePrefsLine(line), taken) << line;
        EXPECT_EQ(prices.postRead, post) << line;
    }
}

TEST(SpendingLimitsTest, DayAndMonthAreKeptTheRunNever) {
    SpendingLimits limits{Dollars("5"), Dollars("25"), Dollars("0")};
    EXPECT_EQ(limits.PrefsLines(), (std::vector<std::string>{"LD-25.00", "LM-0.00"}));
    SpendingLimits read;
    for (const std::string& line : limits.PrefsLines()) EXPECT_TRUE(read.TakePrefsLine(line));
    EXPECT_EQ(read, (SpendingLimits{std::nullopt, Dollars("25"), Dollars("0")}));
    EXPECT_FALSE(read.TakePrefsLine("PP-0.006"));
}

TEST(LimitCheckTest, AWorstCaseIsThePageTimesThePriceOrOneCountsRequest) {
    const Prices prices;
    const std::vector<std::tuple<ReadKind, int, std::string>> cases = {
        {ReadKind::Post, 100, "0.50"},    {ReadKind::Post, 500, "2.50"},
        {ReadKind::User, 100, "1.00"},    {ReadKind::User, 1000, "10.00"},
        {ReadKind::Post, -3, "0.00"},     {ReadKind::CountsRecent, 100, "0.005"},
        {ReadKind::CountsAll, 0, "0.01"},
    };
    for (const auto& [kind, objects, worst] : cases)
        EXPECT_EQ(LimitCheck::WorstCase(prices, kind, objects).Text(), worst) << objects;
}

TEST(LimitCheckTest, ARequestThatCouldCrossALimitIsNotSent) {
    using Spent = LimitCheck::Spent;
    const SpendingLimits run{Dollars("25"), std::nullopt, std::nullopt};
    const SpendingLimits all{Dollars("25"), Dollars("40"), Dollars("300")};
    struct Case {
        SpendingLimits limits;
        Spent spent;
        std::string worst;
        std::string stop;  // empty: the request goes
    };
    const std::vector<Case> cases = {
        {{}, {Dollars("1000"), Dollars("1000"), Dollars("1000")}, "0.50", ""},
        {run, {Dollars("24.50"), {}, {}}, "0.50", ""},  // reaching the limit exactly is allowed
        {run,
         {Dollars("24.50"), {}, {}},
         "0.505",
         "Stopped at the spending limit of $25.00 ($24.50 spent this run)"},
        {run,
         {Dollars("24.85"), {}, {}},
         "0.50",
         "Stopped at the spending limit of $25.00 ($24.85 spent this run)"},
        {{Dollars("0"), {}, {}}, {}, "0.00", "Stopped at the spending limit of $0.00 ($0.00 spent this run)"},
        {all,
         {Dollars("1"), Dollars("39.60"), Dollars("39.60")},
         "0.50",
         "Stopped at the daily spending limit of $40.00 ($39.60 spent today (UTC))"},
        {all,
         {Dollars("1"), Dollars("1"), Dollars("299.75")},
         "0.50",
         "Stopped at the monthly spending limit of $300.00 ($299.75 spent this month)"},
        {all,
         {Dollars("24.90"), Dollars("39.90"), Dollars("299.90")},
         "0.50",
         "Stopped at the spending limit of $25.00 ($24.90 spent this run)"},  // the run's limit first
        {all, {Dollars("24.50"), Dollars("39.50"), Dollars("299.50")}, "0.50", ""},
    };
    for (const Case& c : cases) {
        const auto stop = LimitCheck::Before(c.limits, c.spent, Dollars(c.worst.c_str()));
        EXPECT_EQ(stop ? stop->Message() : "", c.stop) << c.spent.run.Text() << " + " << c.worst;
    }
}

TEST(UtcDateTest, TheDayAndTheMonthTurnAtMidnightUtc) {
    const std::vector<std::tuple<std::time_t, std::string, std::string>> cases = {
        {1798761599, "2026-12-31", "2026-12"},  // 23:59:59 UTC
        {1798761600, "2027-01-01", "2027-01"},  // 00:00:00 UTC
        {1772323199, "2026-02-28", "2026-02"},
        {1772323200, "2026-03-01", "2026-03"},
    };
    for (const auto& [seconds, day, month] : cases) {
        EXPECT_EQ(UtcDate::Day(seconds), day) << seconds;
        EXPECT_EQ(UtcDate::Month(seconds), month) << seconds;
    }
    EXPECT_EQ(UtcDate::Milliseconds("2026-12-31T23:59:59.000Z"), 1798761599000LL);
    EXPECT_EQ(UtcDate::Milliseconds("Wed Dec 31"), 0);
    for (const char* month : {"2026-12", "1999-01"}) EXPECT_TRUE(UtcDate::IsMonth(month)) << month;
    for (const char* month : {"2026-13", "2026-1", "2026/12", "26-12-01", ""})
        EXPECT_FALSE(UtcDate::IsMonth(month));
}

}  // namespace
}  // namespace marlin::testing
