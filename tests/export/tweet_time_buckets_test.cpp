#include "workspace/export/tweet_time_buckets.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tweet_rows.h"
#include "workspace/tables/tweet_time.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;

// A bucket as "label count mean+ mean-".
std::vector<std::string> Lines(const TweetTimeBuckets& buckets) {
    std::vector<std::string> lines;
    for (const auto& b : buckets.Buckets()) {
        char means[64];
        std::snprintf(means, sizeof means, " %.2f %.2f", b.meanPositive, b.meanNegative);
        lines.push_back(buckets.Label(b) + " " + std::to_string(b.count) + means);
    }
    return lines;
}

TweetRow At(std::string dateTime, std::string positive, std::string negative) {
    TweetRow row{std::move(dateTime), "a", "t", "1"};
    row.positive = std::move(positive);
    row.negative = std::move(negative);
    return row;
}

TEST(TweetTimeTest, ReadsTheThreeFormsOfTheDateTimeColumn) {
    const long long expected = TweetTime::Seconds("27/08/2008 13:08:45").value();
    EXPECT_EQ(TweetTime::Iso(expected), "2008-08-27T13:08:45");
    for (const char* form : {"Wed Aug 27 13:08:45 +0000 2008", "Wed Aug 27 13:08:45 0000 2008",
                             "27-Aug-2008 13:08:45", "  27/08/2008 13:08:45"})
        EXPECT_EQ(TweetTime::Seconds(form), expected) << form;
    for (const char* bad : {"", "yesterday", "Wed Xyz 27 13:08:45 +0000 2008", "32/08/2008 13:08:45"})
        EXPECT_FALSE(TweetTime::Seconds(bad).has_value()) << bad;
}

TEST(TweetTimeBucketsTest, ATableWithinSevenDaysIsCountedPerHourWithoutGaps) {
    ReportList table;
    FillTweets(table, {
                          At("Wed Aug 27 15:59:59 +0000 2008", "3", "-1"),
                          At("Wed Aug 27 13:08:45 +0000 2008", "1", "-2"),
                          At("27/08/2008 13:30:00", "2", "-4"),
                          At("Wed Aug 27 15:00:00 +0000 2008", "", ""),  // not scored: counted, no mean
                          At("not a date", "5", "-5"),
                      });
    const TweetTimeBuckets buckets = TweetTimeBuckets::FromTable(table);
    EXPECT_FALSE(buckets.Daily());
    EXPECT_EQ(buckets.Undated(), 1);
    EXPECT_THAT(Lines(buckets), ElementsAre("27/08/2008 13:00 2 1.50 -3.00", "27/08/2008 14:00 0 0.00 0.00",
                                            "27/08/2008 15:00 2 3.00 -1.00"));
    EXPECT_EQ(buckets.MaxCount(), 2);
    EXPECT_EQ(buckets.Summary(buckets.Buckets()[0]),
              "27/08/2008 13:00: 2 tweets, mean Sent+ 1.50, mean Sent- -3.00");
}

TEST(TweetTimeBucketsTest, MoreThanSevenDaysAreCountedPerDay) {
    ReportList table;
    FillTweets(table, {
                          At("Fri Aug 01 23:00:00 +0000 2008", "1", "-1"),
                          At("Fri Aug 01 01:00:00 +0000 2008", "3", "-3"),
                          At("Sat Aug 09 00:00:01 +0000 2008", "2", "-2"),
                      });
    const TweetTimeBuckets buckets = TweetTimeBuckets::FromTable(table);
    ASSERT_TRUE(buckets.Daily());
    ASSERT_EQ(buckets.Buckets().size(), 9u);
    EXPECT_EQ(Lines(buckets).front(), "01/08/2008 2 2.00 -2.00");
    EXPECT_EQ(Lines(buckets).back(), "09/08/2008 1 2.00 -2.00");
    EXPECT_EQ(buckets.Buckets()[4].count, 0);

    // Exactly seven days is still hourly.
    FillTweets(table, {At("Fri Aug 01 00:00:00 +0000 2008", "1", "-1"),
                       At("Fri Aug 08 00:00:00 +0000 2008", "1", "-1")});
    EXPECT_FALSE(TweetTimeBuckets::FromTable(table).Daily());
}

TEST(TweetTimeBucketsTest, AnEmptyTableHasNoBuckets) {
    ReportList table;
    FillTweets(table, {});
    EXPECT_TRUE(TweetTimeBuckets::FromTable(table).Buckets().empty());
}

}  // namespace
}  // namespace marlin::testing
