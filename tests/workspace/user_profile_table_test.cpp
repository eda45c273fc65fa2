// The profile look-up in batches with its quota wait, the user table's columns and
// figures, sorting and the check commands.
#include <algorithm>
#include <chrono>
#include <limits>
#include <regex>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

class UserProfileTableTest : public UserSideTest {
  protected:
    UserProfileTable& Profiles() { return frm->Users().Profiles(); }

    std::vector<std::string> CorpusNames(int count) {
        std::vector<std::string> names;
        for (int i = 8; static_cast<int>(names.size()) < count; ++i)
            names.push_back(Emu().Data().ScreenName(i));
        return names;
    }

    // The clock the quota wait reads, moved an hour on while the wait runs, when the
    // service opens its next window too.
    void MoveClockOnWhileWaiting() {
        Profiles().SetClock([this] {
            const SKDFuncs::DateValue now = SKDFuncs::Now();
            return SKDFuncs::MakeDate(now.year, now.month, now.day, now.hour + m_hoursAhead, now.minute,
                                      now.second);
        });
        tk.onDoEvents = [this] {
            if (!W().Run.QuotaWaiting()) return;
            m_waitingPanels.push_back(W().InfoBar.Panel(3));
            Emu().SetRemaining(emulator::Family::UsersLookup, 300);
            m_hoursAhead = 1;
        };
    }

    std::vector<std::string> Row(int row) { return UserCtl().CurrentUserTable().RowCells(row); }

    int m_hoursAhead = 0;
    std::vector<std::string> m_waitingPanels;
};

TEST_F(UserProfileTableTest, TwoHundredFiftyNamesGoInThreeLookupsWithTheProgressLine) {
    Start();
    const std::vector<std::string> names = CorpusNames(250);
    std::vector<std::string> progress;
    tk.onDoEvents = [&] {
        const std::string line = W().Progress.Last();
        if (line.starts_with("Getting") && (progress.empty() || progress.back() != line))
            progress.push_back(line);
    };
    W().Progress.Append("Retrieving user details (click cancel to abort) ...");
    frm->Users().Profiles().GetUsers(W().Engine, names, false, false);

    const auto lookups = RequestsTo("/1.1/users/lookup.json");
    ASSERT_EQ(lookups.size(), 3u);
    const std::vector<size_t> sizes{100, 100, 50};
    for (size_t k = 0; k < 3; ++k) {
        const std::string list = lookups[k].Param("screen_name");
        EXPECT_EQ(std::count(list.begin(), list.end(), ','), static_cast<long>(sizes[k]));
        EXPECT_THAT(list, EndsWith(","));
    }
    EXPECT_EQ(progress,
              (std::vector<std::string>{"Getting profile details for user list (100 out of 250 retrieved)",
                                        "Getting profile details for user list (200 out of 250 retrieved)",
                                        "Getting profile details for user list (250 out of 250 retrieved)"}));
    // The announcement stays; the look-up's own line follows it.
    EXPECT_EQ(W().Progress.Count(), 2);
    EXPECT_EQ(W().Progress.SelectedIndex(), 1);
    EXPECT_EQ(W().Engine.Users().Count(), 250);
    EXPECT_EQ(W().InfoBar.Panel(3), std::to_string(W().Engine.Client().ULRateLimitRemaining()) +
                                        " USER_LOOKUP requests remaining\r\n");
    EXPECT_THAT(W().InfoBar.Panel(4), StartsWith("Next reset: "));
    EXPECT_TRUE(tk.messages.empty());

    // Update appends; otherwise the set starts afresh.
    frm->Users().Profiles().GetUsers(W().Engine, {names[0]}, false, true);
    EXPECT_EQ(W().Engine.Users().Count(), 251);
    frm->Users().Profiles().GetUsers(W().Engine, {names[0]}, false, false);
    EXPECT_EQ(W().Engine.Users().Count(), 1);
}

TEST_F(UserProfileTableTest, ANearlySpentWindowIsWaitedOutInShortSleeps) {
    Start();
    MoveClockOnWhileWaiting();
    Emu().SetRemaining(emulator::Family::UsersLookup, 3);
    frm->Users().Profiles().GetUsers(W().Engine, CorpusNames(250), false, false);

    // No wait before the first batch (nothing known yet), one after it (2 left).
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_THAT(tk.messages[0].text,
                StartsWith("Approaching API quota limit for this window. Pausing until "));
    EXPECT_TRUE(
        std::regex_match(tk.messages[0].text.substr(std::string(UserProfileTable::kQuotaWarning).size()),
                         std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)")))
        << tk.messages[0].text;
    EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);
    ASSERT_FALSE(m_waitingPanels.empty());
    EXPECT_EQ(m_waitingPanels[0], "Waiting for next quota window on USER_LOOKUP");
    EXPECT_EQ(W().Engine.Users().Count(), 250);
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").size(), 3u);
    EXPECT_GT(tk.sleptMilliseconds, 0);
    EXPECT_EQ(tk.sleptMilliseconds % LookupCapture::kWaitStepMilliseconds, 0);
    EXPECT_FALSE(W().Run.QuotaWaiting());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserProfileTableTest, ASpentWindowIsWaitedOutInsteadOfLosingTheBatch) {
    Start();
    MoveClockOnWhileWaiting();
    // One look-up left: the first batch spends it; the second would be refused.
    Emu().SetRemaining(emulator::Family::UsersLookup, 1);
    frm->Users().Profiles().GetUsers(W().Engine, CorpusNames(250), false, false);

    EXPECT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(W().Engine.Users().Count(), 250);
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").size(), 3u);
}

TEST_F(UserProfileTableTest, CancelDuringTheWaitEndsTheLookupUnfinished) {
    Start();
    tk.onDoEvents = [this] {
        if (W().Run.QuotaWaiting()) frm->QuitGet_Click();
    };
    Emu().SetRemaining(emulator::Family::UsersLookup, 3);
    frm->Users().Profiles().GetUsers(W().Engine, CorpusNames(250), false, false);

    const std::vector<std::string> texts = tk.MessageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "User cancelled the retrieval process");
    EXPECT_EQ(texts[2], "User table update was not completed");
    EXPECT_EQ(tk.messages[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(W().Engine.Users().Count(), 100);  // what arrived stays
    EXPECT_EQ(W().InfoBar.Panel(3), "2 USER_LOOKUP requests remaining\r\n");
    EXPECT_FALSE(W().Run.QuotaWaiting());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserProfileTableTest, ProfileColumnsAreFormattedPaddedAndLeftEmptyWhenTheyCannotBeComputed) {
    Start();
    Profile regular;
    const Profile noFriends{.id = "200", .screenName = "loner", .friends = 0};
    const Profile newcomer{
        .id = "300", .screenName = "newcomer", .createdAt = ServiceDateToday(), .statuses = 10};
    SetProfiles(W().Engine.Users(), {regular, noFriends, newcomer});
    frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);

    using namespace std::chrono;
    const SKDFuncs::DateValue now = SKDFuncs::Now();
    const auto days =
        (sys_days{year{now.year} / now.month / now.day} - sys_days{2008y / August / 27}).count() + 1;
    const std::string twtDay = ProfileRows::FormatPadded(6789.0 / static_cast<double>(days), 1, 5);
    const std::vector<std::string> expected{"100",
                                            "someone",
                                            "Some One",
                                            "Reads a lot",
                                            "https://t.co/x",
                                            "en",
                                            "Leeds",
                                            "True",
                                            "London",
                                            " 1",
                                            "     123",
                                            "      45",
                                            "    6789",
                                            "   12",
                                            "Wed Aug 27 13:08:45 +0000 2008",
                                            "False",
                                            "False",
                                            "http://img/a.jpg",
                                            "https://b/1/web",
                                            "http://bg/1.png",
                                            "    2.7",
                                            twtDay,
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            "",
                                            ""};
    EXPECT_EQ(Row(0), expected);
    EXPECT_EQ(twtDay.size(), 5u);

    EXPECT_EQ(Row(1)[20], "");  // FF Ratio at 0 friends
    EXPECT_EQ(Row(1)[11], "       0");
    EXPECT_EQ(Row(1)[21], twtDay);
    EXPECT_EQ(Row(2)[21], " 10.0");  // created today with 10 statuses
    EXPECT_EQ(W().InfoBar.Panel(2), "3 users displayed");

    // The table is not cleared: a second fill appends.
    frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);
    EXPECT_EQ(UserCtl().CurrentUserTable().RowCount(), 6);
}

TEST_F(UserProfileTableTest, TweetFiguresCountOnlyTheUsersOwnRowsAndStayEmptyWithoutThem) {
    Start();
    AddTweetRow("ann", "first", 3, 1, -1);
    AddTweetRow("ann", "RT @bob: shared", 40, 2, -1);
    AddTweetRow("bob", "RT @ann: first", 3, 1, -3);
    AddTweetRow("ann", "second", 5, 3, -2);
    AddTweetRow("Ann", "not the same author", 99, 5, -5);
    AddTweetRow("ann", "third", 7, 4, -2);
    AddTweetRow("bob", "RT @ann: second", 5, 1, -1);
    AddTweetRow("12345", "digits only", 2, 1, -1);
    const Profile ann{.screenName = "ann"};
    const Profile bob{.id = "200", .screenName = "bob"};
    const Profile carl{.id = "300", .screenName = "carl"};
    const Profile digits{.id = "400", .screenName = "12345"};
    SetProfiles(W().Engine.Users(), {ann, bob, carl, digits});
    frm->Users().Profiles().FillUserTable(W().Engine.Users(), true);

    auto figures = [this](int row) {
        const auto cells = Row(row);
        return std::vector<std::string>(cells.begin() + 31, cells.end());
    };
    EXPECT_EQ(figures(0), (std::vector<std::string>{"    4", "2.5", "-1.5", "    25", "     5", "     7"}));
    // Retweets alone: no mean of original tweets.
    EXPECT_EQ(figures(1), (std::vector<std::string>{"    2", "1.0", "-2.0", "   100", "", "     0"}));
    // No tweets: nothing, and certainly not the figures of the user before.
    EXPECT_EQ(figures(2), (std::vector<std::string>{"", "", "", "", "", ""}));
    EXPECT_EQ(figures(3)[0], "    1");  // a padded screen name of digits still matches
}

TEST_F(UserProfileTableTest, HeaderClicksSortByTheColumnAndReverseOnTheSecondClick) {
    Start();
    std::vector<Profile> profiles(3);
    const int followers[] = {50, 7, 300};
    for (int i = 0; i < 3; ++i) {
        profiles[i].id = std::to_string(100 + i);
        profiles[i].screenName = "user" + std::to_string(i);
        profiles[i].followers = followers[i];
    }
    SetProfiles(W().Engine.Users(), profiles);
    frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);
    auto order = [this] {
        std::vector<std::string> ids;
        for (int row = 0; row < Table0().RowCount(); ++row) ids.emplace_back(Table0().Text(row));
        return ids;
    };
    Table0().ColumnClick(10);
    EXPECT_EQ(order(), (std::vector<std::string>{"101", "100", "102"}));
    Table0().ColumnClick(10);
    EXPECT_EQ(order(), (std::vector<std::string>{"102", "100", "101"}));
    Table0().ColumnClick(1);  // another column keeps the order
    EXPECT_EQ(order(), (std::vector<std::string>{"102", "101", "100"}));
}

TEST_F(UserProfileTableTest, CheckCommandsFollowTheSelectionAndTheSamples) {
    Start();
    std::vector<Profile> profiles(9);
    for (int i = 0; i < 9; ++i) {
        profiles[i].id = std::to_string(100 + i);
        profiles[i].screenName = "user" + std::to_string(i);
    }
    SetProfiles(W().Engine.Users(), profiles);
    frm->Users().Profiles().FillUserTable(W().Engine.Users(), false);
    ReportList& table = Table0();
    auto checks = [&] {
        std::string marks;
        for (int row = 0; row < table.RowCount(); ++row) marks += table.Checked(row) ? 'x' : '.';
        return marks;
    };
    table.SetSelectedIndex(4);
    UserCtl().mUTSelAll[2].Click();
    EXPECT_EQ(checks(), "xxxxx....");
    table.SetCell(1, UserTable::kPrfTwtSamp, "a sample|");
    table.SetCell(3, UserTable::kPrfTwtSamp, "another|");
    UserCtl().mUTSelAll[1].Click();
    EXPECT_EQ(checks(), "x.x.xxxxx");
    UserCtl().mUTUnselAll.Click();
    EXPECT_EQ(checks(), ".........");
    UserCtl().mUTSelAll[0].Click();
    EXPECT_EQ(checks(), "xxxxxxxxx");

    UserCtl().mCopyUT.Click();  // the user set, not the table
    EXPECT_THAT(tk.ClipboardGetText(), StartsWith("UserId\tScreenName\t"));
    EXPECT_NE(tk.ClipboardGetText().find("\r\n108\tuser8\t"), std::string::npos);
}

TEST(UserProfileFormatTest, FiguresRoundHalvesAwayFromZeroAndStayEmptyWithoutAValue) {
    EXPECT_EQ(ProfileRows::FormatFixed(2.25, 1), "2.3");
    EXPECT_EQ(ProfileRows::FormatFixed(-2.25, 1), "-2.3");
    EXPECT_EQ(ProfileRows::FormatFixed(2.5, 0), "3");
    EXPECT_EQ(ProfileRows::FormatFixed(-0.04, 1), "0.0");
    EXPECT_EQ(ProfileRows::FormatFixed(std::numeric_limits<double>::quiet_NaN(), 1), "");
    EXPECT_EQ(ProfileRows::FormatPadded(12.0, 0, 6), "    12");
}

}  // namespace
}  // namespace marlin::testing
