// Timeline samples with their figures, Build Table, and the named user tables.
#include <algorithm>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

// A made-up timeline page: each tweet is (text, retweet count, geo-tagged), all dated
// today, newest first.
struct MadeTweet {
    std::string text;
    int retweets = 0;
    bool geo = false;
};
std::string TimelineJson(const std::vector<MadeTweet>& tweets, const std::string& createdAt) {
    std::string json = "[";
    long long id = 1000 + static_cast<long long>(tweets.size());
    for (const MadeTweet& t : tweets) {
        if (json.size() > 1) json += ",";
        json +=
            "{\"created_at\":\"" + createdAt + "\",\"id_str\":\"" + std::to_string(id--) + "\",\"text\":\"" +
            t.text + "\",\"coordinates\":" +
            (t.geo ? std::string("{\"type\":\"Point\",\"coordinates\":[1.5,52.1]}") : std::string("null")) +
            ",\"retweet_count\":" + std::to_string(t.retweets) + ",\"user\":{\"screen_name\":\"ann\"}}";
    }
    return json + "]";
}

int Bars(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '|'));
}

class TimelineSamplesTest : public UserSideTest {
  protected:
    TimelineSamples& Samples() { return frm->Users().Samples(); }
};

TEST(TimelineSampleStatsTest, TheSampleKeepsNOriginalsAndEveryBirthdayTweet) {
    ScriptedToolkit tk;
    TweetSet tweets(tk.Yielder());
    std::vector<MadeTweet> made;
    made.push_back({"RT @bob: happy birthday bob", 50, false});
    made.push_back({"HAPPY BIRTHDAY to me", 2, true});
    made.push_back({"my bday cake", 4, false});
    for (int i = 0; i < 80; ++i) made.push_back({"original " + std::to_string(i), 3, false});
    tweets.SetData(TimelineJson(made, ServiceDateToday(1)), false, false);
    ASSERT_EQ(tweets.Count(), 83);

    const UserStats s = TimelineSamples::SampleStats(tweets, 50);
    EXPECT_EQ(Bars(s.TwtSample), 50);
    EXPECT_THAT(s.TwtSample, StartsWith("HAPPY BIRTHDAY to me|my bday cake|original 0|"));
    // A retweet goes into neither text; originals mention birthdays in any letter case.
    EXPECT_EQ(s.BDayTwts, "HAPPY BIRTHDAY to me|my bday cake|");
    EXPECT_FLOAT_EQ(s.TwtDay, 83.0f);  // all today
    EXPECT_NEAR(s.PctRT, 100.0 / 83, 1e-4);
    EXPECT_NEAR(s.AvRT, (2 + 4 + 80 * 3) / 82.0, 1e-4);
    EXPECT_NEAR(s.PctGeo, 100.0 / 83, 1e-4);
}

TEST(TimelineSampleStatsTest, FiguresOfAllRetweetsTenTodayAndNoTweets) {
    ScriptedToolkit tk;
    TweetSet tweets(tk.Yielder());
    std::vector<MadeTweet> retweets(10, MadeTweet{"RT @x: something", 9, false});
    tweets.SetData(TimelineJson(retweets, ServiceDateToday(2)), false, false);
    UserStats s = TimelineSamples::SampleStats(tweets, 50);
    EXPECT_EQ(ProfileRows::FormatPadded(s.AvRT, 0, 4), "   0");
    EXPECT_EQ(ProfileRows::FormatPadded(s.PctRT, 0, 3), "100");
    EXPECT_EQ(ProfileRows::FormatPadded(s.TwtDay, 0, 4), "  10");
    EXPECT_EQ(s.TwtSample, "");

    tweets.Clear();
    s = TimelineSamples::SampleStats(tweets, 50);
    EXPECT_EQ(ProfileRows::FormatPadded(s.TwtDay, 0, 4), "   0");
    EXPECT_EQ(ProfileRows::FormatPadded(s.PctGeo, 0, 3), "  0");
}

TEST(TimelineSampleStatsTest, OneYearBackIsCalendarArithmetic) {
    using SKDFuncs::MakeDate;
    EXPECT_EQ(TimelineSamples::OneYearBack(MakeDate(2024, 2, 29, 15, 30)), MakeDate(2023, 2, 28));
    EXPECT_EQ(TimelineSamples::OneYearBack(MakeDate(2024, 3, 1)), MakeDate(2023, 3, 1));
    // Digits of the year elsewhere in the date stay as they are.
    EXPECT_EQ(TimelineSamples::OneYearBack(MakeDate(2020, 12, 20)), MakeDate(2019, 12, 20));
}

TEST_F(TimelineSamplesTest, SamplesAreTakenForCheckedRowsOnlyAndStopAt600Tweets) {
    Start();
    const emulator::KnownUsers users = Emu().Users();
    AddTweetRow(users.demo, "a", 0, 1, -1);
    AddTweetRow(users.prolific, "b", 0, 1, -1);
    AddTweetRow(users.midsize, "c", 0, 1, -1);
    UserCtl().BuildTweetsUT.Click();
    ASSERT_EQ(Table0().RowCount(), 3);
    for (int row = 0; row < 2; ++row) Table0().SetChecked(row, true);
    Table0().SetCell(2, UserTable::kPrfTwtSamp, "kept|");
    Emu().ClearRequests();

    tk.promptAnswers.push_back("5");
    UserCtl().GetUTTL.Click();

    ASSERT_EQ(tk.prompts.size(), 1u);
    EXPECT_EQ(tk.prompts[0].prompt,
              "How many original tweets to save for each user? For Profiler, use default value of 50");
    EXPECT_EQ(tk.prompts[0].defaultAnswer, "50");
    EXPECT_EQ(tk.LastMessage()->text, "Retrieval of User timeline samples completed");

    std::vector<std::string> asked;
    for (const auto& request : RequestsTo("/1.1/statuses/user_timeline.json")) {
        asked.push_back(request.Param("screen_name"));
        EXPECT_EQ(request.Param("count"), "200");
        EXPECT_EQ(request.Param("since_id"), "");
    }
    // The library's row is unchecked; the prolific account stops after the page that
    // brings its sample to 600; the demo account's timeline runs out after 300.
    EXPECT_EQ(asked, (std::vector<std::string>{users.demo, users.demo, users.demo, users.prolific,
                                               users.prolific, users.prolific}));
    for (int row = 0; row < 2; ++row) {
        const auto cells = Table0().RowCells(row);
        EXPECT_LE(Bars(cells[UserTable::kPrfTwtSamp]), 5);
        EXPECT_GT(Bars(cells[UserTable::kPrfTwtSamp]), 0);
        EXPECT_EQ(cells[UserTable::kTLTwtDay].size(), 4u);
        EXPECT_EQ(cells[UserTable::kTLPctRT].size(), 3u);
        EXPECT_EQ(cells[UserTable::kTLAvRT].size(), 4u);
        EXPECT_EQ(cells[UserTable::kTLPctGeo].size(), 3u);
    }
    EXPECT_EQ(Table0().Cell(2, UserTable::kPrfTwtSamp), "kept|");
    EXPECT_EQ(Table0().Cell(2, UserTable::kTLTwtDay), "");
    EXPECT_THAT(W().InfoBar.Panel(3), EndsWith(" USER_TIMELINE requests remaining"));
}

TEST_F(TimelineSamplesTest, BuildTableWithAnEmptyTweetsTableRequestsNothing) {
    Start();
    Table0().AddRow({"1", "left over"});
    UserCtl().BuildTweetsUT.Click();
    EXPECT_EQ(Table0().RowCount(), 0);
    EXPECT_TRUE(RequestsTo("/1.1/users/lookup.json").empty());
    EXPECT_EQ(W().InfoBar.Panel(2), "Empty");
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(TimelineSamplesTest, NamedTablesAreAddedShownToggledRenamedAndRemoved) {
    Start();
    StoreCredentials();
    UserCtl().MergeRemUT.Click();
    UserCtl().MergeRemUT.Click();
    EXPECT_FALSE(
        W().TableEngine.Client().BearerToken().empty());  // authenticated from the stored credentials
    EXPECT_EQ(UserCtl().UTList.Items(), (std::vector<std::string>{"1UserTable", "2UserTable"}));
    EXPECT_EQ(UserCtl().CurUserTable, 2);
    EXPECT_EQ(UserCtl().UTToggle.SelectedIndex(), 1);
    auto visible = [this] {
        std::string shown;
        for (const auto& table : UserCtl().UserTables) shown += table->Rows().Visible() ? 'v' : '.';
        return shown;
    };
    EXPECT_EQ(visible(), "..v");
    EXPECT_EQ(UserCtl().UserTables[2]->Rows().ColumnCount(), UserTable::kColumnCount);

    UserCtl().UTToggle.SetSelectedIndex(0);
    EXPECT_EQ(UserCtl().CurUserTable, 0);
    EXPECT_EQ(visible(), "v..");
    UserCtl().UTList.SetSelectedIndex(0);
    EXPECT_EQ(UserCtl().CurUserTable, 1);
    EXPECT_EQ(UserCtl().UTToggle.SelectedIndex(), 1);
    EXPECT_EQ(visible(), ".v.");

    tk.promptAnswers.push_back("mine");
    UserCtl().UTList.DoubleClick();
    EXPECT_EQ(tk.prompts.back().prompt, "Enter New Table Name");
    EXPECT_EQ(tk.prompts.back().defaultAnswer, "1UserTable");
    EXPECT_EQ(UserCtl().UserTables[1]->Name(), "mine");
    UserCtl().UTList.DoubleClick();  // a cancelled prompt keeps the name
    EXPECT_EQ(UserCtl().UTList.Item(0), "mine");

    UserCtl().AddRemUT.Click();  // removes "mine"
    EXPECT_EQ(UserCtl().UTList.Items(), std::vector<std::string>{"2UserTable"});
    EXPECT_EQ(UserCtl().CurUserTable, 1);
    EXPECT_EQ(visible(), ".v");
    UserCtl().AddRemUT.Click();  // the only named table: "Tweets" becomes current
    EXPECT_EQ(UserCtl().UserTables.size(), 1u);
    EXPECT_EQ(UserCtl().CurUserTable, 0);
    EXPECT_EQ(UserCtl().UTToggle.SelectedIndex(), 0);
    EXPECT_EQ(visible(), "v");

    // "Other:" without a named table falls back to "Tweets".
    UserCtl().UTToggle.SetSelectedIndex(1);
    EXPECT_EQ(UserCtl().UTToggle.SelectedIndex(), 0);
}

}  // namespace
}  // namespace marlin::testing
