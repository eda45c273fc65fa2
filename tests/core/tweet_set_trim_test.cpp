// Trimming a tweet set page after page, as the retrievals do: dates read on an earlier
// trim must keep matching their records when pages are appended, records removed, the
// set cleared or its date-times rewritten.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "platform/testing/scripted_toolkit.h"

namespace marlin {
namespace {

struct Tweet {
    std::string created;
    std::string id;
};

// A search page of the given tweets, newest first.
std::string Page(const std::vector<Tweet>& tweets) {
    std::string json = "{\"statuses\":[";
    for (std::size_t i = 0; i < tweets.size(); ++i) {
        if (i) json += ',';
        json += "{\"created_at\":\"" + tweets[i].created + "\",\"id_str\":\"" + tweets[i].id +
                "\",\"text\":\"t\",\"user\":{\"screen_name\":\"u\"}}";
    }
    return json + "],\"search_metadata\":{\"count\":1}}";
}

std::vector<std::string> Ids(const TweetSet& set) {
    std::vector<std::string> ids;
    for (int i = 1; i <= set.Count(); ++i) ids.push_back(set.TweetID(i));
    return ids;
}

class TweetSetTrimTest : public ::testing::Test {
  protected:
    testing::ScriptedToolkit tk;
    TweetSet set{tk.Yielder()};
    const std::string far = "31/12/2099 23:59:59";
};

TEST_F(TweetSetTrimTest, PagesAppendedAfterATrimAreJudgedByTheirOwnDates) {
    set.SetData(Page({{"Sat Mar 10 12:00:00 +0000 2018", "9"}, {"Fri Mar 09 12:00:00 +0000 2018", "8"}}),
                true, true);
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9", "8"}));

    set.SetData(Page({{"Thu Mar 08 12:00:00 +0000 2018", "7"}, {"Wed Feb 28 12:00:00 +0000 2018", "6"}}),
                true, true);
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9", "8", "7"}));

    // After a removal the remaining records keep their own dates.
    EXPECT_TRUE(set.TrimToDateRange("09/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9", "8"}));
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", "09/03/2018 23:59:59"));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"8"}));
}

TEST_F(TweetSetTrimTest, AnUnreadableDateIsKeptAndCountedAndClearStartsAfresh) {
    set.SetData(Page({{"Sat Mar 10 12:00:00 +0000 2018", "9"}}), true, true);
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    set.SetData(Page({{"Xyz Qqq 99 12:00:00 +0000 2018", "8"}, {"Wed Feb 28 12:00:00 +0000 2018", "7"}}),
                true, true);
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9", "8"}));
    EXPECT_EQ(set.UndatedCount(), 1);
    EXPECT_THROW(set.TrimToDateRange("not a date", far), SKDFuncs::ConversionError);

    set.Clear();
    set.SetData(Page({{"Wed Feb 28 12:00:00 +0000 2018", "5"}, {"Sat Mar 10 12:00:00 +0000 2018", "4"}}),
                true, true);
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"4"}));
    EXPECT_EQ(set.UndatedCount(), 0);
}

TEST_F(TweetSetTrimTest, RewrittenDateTimesAreReadAgain) {
    set.SetData(Page({{"Sat Mar 10 12:00:00 +0000 2018", "9"}}), true, true);
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    set.SetVBDateTimes();  // now "10/03/18 12:00:00"
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_TRUE(set.TrimToDateRange("11/03/2018", far));
    EXPECT_EQ(set.Count(), 0);
}

// Trims by the same bounds look only at what came since; a record put where a kept one
// stood (after KeepFirst, DropAfter or new readable dates) is judged afresh.
TEST_F(TweetSetTrimTest, ARecordInThePlaceOfAKeptOneIsJudgedAgain) {
    const std::vector<Tweet> kept = {{"Sat Mar 10 12:00:00 +0000 2018", "9"},
                                     {"Fri Mar 09 12:00:00 +0000 2018", "8"}};
    const Tweet old = {"Wed Feb 28 12:00:00 +0000 2018", "6"};
    set.SetData(Page(kept), true, true);
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    set.KeepFirst(1);
    set.SetData(Page({old}), true, true);
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9"}));

    set.SetData(Page({kept[1]}), true, true);
    EXPECT_FALSE(set.TrimToDateRange("01/03/2018", far));
    set.DropAfter(1, [](const TweetSet::Record&) { return true; });
    set.SetData(Page({old}), true, true);
    EXPECT_TRUE(set.TrimToDateRange("01/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9"}));

    // Dates after 09/03/2018 turn unreadable, and an unreadable date is kept.
    set.SetReadableDates(SKDFuncs::ToDate("01/01/2018"), SKDFuncs::ToDate("09/03/2018"));
    set.SetData(Page({old}), true, true);
    EXPECT_TRUE(set.TrimToDateRange("05/03/2018", far));
    EXPECT_EQ(Ids(set), (std::vector<std::string>{"9"}));
    EXPECT_EQ(set.UndatedCount(), 1);
}

}  // namespace
}  // namespace marlin
