#include "workspace/export/tweet_frequencies.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/export/frequency_files.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/tables/tweet_time.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;
using Kind = TweetFrequencies::Kind;
using Interval = TweetFrequencies::Interval;

std::vector<TweetRow> KnownTweets() {
    TweetRow first{"Wed Aug 27 13:05:00 +0000 2014", "alice", "Loving #Data and #data with @Bob", "1"};
    first.positive = "2";
    first.link = "https://www.Example.com/a";
    TweetRow second{"Wed Aug 27 13:40:00 +0000 2014", "bob", "RT @alice: Loving #Data", "2"};
    second.positive = "4";
    second.negative = "-3";
    TweetRow third{"27/08/2014 14:10:00", "Alice", "#python, #data\xE2\x80\xA6 and &#39; x#no #123", "3"};
    third.link = "http://user@sub.Example.org:80/x";
    TweetRow fourth{"Mon Sep 01 10:00:00 +0000 2014", "carol", "nothing", "4"};
    return {first, second, third, fourth, TweetRow{"", "dave", "#undated", "5"}};
}

std::vector<std::string> Lines(const std::vector<TweetFrequencies::Item>& items) {
    std::vector<std::string> lines;
    for (const auto& i : items)
        lines.push_back(i.interval + " " + i.item + " " + std::to_string(i.count) + " " +
                        std::to_string(i.users));
    return lines;
}

TEST(TweetFrequenciesTest, EachKindIsCountedPerIntervalWithItsDistinctAuthors) {
    ReportList table;
    FillTweets(table, KnownTweets());
    const TweetFrequencies hourly = TweetFrequencies::FromTable(table, Interval::Hour);
    EXPECT_EQ(hourly.Undated(), 1);
    EXPECT_THAT(
        Lines(hourly.Items(Kind::Hashtags)),
        ElementsAre("2014-08-27T13 #data 2 2", "2014-08-27T14 #data 1 1", "2014-08-27T14 #python 1 1"));
    EXPECT_THAT(Lines(hourly.Items(Kind::Mentions)),
                ElementsAre("2014-08-27T13 @alice 1 1", "2014-08-27T13 @bob 1 1"));
    EXPECT_THAT(Lines(hourly.Items(Kind::Authors)),
                ElementsAre("2014-08-27T13 @alice 1 1", "2014-08-27T13 @bob 1 1", "2014-08-27T14 @alice 1 1",
                            "2014-09-01T10 @carol 1 1"));
    EXPECT_THAT(Lines(hourly.Items(Kind::Domains)),
                ElementsAre("2014-08-27T13 example.com 1 1", "2014-08-27T14 sub.example.org 1 1"));

    const auto& first = hourly.Summaries().front();
    EXPECT_EQ(first.interval, "2014-08-27T13");
    EXPECT_EQ(std::vector<int>({first.tweets, first.withLinks, first.withHashtags, first.withMentions,
                                first.retweets, first.authors}),
              std::vector<int>({2, 1, 2, 2, 1, 2}));
    EXPECT_DOUBLE_EQ(first.meanPositive, 3.0);
    EXPECT_DOUBLE_EQ(first.meanNegative, -2.0);

    const TweetFrequencies whole = TweetFrequencies::FromTable(table, Interval::Whole);
    EXPECT_THAT(Lines(whole.Top(Kind::Authors, 2)), ElementsAre("all @alice 2 1", "all @bob 1 1"));
    EXPECT_THAT(Lines(TweetFrequencies::FromTable(table, Interval::Week).Items(Kind::Authors)),
                ElementsAre("2014-W35 @alice 2 1", "2014-W35 @bob 1 1", "2014-W36 @carol 1 1"));
}

TEST(TweetFrequenciesTest, IntervalsAreNamedInIso8601) {
    const auto at = [](const char* cell) { return TweetTime::Seconds(cell).value(); };
    struct Case {
        const char* time;
        Interval by;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"27/08/2014 13:59:59", Interval::Hour, "2014-08-27T13"},
        {"27/08/2014 13:59:59", Interval::Day, "2014-08-27"},
        {"27/08/2014 13:59:59", Interval::Week, "2014-W35"},
        {"29/12/2014 00:00:00", Interval::Week, "2015-W01"},  // a Monday in the next ISO year
        {"01/01/2016 12:00:00", Interval::Week, "2015-W53"},  // a Friday in the last week of 2015
        {"04/01/2016 00:00:00", Interval::Week, "2016-W01"},
    };
    for (const Case& c : cases) EXPECT_EQ(TweetFrequencies::IntervalName(at(c.time), c.by), c.name) << c.time;
}

TEST(TweetFrequenciesTest, HashtagsAndDomainsAreReadAsWritten) {
    EXPECT_THAT(TweetFrequencies::Hashtags("#K\xC3\xB6ln! #a_b2 #42 a#b &#39; #\xF0\x9F\x98\x80"),
                ElementsAre("#K\xC3\xB6ln", "#a_b2"));
    EXPECT_EQ(TweetFrequencies::Lower("#K\xC3\x96LN"), "#k\xC3\xB6ln");
    EXPECT_EQ(TweetFrequencies::Domain("HTTPS://WWW.Example.COM./x?y"), "example.com");
    EXPECT_EQ(TweetFrequencies::Domain(""), "");
}

TEST(TweetFrequenciesTest, TheTablesAreSavedAsCsvFilesOrOneWorkbook) {
    TempFolder folder;
    ReportList table;
    FillTweets(table, KnownTweets());
    const TweetFrequencies daily = TweetFrequencies::FromTable(table, Interval::Day);
    ASSERT_TRUE(FrequencyFiles::Write((folder / "f.csv").string(), daily));
    EXPECT_EQ(
        ReadFileBytes(folder / "f-hashtags.csv"),
        "\xEF\xBB\xBF\"interval\",\"item\",\"count\",\"users\"\r\n\"2014-08-27\",\"#data\",\"3\",\"2\"\r\n"
        "\"2014-08-27\",\"#python\",\"1\",\"1\"\r\n");
    EXPECT_THAT(
        ReadFileBytes(folder / "f-intervals.csv"),
        ::testing::HasSubstr("\"2014-08-27\",\"3\",\"2\",\"3\",\"2\",\"1\",\"2\",\"2.333\",\"-1.667\"\r\n"));
    EXPECT_EQ(FrequencyFiles::FilesFor((folder / "f.csv").string()).size(), 5u);
    ASSERT_TRUE(FrequencyFiles::Write((folder / "f.xlsx").string(), daily));
    EXPECT_THAT(ReadFileBytes(folder / "f.xlsx"), ::testing::StartsWith("PK"));
}

TEST(HashtagNetworkTest, CoHashtagAndHashtagUserGraphs) {
    ReportList table;
    FillTweets(table, KnownTweets());
    const auto edges = [](const HashtagNetwork& graph) {
        std::vector<std::string> lines;
        for (const auto& e : graph.Edges())
            lines.push_back(graph.Nodes()[e.source].id + "-" + graph.Nodes()[e.target].id + " " +
                            std::to_string(e.weight));
        return lines;
    };
    const HashtagNetwork co = HashtagNetwork::FromTweets(table, HashtagNetwork::Shape::CoHashtag);
    EXPECT_THAT(edges(co), ElementsAre("#data-#python 1"));
    ASSERT_EQ(co.Nodes().size(), 3u);  // #data, #python, #undated
    EXPECT_EQ(co.Nodes()[0].tweets, 3);
    EXPECT_EQ(co.Nodes()[0].users, 2);
    EXPECT_THAT(co.GraphML(), ::testing::HasSubstr("edgedefault=\"undirected\""));

    const HashtagNetwork twoMode = HashtagNetwork::FromTweets(table, HashtagNetwork::Shape::HashtagUser);
    EXPECT_THAT(edges(twoMode),
                ElementsAre("#data-@alice 2", "#data-@bob 1", "#python-@alice 1", "#undated-@dave 1"));
    EXPECT_STREQ(twoMode.Nodes().back().type, "user");
}

}  // namespace
}  // namespace marlin::testing
