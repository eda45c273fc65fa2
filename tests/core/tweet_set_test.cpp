#include "core/tweet_set.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "core/json_deserializer.h"
#include "core/skd_funcs.h"
#include "core/user_set.h"
#include "platform/testing/scripted_toolkit.h"
#include "test_support.h"

namespace marlin {
namespace {

using testing::Fixture;
using testing::ScriptedToolkit;

constexpr const char* kNoRecords = "JSON response contained no records";

// A compact timeline page of tweets by the given screen names, ids counting down from
// 900, created at the given times (by default all on 27 August 2008).
std::string TimelinePage(const std::vector<std::string>& names,
                         const std::vector<std::string>& created = {}) {
    std::string page = "[";
    long long id = 900;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (page.size() > 1) page += ',';
        const std::string when = i < created.size() ? created[i] : "Wed Aug 27 13:08:45 +0000 2008";
        page += R"({"created_at":")" + when + R"(","id":)" + std::to_string(id) + R"(,"id_str":")" +
                std::to_string(id) + R"(","text":"by )" + name +
                R"(","user":{"id_str":"1","name":"N","screen_name":")" + name +
                R"(","statuses_count":3},"coordinates":null,"retweet_count":0})";
        --id;
    }
    return page + "]";
}

class TweetSetTest : public ::testing::Test {
  protected:
    ScriptedToolkit toolkit;
    TweetSet tweets{toolkit.Yielder()};
    // The window shows the note of an empty page in an information box.
    TweetSetTest() {
        tweets.SetNoticeSink([this](const std::string& note) {
            toolkit.MessageBox(note, MsgButtons::OK, MsgIcon::Information);
        });
    }
};

TEST_F(TweetSetTest, SearchPageGivesTheTweetsTheServiceSent) {
    tweets.SetData(Fixture("search_tweets_page.json"), false, true);
    ASSERT_EQ(tweets.Count(), 15);
    EXPECT_EQ(tweets.LastSetDataSize(), 15);
    EXPECT_TRUE(toolkit.messages.empty());

    EXPECT_EQ(tweets.TweetID(1), "1149825924029980674");
    EXPECT_EQ(tweets.DateTime(1), "Fri Jul 12 23:40:37 +0000 2019");
    EXPECT_EQ(tweets.ScreenName(1), "tweepy_pie");
    EXPECT_EQ(tweets.RealName(1), "Dina Parmar");
    EXPECT_EQ(tweets.Followers(1), 176);
    EXPECT_EQ(tweets.Following(1), 445);
    EXPECT_EQ(tweets.Location(1), "Leeds UK");
    EXPECT_EQ(tweets.UserTweets(1), 2085);
    EXPECT_EQ(tweets.UTC_Offset(1), "0");  // utc_offset null
    EXPECT_EQ(tweets.GeoCoords(1), "null");
    EXPECT_EQ(tweets.Retweeted(1), 7);
    EXPECT_EQ(tweets.Text(1),
              "RT @KassidyCook1: Me, during the season 3 Stranger Things finale https://t.co/zoXlQF2TrZ");
    EXPECT_EQ(tweets.Description(1), "[?][?][?][?] [?][?][?][?]");  // two flags
    EXPECT_EQ(tweets.LinkURL(1), "");

    EXPECT_EQ(
        tweets.Text(3),
        "RT @BBCRajiniV: An important thread [?][?][?][?]  Many of us take water for granted - but imagine "
        "living in a big city, where the taps have run dry.[...]");
    EXPECT_EQ(tweets.Retweeted(3), 3845);
    EXPECT_EQ(tweets.LinkURL(7), "https://www.data-blogger.com/2017/02/24/gathering-tweets-with-python/");
    EXPECT_EQ(tweets.RealName(8), "Jos\xC3\xA9 Luis #MachineLearning #IA #LET #NLP");
    EXPECT_EQ(tweets.Location(8),
              "Almer\xC3\xAD"
              "a, Espa\xC3\xB1"
              "a");
    EXPECT_EQ(
        tweets.LinkURL(13),
        "https://www.independent.co.uk/travel/news-and-advice/air-canada-flight-turbulence-plane-hawaii-"
        "landing-vancouver-sydney-a9001731.html?utm_medium=Social&utm_source=Twitter#Echobox=1562921543");
    EXPECT_EQ(tweets.ScreenName(15), "iAns51177107");
    // The next page starts below the oldest id: the service's own next_results says the same.
    EXPECT_EQ(tweets.OldestTweetId(false), "1149557488447975429");
    EXPECT_EQ(tweets.OldestTweetId(true), "1149557488447975428");
}

TEST_F(TweetSetTest, TimelinePageWithGeoTagsAndLinks) {
    tweets.SetData(Fixture("home_timeline_page_geo_2012.json"), false, false);
    ASSERT_EQ(tweets.Count(), 20);
    EXPECT_EQ(tweets.ScreenName(1), "mutgoff");
    EXPECT_EQ(tweets.Followers(1), 263063);
    EXPECT_EQ(tweets.Following(1), 708);
    EXPECT_EQ(tweets.UTC_Offset(1), "-8");
    EXPECT_EQ(tweets.UserTweets(1), 4604);
    EXPECT_EQ(tweets.Description(1), "I live every week like it's Shark Week. ");
    // The geo object comes first: latitude, longitude.
    EXPECT_EQ(tweets.GeoCoords(1), "43.46481998,-73.64247884");
    EXPECT_EQ(tweets.GeoCoords(2), "null");
    // Two links: the second one is kept.
    EXPECT_EQ(tweets.LinkURL(2), "http://www.kickstarter.com/projects/narratively/narratively");
    EXPECT_EQ(tweets.Text(2),
              "If you like good real-life stories, check out @NarrativelyNY[']s just-launched site "
              "http://t.co/wiUL07jE (and also visit http://t.co/ZoyQxqWA)");
    EXPECT_EQ(tweets.TweetID(20), "244099460672679938");
    EXPECT_EQ(tweets.ScreenName(20), "dwiskus");
}

// The author's fields are those the user object gives read alone as a page of users (not
// those of the user's latest status); so too in a page cut off inside the user, and with
// texts kept exactly.
TEST_F(TweetSetTest, AuthorIsReadAsTheUserAlone) {
    const std::string user =
        R"("status":{"name":"not N","location":"not L","followers_count":9},"name":"N \"q\"",)"
        R"("screen_name":"sn","location":"L","description":"a\nb","followers_count":12,)"
        R"("friends_count":3,"utc_offset":-18000,"statuses_count":40,"entities":{"x":1})";
    for (const bool exact : {false, true}) {
        UserSet alone(toolkit.Yielder());
        alone.SetExactTexts(exact);
        alone.SetData("[{" + user + "}]", false, false);
        tweets.SetExactTexts(exact);
        for (const char* end : {"},\"retweet_count\":1}]", ",\"x\":0"}) {
            tweets.SetData(R"([{"id_str":"5","text":"t","user":{)" + user + end, false, false);
            ASSERT_EQ(tweets.Count(), 1) << end;
            const TweetSet::Record& r = tweets.Item(1);
            const UserSet::Record& u = alone.Item(1);
            EXPECT_EQ(std::make_tuple(r.ScreenName, r.RealName, r.Location, r.Description, r.Followers,
                                      r.Following, r.UTC_Offset, r.UserTweets),
                      std::make_tuple(u.ScreenName, u.RealName, u.Location, u.Description, u.Followers,
                                      u.Friends, u.UTC_Offset, std::to_string(u.StatusCount)))
                << exact << end;
        }
    }
}

TEST_F(TweetSetTest, QuoteTweetCountsItsOwnRetweets) {
    tweets.SetData(Fixture("user_timeline_page.json"), false, false);
    ASSERT_EQ(tweets.Count(), 100);
    EXPECT_EQ(tweets.TweetID(5), "1476682851324239873");
    EXPECT_EQ(tweets.Retweeted(5), 6983);  // the quoted tweet has 9818
    EXPECT_EQ(tweets.Retweeted(6), 9818);
    EXPECT_EQ(tweets.Retweeted(1), 19056);
    EXPECT_EQ(tweets.Followers(100), 113827772);
}

TEST_F(TweetSetTest, BraceInATweetTextDoesNotShiftTheTweetsAfterIt) {
    std::string page = TimelinePage({"a", "b", "c"});
    page.replace(page.find("by a"), 4, "by a :-{ {{");
    tweets.SetData(page, false, false);
    ASSERT_EQ(tweets.Count(), 3);
    EXPECT_EQ(tweets.Text(1), "by a :-{ {{");
    EXPECT_EQ(tweets.ScreenName(2), "b");
    EXPECT_EQ(tweets.ScreenName(3), "c");
    EXPECT_EQ(tweets.OldestTweetId(true), "897");
}

TEST_F(TweetSetTest, AppendKeepsOldRecordsInFront) {
    tweets.SetData(TimelinePage({"a", "b"}), false, false);
    tweets.SetData(TimelinePage({"c"}), true, false);
    ASSERT_EQ(tweets.Count(), 3);
    EXPECT_EQ(tweets.ScreenName(1), "a");
    EXPECT_EQ(tweets.ScreenName(3), "c");
    EXPECT_EQ(tweets.LastSetDataSize(), 1);
    tweets.SetData(TimelinePage({"d"}), false, false);
    ASSERT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.ScreenName(1), "d");
}

TEST_F(TweetSetTest, EmptyAndUnreadablePages) {
    tweets.SetData(TimelinePage({"a"}), false, false);
    tweets.SetData("[]", false, false);  // too short to read: nothing changes, no message
    EXPECT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.LastSetDataSize(), 0);
    EXPECT_TRUE(toolkit.messages.empty());

    tweets.SetData(Fixture("search_tweets_last_page_empty.json"), false, true);
    EXPECT_EQ(tweets.Count(), 0);
    EXPECT_EQ(tweets.LastSetDataSize(), 0);
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].text, kNoRecords);
    EXPECT_EQ(toolkit.messages[0].title, kApplicationTitle);
    EXPECT_EQ(toolkit.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(toolkit.messages[0].buttons, MsgButtons::OK);

    // More tweets than any service page holds: unreadable, so nothing changes.
    std::string flood = R"({"statuses":[)";
    for (int i = 0; i <= JSONDeserializer::kMaxPageRecords; ++i) flood += i == 0 ? "{}" : ",{}";
    tweets.SetData(TimelinePage({"a"}), false, false);
    tweets.SetData(flood + "]}", false, true);
    EXPECT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.LastSetDataSize(), 0);
    EXPECT_EQ(toolkit.messages.size(), 1u);
}

bool HoldsAControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return (c >= 1 && c <= 31) || c == 127; });
}

// An escaped quote before an "n" stays a quote, not a line break.
TEST_F(TweetSetTest, TextsKeepTheirEscapedQuotesAndBackslashes) {
    std::string page = TimelinePage({"a"});
    page.replace(page.find("by a"), 4, R"(say \"no\" to C:\\temp)");
    page.replace(page.find(R"("name":"N")"), 10, R"("name":"\"N\"")");
    tweets.SetData(page, false, false);
    ASSERT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.Text(1), R"(say "no" to C:\temp)");
    EXPECT_EQ(tweets.Item(1).RealName, R"("N")");
}

// Escaped or raw, a TAB, CR or LF in any field would shift or split the table's row.
TEST_F(TweetSetTest, NoTextHoldsAControlCharacter) {
    const std::string page =
        "[{\"created_at\":\"Wed Aug 27\t13:08:45 +0000 2008\",\"id_str\":\"7\r\",\"text\":\"a\\u0009b\\u000d"
        "\\u000ac\x7f\\nd\",\"user\":{\"name\":\"N\\u0009M\",\"screen_name\":\"s\tn\",\"location\":"
        "\"L\\u000a\","
        "\"description\":\"d\r\n\",\"statuses_count\":3},\"coordinates\":\"1\x01\",\"retweet_count\":0,"
        "\"entities\":{\"urls\":[{\"expanded_url\":\"http:\\/\\/x\\u0009y\"}]}}]";
    tweets.SetData(page, false, false);
    ASSERT_EQ(tweets.Count(), 1);
    const TweetSet::Record& r = tweets.Item(1);
    EXPECT_EQ(r.Text, "a b  c  d");
    EXPECT_EQ(r.ScreenName, "s n");
    for (const std::string* field : {&r.DateTime, &r.ScreenName, &r.Text, &r.TweetID, &r.RealName,
                                     &r.Location, &r.GeoCoords, &r.UserTweets, &r.LinkURL, &r.Description}) {
        EXPECT_FALSE(HoldsAControlCharacter(*field)) << *field;
    }
}

TEST_F(TweetSetTest, IndexesOutsideTheRecords) {
    tweets.SetData(TimelinePage({"a"}), false, false);
    EXPECT_EQ(tweets.Text(0), "");
    EXPECT_EQ(tweets.Followers(0), 0);
    EXPECT_EQ(tweets.UserTweets(0), 0);
    EXPECT_THROW(tweets.Text(2), std::out_of_range);
    EXPECT_THROW(tweets.Retweeted(-1), std::out_of_range);
}

TEST_F(TweetSetTest, OldestTweetIdSubtractsInDecimal) {
    EXPECT_EQ(tweets.OldestTweetId(true), "");  // empty set
    auto oldest = [&](const std::string& id) {
        std::string page = TimelinePage({"a"});
        page.replace(page.find(R"("id_str":"900")"), 14, R"("id_str":")" + id + "\"");
        tweets.SetData(page, false, false);
        return tweets.OldestTweetId(true);
    };
    EXPECT_EQ(oldest("250000000000000000"), "249999999999999999");
    EXPECT_EQ(oldest("1000"), "0999");
    EXPECT_EQ(oldest("1149557488447975429"), "1149557488447975428");
    EXPECT_EQ(oldest("000"), "000");
}

TEST_F(TweetSetTest, VBDateTimes) {
    tweets.SetData(TimelinePage({"a", "b"}), false, false);
    EXPECT_EQ(tweets.GetVBDateTime(1), "27/08/08 13:08:45");
    tweets.SetVBDateTimes();
    EXPECT_TRUE(tweets.VBDateTimes());
    EXPECT_EQ(tweets.DateTime(2), "27/08/08 13:08:45");
    EXPECT_EQ(tweets.GetVBDateTime(2), "27/08/08 13:08:45");
    // The rewritten texts still read as dates.
    EXPECT_FALSE(tweets.TrimToDateRange("27/08/2008", "28/08/2008"));
}

TEST_F(TweetSetTest, TrimToDateRangeKeepsTweetsInsideBothBounds) {
    const std::string page = TimelinePage(
        {"a", "b", "c", "d"}, {"Tue Jan 01 10:00:00 +0000 2030", "Wed Aug 27 13:08:45 +0000 2008",
                               "Tue Aug 26 23:59:59 +0000 2008", "Mon Jan 01 00:00:00 +0000 2007"});
    tweets.SetData(page, false, false);
    ASSERT_EQ(tweets.Count(), 4);

    std::string latest;  // empty: now, written back
    EXPECT_TRUE(tweets.TrimToDateRange("27/08/2008 13:08:45", latest));
    EXPECT_EQ(latest.size(), 19u);
    EXPECT_NO_THROW(SKDFuncs::ToDate(latest));
    ASSERT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.ScreenName(1), "b");  // the earliest bound itself is kept

    tweets.SetData(page, false, false);
    EXPECT_TRUE(tweets.TrimToDateRange("01/01/2008", "31/12/2099"));
    ASSERT_EQ(tweets.Count(), 3);
    EXPECT_EQ(tweets.ScreenName(1), "a");  // 2030 is not 1930
    EXPECT_EQ(tweets.ScreenName(3), "c");
    EXPECT_FALSE(tweets.TrimToDateRange("01/01/2008", "31/12/2099"));
}

TEST_F(TweetSetTest, TrimToDateRangeKeepsARecordWithABadDate) {
    std::string page = TimelinePage({"a", "b"});
    page.replace(page.rfind("Wed Aug 27"), 10, "Wed Xyz 27");
    tweets.SetData(page, false, false);
    EXPECT_TRUE(tweets.TrimToDateRange("01/01/2009", "01/01/2010"));
    EXPECT_EQ(tweets.Count(), 1);
    EXPECT_EQ(tweets.UndatedCount(), 1);
    EXPECT_THROW(tweets.TrimToDateRange("01/01/2009", "Xyz"), SKDFuncs::ConversionError);
    EXPECT_EQ(tweets.Count(), 1);
    std::string latest;
    tweets.Clear();
    EXPECT_FALSE(tweets.TrimToDateRange("01/01/2009", latest));
    EXPECT_FALSE(latest.empty());
}

TEST_F(TweetSetTest, GetUserArrListsEachNameOnce) {
    EXPECT_THROW(tweets.GetUserArr(), std::logic_error);
    tweets.SetData(TimelinePage({"a", "b", "a", "B"}), false, false);
    const std::vector<std::string> expected = {"", "a", "b", "B"};
    EXPECT_EQ(tweets.GetUserArr(), expected);
}

}  // namespace
}  // namespace marlin
