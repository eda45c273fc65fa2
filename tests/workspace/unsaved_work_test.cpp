// The user's work is never dropped without a question: every change to the Tweets table
// marks it unsaved, user tables with service rows are offered for saving before they go,
// and the request log keeps the line before a look-up.
#include <functional>

#include <gmock/gmock.h>

#include "user_side_fixture.h"
#include "workspace/users/user_table_files.h"

namespace marlin::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

std::string Line(const std::string& id, const std::string& name, const std::string& text) {
    return "Wed Aug 27 13:08:45 +0000 2008\t" + name + "\t" + text + "\t" + id +
           "\tReal\t10\t1\t\t0\tnull\t5\t0\t\t1\t-1\t\t\r\n";
}

class UnsavedWorkTest : public UserSideTest {
  protected:
    void OpenThreeRows() {
        W().SetTweetsDirty(false);  // the previous case's edits are not this case's business
        OpenTable("three.txt", Line("3", "alice", "RT @bob: hello") + Line("2", "alice", "plain") +
                                   Line("1", "bob", "other words"));
        ASSERT_FALSE(W().TweetsDirty());
        ASSERT_THAT(W().Window.Caption(), EndsWith("]"));
        ASSERT_THAT(W().Window.Caption(), ::testing::Not(EndsWith("*]")));
        tk.messages.clear();
    }
    // Followers of the library account into a named table of their own.
    void FollowersTable() {
        StoreCredentials();
        UserCtl().GUFOp.SetSelectedIndex(1);
        UserCtl().GUF_Id.SetText(Emu().Users().midsize);
        UserCtl().GetFF[0].Click();
        ASSERT_EQ(UserCtl().UserTables.size(), 2u);
        ASSERT_GT(UserCtl().CurrentUserTable().RowCount(), 0);
        tk.messages.clear();
    }
    int Questions() {
        int asked = 0;
        for (const auto& m : tk.messages) asked += m.text.find("contents of the user t") != std::string::npos;
        return asked;
    }
};

TEST_F(UnsavedWorkTest, EveryCommandThatChangesTheTweetsTableMarksItUnsaved) {
    Start();
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const std::vector<Case> cases = {
        {"Delete Tweet",
         [&] { W().TweetsTable.Rows().SetSelectedIndex(0), frm->Editing().mDelTweet_Click(); }},
        {"Delete All Tweets By User",
         [&] {
             W().TweetsTable.Rows().SetSelectedIndex(0);
             tk.messageAnswers = {MsgResult::OK};
             frm->Editing().mDelUsersTweets_Click();
         }},
        {"Remove Retweets",
         [&] {
             tk.messageAnswers = {MsgResult::OK};
             frm->Editing().mRemRT_Click();
         }},
        {"Filter Tweets",
         [&] {
             tk.promptAnswers = {"plain"};
             tk.messageAnswers = {MsgResult::OK};
             frm->Editing().mFilterTweets_Click();
         }},
        {"to Numeric format",
         [&] {
             tk.messageAnswers = {MsgResult::OK};
             frm->Editing().mVBDateTime_Click();
         }},
        {"to SPSS compatible format",
         [&] {
             tk.messageAnswers = {MsgResult::OK};
             frm->Editing().mSPSSDateTime_Click();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenThreeRows();
        c.run();
        EXPECT_TRUE(W().TweetsDirty());
        EXPECT_THAT(W().Window.Caption(), EndsWith("*]"));
    }

    // An edited table is offered for saving before Open replaces it.
    OpenThreeRows();
    W().TweetsTable.Rows().SetSelectedIndex(0);
    frm->Editing().mDelTweet_Click();
    tk.messageAnswers = {MsgResult::No};
    OpenTable("again.txt", Line("9", "carol", "x") + Line("8", "carol", "y"));
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_EQ(
        tk.messages[0].text,
        "The selected operation will replace the current contents of the Tweet table. Save contents now?");
}

TEST_F(UnsavedWorkTest, AFilterThatRemovesNothingAndACancelledOneLeaveTheTableSaved) {
    Start();
    OpenThreeRows();
    tk.promptAnswers = {"absent"};
    tk.messageAnswers = {MsgResult::OK};
    frm->Editing().mFilterTweets_Click();
    tk.messageAnswers = {MsgResult::Cancel};
    frm->Editing().mRemRT_Click();
    EXPECT_FALSE(W().TweetsDirty());
    EXPECT_THAT(W().Window.Caption(), ::testing::Not(EndsWith("*]")));
}

TEST_F(UnsavedWorkTest, ANewSearchShowsTheMarkOfItsUnsavedTable) {
    Start();
    BackDays(1);
    NewSearch("data");
    ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0);
    EXPECT_TRUE(W().TweetsDirty());
    EXPECT_THAT(W().Window.Caption(), EndsWith("*]"));
}

TEST_F(UnsavedWorkTest, ServiceRowsOfAUserTableAreOfferedBeforeRemoveAndAtClose) {
    Start();
    FollowersTable();
    // Remove: No drops the table after the question.
    tk.messageAnswers = {MsgResult::No};
    frm->Users().Samples().AddRemUT_Click();
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(UserCtl().UserTables.size(), 1u);

    // Close: one question for all unsaved tables; Yes saves each, all fields.
    FollowersTable();
    frm->Users().Samples().MergeRemUT_Click();  // an empty table is nothing to save
    const std::string saved = File("kept").string();
    tk.fileDialogAnswers = {saved};
    ASSERT_TRUE(frm->Form_QueryUnload());
    EXPECT_EQ(Questions(), 1);
    ASSERT_EQ(tk.fileDialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(saved + ".mut"));
}

TEST_F(UnsavedWorkTest, ACancelledSaveAtCloseKeepsTheWindowAndASavedTableIsNotAskedAbout) {
    Start();
    FollowersTable();
    tk.fileDialogAnswers = {std::nullopt};  // Yes, then the dialog is cancelled
    EXPECT_FALSE(frm->Form_QueryUnload());

    tk.messages.clear();
    tk.fileDialogAnswers = {File("followers").string()};
    frm->Users().Files().mSaveUsers_Click(2);
    ASSERT_TRUE(frm->Form_QueryUnload());
    EXPECT_EQ(Questions(), 0);
}

TEST_F(UnsavedWorkTest, ANewTimelineRetrievalAsksBeforeItEmptiesTheUserTable) {
    Start();
    BackDays(1);
    NewSearch("data");
    tk.messageAnswers = {MsgResult::No};  // the Tweets table
    frm->Users().Samples().BuildTweetsUT_Click();
    ASSERT_GT(Table0().RowCount(), 0);
    tk.messages.clear();
    UserCtl().UserList.AddItem(Emu().Users().demo, true);
    tk.messageAnswers = {MsgResult::No, MsgResult::No};
    frm->Users().Timelines().GetAllUTL_Click();
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Table0().RowCount(), 0);
}

TEST_F(UnsavedWorkTest, SamplesOfNoCheckedUserAndSavingTheTweetsTableLeaveTheUserSideAlone) {
    Start();
    BackDays(1);
    NewSearch("data");
    FollowersTable();
    frm->Users().Profiles().mUTUnselAll_Click();  // rows highlighted below, none checked
    UserCtl().CurrentUserTable().SetSelectedRows({0, 1}, 0);
    frm->Users().Samples().GetUTTL_Click();
    EXPECT_THAT(tk.LastMessage()->text, StartsWith("No user is checked."));
    EXPECT_EQ(CountRequests("/1.1/statuses/user_timeline.json"), 0);
    tk.messages.clear();
    const std::string name = UserCtl().UserTables[1]->Name();
    const int rows = UserCtl().CurrentUserTable().RowCount();
    tk.fileDialogAnswers = {File("saved.txt").string()};
    frm->Files().SaveTweetsTable();
    EXPECT_EQ(Questions(), 0);
    EXPECT_EQ(UserCtl().CurrentUserTable().RowCount(), rows);
    EXPECT_EQ(UserCtl().UserTables[1]->Name(), name);

    tk.messageAnswers = {MsgResult::No, MsgResult::No};
    TweetCtl().QPHistory.SetSelectedIndex(0);  // the user's choice reopens the file
    ASSERT_EQ(Questions(), 1);
    EXPECT_THAT(tk.messages[0].text, HasSubstr("of the user table \"" + name + "\". Save contents now?"));
}

TEST_F(UnsavedWorkTest, ClosingAsksOnlyAfterAChangeAndYesSavesToTheTablesOwnFile) {
    Start();
    OpenThreeRows();
    ASSERT_TRUE(frm->Form_QueryUnload());
    EXPECT_THAT(tk.messages, IsEmpty());
    W().TweetsTable.Rows().SetSelectedIndex(0);
    frm->Editing().mDelTweet_Click();
    tk.messageAnswers = {MsgResult::Yes};
    ASSERT_TRUE(frm->Form_QueryUnload());
    ASSERT_EQ(tk.messages.size(), 1u);  // "Save Tweets before exiting?" alone, no dialog after it
    EXPECT_EQ(ReadFileBytes(W().TweetsTable.File()).find("RT @bob: hello"), std::string::npos);
}

TEST_F(UnsavedWorkTest, ALookUpAddsItsLineAfterTheOneBeforeIt) {
    Start();
    W().Progress.Append("Search ended @now, user cancelled the procedure");
    tk.promptAnswers = {Emu().Users().demo};
    frm->Users().List().mAddUser_Click();
    const auto lines = LogLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Search ended @now, user cancelled the procedure");
    EXPECT_THAT(lines.back(), HasSubstr("Getting profile details for user list (1 out of 1 retrieved)"));
}

}  // namespace
}  // namespace marlin::testing
