// Small behaviours of the window: letter case beyond A-Z, a padded link cell, the plain
// credentials file, the User list's bold flag and boxes, and the named-table list.
#include <gmock/gmock.h>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

std::string Line(const std::string& id, const std::string& text, const std::string& link = "") {
    return "Wed Aug 27 13:08:45 +0000 2008\talice\t" + text + "\t" + id + "\tReal\t10\t1\t\t0\tnull\t5\t0\t" +
           link + "\t1\t-1\t\t\r\n";
}

class LastGapsTest : public UserSideTest {
  protected:
    std::vector<std::string> Tweets() {
        std::vector<std::string> texts;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            texts.emplace_back(W().TweetsTable.Rows().Cell(row, TweetColumn::Tweet));
        return texts;
    }
};

TEST_F(LastGapsTest, FiltersFoldEveryLetterTheCodePageHasInBothCases) {
    Start();
    // The table file is Windows-1252: É, Š, Œ and Ÿ as single bytes.
    OpenTable("t.txt", Line("4", "Un CAF\xC9 noir") +
                           Line("3",
                                "\x8Akoda \x8C"
                                "uvre") +
                           Line("2",
                                "\x9F"
                                "es") +
                           Line("1", "plain"));
    struct Case {
        const char* filter;
        int removed;
    };
    for (const Case c : {Case{"café", 1}, Case{"škoda", 1}, Case{"œuvre", 1}, Case{"ÿes", 1}, Case{"É", 1}}) {
        tk.messages.clear();
        tk.promptAnswers = {c.filter};
        tk.messageAnswers = {MsgResult::Cancel};
        frm->Editing().mFilterTweets_Click();
        ASSERT_FALSE(tk.messages.empty());
        EXPECT_THAT(tk.messages[0].text,
                    ::testing::StartsWith("There are " + std::to_string(c.removed) + " tweets"))
            << c.filter;
    }
}

TEST_F(LastGapsTest, ALinkCellThatStartsWithABlankOffersNoGoTo) {
    Start();
    OpenTable("t.txt", Line("2", "a", "123") + Line("1", "b", "http://x.example/"));
    W().TweetsTable.Rows().SetSelectedIndex(0);  // the newest: the number, padded to "   123" or so
    ASSERT_EQ(W().TweetsTable.Rows().Cell(0, TweetColumn::LinkURL).front(), ' ');
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_FALSE(TweetCtl().mNavLinkURL.Visible());
    W().TweetsTable.Rows().SetSelectedIndex(1);
    frm->Editing().OutTable_MouseUp(2);
    EXPECT_TRUE(TweetCtl().mNavLinkURL.Visible());
    EXPECT_EQ(TweetCtl().mNavLinkURL.Caption(), "Go to http://x.example/");
}

TEST_F(LastGapsTest, ThePlainCredentialsFileWithAnEmptyLineIsShownAsWritten) {
    Start();
    WriteFileBytes(File("appcred"), "My App\r\n\r\nsecret\r\n");
    frm->About().Form_Load();
    EXPECT_EQ(frm->About().tbCred[0].Text(), "My App");
    EXPECT_EQ(frm->About().tbCred[1].Text(), "");
    EXPECT_EQ(frm->About().tbCred[2].Text(), "secret");
    EXPECT_FALSE(frm->About().cmdOK.Enabled());

    WriteFileBytes(File("appcred"), "My App\r\nkey\r\n");  // two lines: damaged, all blank
    frm->About().Form_Load();
    EXPECT_EQ(frm->About().tbCred[0].Text(), "");
}

TEST_F(LastGapsTest, PasteClearsTheBoldOfAListFromTheTweetsTableAndFriendsShowAnInformationBox) {
    Start();
    UserCtl().UserList.SetBold(true);
    tk.ClipboardSetText("someone\r\nsomeone_else\r\n");
    tk.messageAnswers = {MsgResult::OK};
    frm->Users().List().mPasteUL_Click();
    EXPECT_FALSE(UserCtl().UserList.Bold());

    tk.messages.clear();
    tk.promptAnswers = {Emu().Users().demo};
    frm->Users().List().mGetUserFriends_Click();
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_THAT(tk.messages.back().text, ::testing::EndsWith(" were copied to the User Timeline list."));
    EXPECT_EQ(tk.messages.back().icon, MsgIcon::Information);
}

TEST_F(LastGapsTest, AClickOnTheChosenNamedTableShowsItAgain) {
    Start();
    StoreCredentials();
    frm->Users().Samples().MergeRemUT_Click();
    ASSERT_EQ(UserCtl().CurUserTable, 1);
    frm->Users().Samples().UTToggle_Click(0);
    UserCtl().UTToggle.SetSelectedIndex(0);
    ASSERT_EQ(UserCtl().CurUserTable, 0);
    ASSERT_EQ(UserCtl().UTList.SelectedIndex(), 0);
    UserCtl().UTList.ClickSelected();
    EXPECT_EQ(UserCtl().CurUserTable, 1);
    EXPECT_TRUE(UserCtl().UserTables[1]->Rows().Visible());
}

}  // namespace
}  // namespace marlin::testing
