// The User list: followers and friends, paste, add and delete, tweet authors, checks,
// the item-type switch and the followers/friends frame, against the emulator.
#include <set>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

class UserListTest : public UserSideTest {
  protected:
    std::vector<std::string> SetIds() {
        std::vector<std::string> ids;
        for (int i = 1; i <= W().Engine.Users().Count(); ++i) ids.push_back(W().Engine.Users().Id(i));
        return ids;
    }
    std::vector<std::string> SetNames() {
        std::vector<std::string> names;
        for (int i = 1; i <= W().Engine.Users().Count(); ++i)
            names.push_back(W().Engine.Users().ScreenName(i));
        return names;
    }
    // Accounts whose ids are short enough to be taken for ids when pasted.
    std::vector<int> ShortIdAccounts(int count) {
        std::vector<int> found;
        const auto& data = Emu().Data();
        for (int i = 8; i < data.UserCount() && static_cast<int>(found.size()) < count; ++i)
            if (data.UserId(i) < 1000000000000000ULL && !data.IsProtected(i)) found.push_back(i);
        return found;
    }
    void FillList(const std::vector<std::string>& items) {
        for (const auto& item : items) UserCtl().UserList.AddItem(item);
    }
};

TEST_F(UserListTest, FollowersOfAnAccountWithMoreThanOnePageArriveWholeAndOnce) {
    Start();
    const std::string library = Emu().Users().midsize;
    tk.promptAnswers.push_back(library);
    frm->Users().List().mGetUserFollowers_Click();

    const std::vector<std::string> expected = Emu().Data().FollowerIds(library);
    ASSERT_GT(expected.size(), 200u);
    EXPECT_EQ(SetIds(), expected);
    EXPECT_EQ(UserCtl().UserList.Items(), SetNames());
    EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), expected.size());

    const auto pages = RequestsTo("/1.1/followers/list.json");
    ASSERT_EQ(pages.size(), (expected.size() + 199) / 200);
    EXPECT_EQ(pages[0].Param("cursor"), "-1");
    for (const auto& page : pages) {
        EXPECT_EQ(page.Param("count"), "200");
        EXPECT_EQ(page.Param("screen_name"), library);
    }
    ASSERT_EQ(tk.prompts.size(), 1u);
    EXPECT_EQ(tk.prompts[0].prompt, "Enter screen name");
    EXPECT_EQ(tk.prompts[0].title, kApplicationTitle);
    EXPECT_EQ(tk.prompts[0].defaultAnswer, "marlin_team");

    const std::string count = std::to_string(expected.size());
    EXPECT_EQ(LogLines().back(), "Getting followers of " + library + " (" + count + " retrieved)");
    EXPECT_EQ(W().InfoBar.Panel(2), count + " users displayed");
    EXPECT_THAT(W().InfoBar.Panel(3), EndsWith(" GET FOLLOWERS/LIST requests remaining"));
    EXPECT_THAT(W().InfoBar.Panel(4), StartsWith("Next Reset: "));
    EXPECT_EQ(UserCtl().UserList.ToolTip(), "List contains followers of " + library);
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), 0);
    EXPECT_THAT(UserCtl().UserMeta.Text(), StartsWith(W().Engine.Users().RealName(1) + " - "));
    EXPECT_TRUE(tk.messages.empty());  // followers show no information box
    EXPECT_FALSE(W().Run.Busy());
    // The loop's end marker must not stop the next retrieval after one page.
    EXPECT_FALSE(W().Run.Cancelled());
    EXPECT_TRUE(frm->Session().Timer1.Enabled());
}

TEST_F(UserListTest, FriendsDefaultToTheSelectedItemAndReportTheirCount) {
    Start();
    const std::string demo = Emu().Users().demo;
    FillList({"someone", demo});
    UserCtl().UserList.SetSelectedIndex(1);
    tk.promptAnswers.push_back(demo);
    frm->Users().List().mGetUserFriends_Click();

    EXPECT_EQ(tk.prompts.at(0).defaultAnswer, demo);
    const std::vector<std::string> expected = Emu().Data().FriendIds(demo);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(SetIds(), expected);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, std::to_string(expected.size()) + " Screen Names of friends of " + demo +
                                       " were copied to the User Timeline list.");
    EXPECT_EQ(UserCtl().UserList.ToolTip(), "List contains friends of " + demo);
    EXPECT_THAT(W().InfoBar.Panel(3), EndsWith(" GET FRIENDS/LIST requests remaining"));
}

TEST_F(UserListTest, ANameThatCannotBeAnAccountIsSkippedWithOneLogLine) {
    Start();
    for (const char* name : {"#tag", "John Smith", "a&user_id=1"}) {
        tk.promptAnswers.push_back(name);
        frm->Users().List().mGetUserFollowers_Click();
        EXPECT_THAT(LogLines().back(), HasSubstr(name));
    }
    EXPECT_TRUE(RequestsTo("/1.1/followers/list.json").empty());
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserListTest, AnAccountWithNoFollowersEndsAfterOneRequest) {
    Start();
    tk.promptAnswers.push_back("quiet_observer");
    frm->Users().List().mGetUserFollowers_Click();
    // The empty page's cursor "0" is the end of the list, not a page to ask for again.
    EXPECT_EQ(RequestsTo("/1.1/followers/list.json").size(), 1u);
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_EQ(tk.messages.back().text,
              "No followers retrieved. Verify that you are entering a valid Screen Name");
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UserListTest, AnUnknownAccountEndsTheLoopAtOnceAndKeepsTheList) {
    Start();
    FillList({"kept"});
    tk.promptAnswers.push_back("nobody_by_this_name");
    frm->Users().List().mGetUserFollowers_Click();

    // A refusal that asking again cannot change is not asked again and again.
    EXPECT_EQ(RequestsTo("/1.1/followers/list.json").size(), 1u);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text,
              "No followers retrieved. Verify that you are entering a valid Screen Name");
    EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(UserCtl().UserList.Items(), std::vector<std::string>{"kept"});
    EXPECT_FALSE(W().Run.Busy());

    // A cancelled prompt does nothing at all.
    frm->Users().List().mGetUserFollowers_Click();
    EXPECT_EQ(RequestsTo("/1.1/followers/list.json").size(), 1u);
}

TEST_F(UserListTest, FollowersWaitForASpentWindowAndCancelKeepsWhatArrived) {
    Start();
    const std::string library = Emu().Users().midsize;
    int hoursAhead = 0;
    frm->Users().Profiles().SetClock([&] {
        SKDFuncs::DateValue now = SKDFuncs::Now();
        return SKDFuncs::MakeDate(now.year, now.month, now.day, now.hour + hoursAhead, now.minute,
                                  now.second);
    });
    std::vector<std::string> waitingPanels;
    tk.onDoEvents = [&] {
        if (!W().Run.QuotaWaiting()) return;
        waitingPanels.push_back(W().InfoBar.Panel(3));
        Emu().SetRemaining(emulator::Family::FollowersList, 15);  // the service opens the next window
        hoursAhead = 1;
    };
    Emu().SetRemaining(emulator::Family::FollowersList, 1);
    tk.promptAnswers.push_back(library);
    frm->Users().List().mGetUserFollowers_Click();

    // The spent window was waited out, not hammered with refused requests.
    const size_t expected = Emu().Data().FollowerIds(library).size();
    EXPECT_EQ(W().Engine.Users().Count(), static_cast<int>(expected));
    EXPECT_EQ(RequestsTo("/1.1/followers/list.json").size(), (expected + 199) / 200);
    ASSERT_FALSE(waitingPanels.empty());
    EXPECT_EQ(waitingPanels[0], "Waiting for next quota window on GET FOLLOWERS/LIST");
    EXPECT_GE(tk.sleptMilliseconds, 100);

    // Cancel during the wait: the first page stays and the list shows it.
    frm->Users().List().mULClear_Click();
    hoursAhead = 0;
    Emu().SetRemaining(emulator::Family::FollowersList, 1);
    tk.onDoEvents = [&] {
        if (W().Run.QuotaWaiting()) frm->QuitGet_Click();
    };
    tk.promptAnswers.push_back(library);
    frm->Users().List().mGetUserFollowers_Click();
    EXPECT_EQ(W().Engine.Users().Count(), 200);
    EXPECT_EQ(UserCtl().UserList.Count(), 200);
    EXPECT_FALSE(W().Run.Cancelled());
    EXPECT_FALSE(W().Run.QuotaWaiting());
}

TEST_F(UserListTest, PastedMetadataTableSkipsItsHeaderTakesIdsAndShowsNames) {
    Start();
    const std::vector<int> accounts = ShortIdAccounts(3);
    ASSERT_EQ(accounts.size(), 3u);
    std::string clip = "UserId\tScreenName\tRealName\r\n";
    std::string idList;
    std::vector<std::string> names;
    for (int a : accounts) {
        const std::string id = std::to_string(Emu().Data().UserId(a));
        clip += id + "\t" + Emu().Data().ScreenName(a) + "\tx\r\n";
        idList += id + ",";
        names.push_back(Emu().Data().ScreenName(a));
    }
    tk.ClipboardSetText(clip);
    frm->Users().List().mPasteUL_Click();

    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].title, "Define list item type");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNo);
    const auto lookups = RequestsTo("/1.1/users/lookup.json");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].Param("user_id"), idList);
    EXPECT_EQ(UserCtl().UserList.Items(), names);
    EXPECT_EQ(UserCtl().ULCount.Caption(), "3 users displayed");
    EXPECT_EQ(UserCtl().UserList.ToolTip(), "List contains users pasted from external list/metadata table");
    EXPECT_EQ(LogLines().back(), "Getting profile details for user list (3 out of 3 retrieved)");
    EXPECT_TRUE(UserCtl().UTFrame.Enabled());
    EXPECT_FALSE(W().Run.Busy());

    // Answering No keeps the items as screen names.
    tk.messageAnswers = {MsgResult::OK, MsgResult::No};
    tk.ClipboardSetText(std::to_string(Emu().Data().UserId(accounts[0])) + "\n");
    frm->Users().List().mPasteUL_Click();
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").back().Param("screen_name"),
              std::to_string(Emu().Data().UserId(accounts[0])) + ",");
}

TEST_F(UserListTest, PastedNamesLoseOneAtSignAndSkipLinesWithoutAName) {
    Start();
    const std::string demo = Emu().Users().demo;
    tk.ClipboardSetText("@@alice\r\n@bob\tsecond field\r\n\tno first field\r\n carol\r\n\r\n" + demo);
    frm->Users().List().mPasteUL_Click();

    EXPECT_TRUE(tk.messages.empty());  // nothing looked like an id
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"@alice", "bob", demo}));
    // "@alice" cannot be a screen name: it is left out of the look-up, and the log says so.
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").at(0).Param("screen_name"), "bob," + demo + ",");
    const std::vector<std::string>& lines = W().Progress.Lines();
    EXPECT_EQ(lines.at(lines.size() - 2),
              "Skipped 1 entries that are not screen names or user ids: [@alice]");
    EXPECT_EQ(lines.back(), "Found 1 of 2 users; not found: [bob]");

    // Ids each ending in CR LF carry the CR in their field, so only an unterminated last
    // line can mark the list as ids.
    tk.ClipboardSetText("1000123\r\n1500456\r\n");
    frm->Users().List().mPasteUL_Click();
    EXPECT_EQ(tk.messages.size(), 1u);  // only the replace question
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"1000123", "1500456"}));
    tk.ClipboardSetText("1000123\r\n1500456");
    tk.messageAnswers = {MsgResult::OK, MsgResult::No};
    frm->Users().List().mPasteUL_Click();
    EXPECT_EQ(tk.messages.back().title, "Define list item type");
}

TEST_F(UserListTest, PasteWithoutALineFeedOrWithTheReplaceDeclinedChangesNothing) {
    Start();
    FillList({"kept"});
    tk.ClipboardSetText("single_line");
    frm->Users().List().mPasteUL_Click();
    EXPECT_EQ(tk.messages.at(0).text, "Replace current user list with list on clipboard?");
    EXPECT_EQ(UserCtl().UserList.Items(), std::vector<std::string>{"kept"});

    tk.ClipboardSetText("a\nb\n");
    tk.messageAnswers = {MsgResult::Cancel};
    frm->Users().List().mPasteUL_Click();
    EXPECT_EQ(UserCtl().UserList.Items(), std::vector<std::string>{"kept"});
    EXPECT_TRUE(RequestsTo("/1.1/users/lookup.json").empty());
}

TEST(UserListIdTest, AnItemIsAnIdOnlyInTheCanonicalFormOfItsNumber) {
    EXPECT_TRUE(UserListBuilder::LooksLikeUserId("12345"));
    EXPECT_TRUE(UserListBuilder::LooksLikeUserId("123456789012345"));  // 15 digits
    EXPECT_TRUE(UserListBuilder::LooksLikeUserId("0"));
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("012345"));
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("-12345"));
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("12345\r"));
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("123ab"));
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("jane_doe"));
    // From 10^15 on the number is written with an exponent and no longer matches.
    EXPECT_FALSE(UserListBuilder::LooksLikeUserId("1234567890123456"));
}

TEST_F(UserListTest, AddUserAppendsWhatItFindsAndNothingOtherwise) {
    Start();
    const std::string demo = Emu().Users().demo;
    FillList({"first"});
    tk.promptAnswers.push_back(demo);
    frm->Users().List().mAddUser_Click();
    EXPECT_EQ(tk.prompts.at(0).prompt, "Enter user ScreenName");
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"first", demo}));
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), 1);
    EXPECT_THAT(UserCtl().UserMeta.Text(), StartsWith("Demo Researcher - ")) << UserCtl().UserMeta.Text();
    EXPECT_NE(UserCtl().UserMeta.Text().find(". Is located in "), std::string::npos);
    EXPECT_NE(UserCtl().UserMeta.Text().find("), has 320 Followers, "), std::string::npos);
    EXPECT_THAT(UserCtl().UserMeta.Text(), EndsWith(" Tweets"));

    tk.promptAnswers.push_back("nobody_by_this_name");
    frm->Users().List().mAddUser_Click();
    EXPECT_EQ(UserCtl().UserList.Count(), 2);
    EXPECT_EQ(LogLines().back(), "No user found");

    tk.promptAnswers.push_back(" leading_blank");
    const size_t before = RequestsTo("/1.1/users/lookup.json").size();
    frm->Users().List().mAddUser_Click();
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").size(), before);
}

TEST_F(UserListTest, DeleteUserSelectsThePreviousItemOrNone) {
    Start();
    FillList({"a", "b", "c"});
    UserCtl().UserList.SetSelectedIndex(2);
    frm->Users().List().mDeleteUser_Click();
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), 1);

    UserCtl().UserMeta.SetText("old summary");
    UserCtl().UserList.SetSelectedIndex(0);
    frm->Users().List().mDeleteUser_Click();
    EXPECT_EQ(UserCtl().UserList.Items(), std::vector<std::string>{"b"});
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), -1);
    EXPECT_EQ(UserCtl().UserMeta.Text(), "");

    frm->Users().List().mDeleteUser_Click();  // nothing selected: nothing removed
    EXPECT_EQ(UserCtl().UserList.Count(), 1);
}

TEST_F(UserListTest, TweetAuthorsAreAddedOnceAndRemovedByExactName) {
    Start();
    const std::string demo = Emu().Users().demo;
    AddTweetRow(demo, "hello", 0, 1, -1);
    FillList({"other"});
    W().TweetsTable.Rows().SetSelectedIndex(0);
    frm->Users().List().mAddU2UL_Click();
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"other", demo}));
    EXPECT_EQ(RequestsTo("/1.1/users/lookup.json").back().Param("screen_name"), "other," + demo + ",");

    frm->Users().List().mAddU2UL_Click();  // already there: selected, not added again
    EXPECT_EQ(UserCtl().UserList.Count(), 2);
    EXPECT_EQ(UserCtl().UserList.SelectedIndex(), 1);

    UserCtl().UserList.AddItem(demo);
    frm->Users().List().mDelUFUL_Click();  // the first equal item goes
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"other", demo}));
}

TEST_F(UserListTest, SelectAllFlipsBetweenAllAndNoneAndClearEmptiesEverything) {
    Start();
    FillList({"a", "b", "c"});
    UserCtl().UserList.SetChecked(1, true);
    EXPECT_EQ(UserCtl().mSelAllUL.Caption(), "Deselect All");
    frm->Users().List().mSelAllUL_Click();  // one checked: all unchecked
    EXPECT_EQ(UserCtl().UserList.CheckedCount(), 0);
    EXPECT_EQ(UserCtl().mSelAllUL.Caption(), "Select All");
    frm->Users().List().mSelAllUL_Click();
    EXPECT_EQ(UserCtl().UserList.CheckedCount(), 3);
    EXPECT_EQ(UserCtl().mSelAllUL.Caption(), "Deselect All");

    frm->Users().List().mCopyUL_Click();
    EXPECT_EQ(tk.ClipboardGetText(), "a\r\nb\r\nc\r\n");

    UserCtl().UserMeta.SetText("summary");
    frm->Users().List().mULClear_Click();
    EXPECT_EQ(UserCtl().UserList.Count(), 0);
    EXPECT_EQ(W().Engine.Users().Count(), 0);
    EXPECT_EQ(UserCtl().mSelAllUL.Caption(), "Select All");
    EXPECT_EQ(UserCtl().UserMeta.Text(), "");
}

TEST_F(UserListTest, TheItemTypeSwitchRewritesOnlyAListInStepWithTheUserSet) {
    Start();
    const Profile a{.id = "111", .screenName = "ann"};
    const Profile b{.id = "222", .screenName = "bob"};
    SetProfiles(W().Engine.Users(), {a, b});
    FillList({"ann", "bob"});
    UserCtl().UserHandle.SetSelectedIndex(1);
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"111", "222"}));
    UserCtl().UserList.SetSelectedIndex(1);  // the summary finds an id item too
    EXPECT_THAT(UserCtl().UserMeta.Text(),
                StartsWith("Some One - Reads a lot. Is located in Leeds (en), has 123"));
    UserCtl().UserHandle.SetSelectedIndex(0);
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"ann", "bob"}));

    UserCtl().UserList.AddItem("extra");
    UserCtl().UserHandle.SetSelectedIndex(1);
    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{"ann", "bob", "extra"}));
}

TEST_F(UserListTest, UsersFromTweetsListTheDistinctAuthorsInBold) {
    Start();
    const std::string demo = Emu().Users().demo;
    const std::string library = Emu().Users().midsize;
    AddTweetRow(demo, "one", 0, 1, -1);
    AddTweetRow(library, "two", 0, 1, -1);
    AddTweetRow(demo, "three", 0, 1, -1);
    frm->Users().List().mGetUFT_Click();

    EXPECT_EQ(UserCtl().UserList.Items(), (std::vector<std::string>{demo, library}));
    EXPECT_TRUE(UserCtl().UserList.Bold());
    EXPECT_EQ(UserCtl().UserHandle.SelectedIndex(), 0);
    EXPECT_THAT(UserCtl().UserList.ToolTip(),
                StartsWith("List contains users extracted from a Tweets table."));
    EXPECT_EQ(Table0().RowCount(), 2);
}

TEST_F(UserListTest, TheFollowersFrameMakesANamedTablePerTarget) {
    Start();
    StoreCredentials();
    const std::string library = Emu().Users().midsize;
    UserCtl().GUFOp.SetSelectedIndex(1);
    EXPECT_TRUE(UserCtl().GUF_Id.Enabled());
    UserCtl().GUF_Id.SetText(library);
    UserCtl().GetFF[0].Click();

    const size_t expected = Emu().Data().FollowerIds(library).size();
    ASSERT_EQ(UserCtl().UserTables.size(), 2u);
    EXPECT_EQ(UserCtl().UserTables[1]->Name(), library + "_followers");
    EXPECT_EQ(UserCtl().CurUserTable, 1);
    EXPECT_EQ(UserCtl().CurrentUserTable().RowCount(), static_cast<int>(expected));
    EXPECT_FALSE(UserCtl().CurrentUserTable().Cell(0, 10).empty());  // profile columns filled
    EXPECT_EQ(UserCtl().UTList.Items(), std::vector<std::string>{library + "_followers"});
    EXPECT_FALSE(W().TableEngine.Client().BearerToken().empty());

    // "Selected Users": the id of the row chosen in the current table.
    UserCtl().GUFOp.SetSelectedIndex(0);
    EXPECT_FALSE(UserCtl().GUF_Id.Enabled());
    UserCtl().CurrentUserTable().SetSelectedIndex(0);
    const std::string id(UserCtl().CurrentUserTable().Text(0));
    UserCtl().GetFF[1].Click();
    EXPECT_EQ(RequestsTo("/1.1/friends/list.json").at(0).Param("user_id"), id);
}

}  // namespace
}  // namespace marlin::testing
