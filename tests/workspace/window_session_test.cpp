#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "service/app_cred_file.h"
#include "window_harness.h"

namespace marlin::testing {
namespace {

// A tweet table file of `rows` rows whose scores are set, so opening it asks nothing.
std::string TweetFileBytes(int rows) {
    std::string bytes;
    for (int i = 0; i < rows; ++i) {
        TweetLine line;
        line.dateTime = "27/08/2008 13:08:" + std::to_string(10 + i);
        line.screenName = "alice";
        line.text = "tweet number " + std::to_string(i);
        line.id = std::to_string(1000 + i);
        bytes += line.Line();
    }
    return bytes;
}

// The main window against the emulator, started the way the program starts it: behind
// the credentials dialog, with the stored credentials of the emulator's demo application.
class WindowSessionTest : public WindowHarness {
  protected:
    WindowSessionTest() {
        emulator::EmulatorConfig config;
        config.users = 64;
        config.tweetsPerDay = 200;
        StartService(config, false);
        const auto& c = Emu().Config();
        AppCredFile::InFolder(AppFolder()).Write({c.appName, c.consumerKey, c.consumerSecret});
        NewWindow();
    }

    void NewWindow() {
        OpenForm();
        frm->Session().SetGetUsersFromTweetsAction([this] { ++usersFromTweets; });
        frm->Session().SetEndProgramAction([this] { ++endProgram; });
    }

    // Start-up and a successful OK in the credentials dialog.
    void StartAndAuthenticate() {
        frm->Form_Load();
        ASSERT_TRUE(frm->About().cmdOK.Enabled());
        frm->About().cmdOK.Click();
        ASSERT_FALSE(W().Engine.Client().BearerToken().empty());
    }

    WindowSession& S() { return frm->Session(); }
    std::string Path(const std::string& name) const { return File(name).string(); }
    std::string WriteTable(const std::string& name, int rows) {
        WriteFileBytes(Path(name), TweetFileBytes(rows));
        return Path(name);
    }
    void WritePrefs(const std::string& text) { WriteFileBytes(File("prefs"), text); }

    int usersFromTweets = 0;
    int endProgram = 0;
};

TEST_F(WindowSessionTest, StartsDisabledBehindTheDialogAndClearsScorerLeftovers) {
    for (const char* name : {"tmp0_out.txt", "tmp1_out.txt", "tmp3_out.txt"}) WriteFileBytes(File(name), "x");
    frm->Form_Load();

    EXPECT_FALSE(W().Window.Enabled());
    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition");
    EXPECT_TRUE(frm->About().Window.Visible());
    EXPECT_EQ(frm->About().Status.Caption(), "Loaded previous credentials. Click OK to authenticate.");
    EXPECT_FALSE(std::filesystem::exists(File("tmp0_out.txt")));
    EXPECT_FALSE(std::filesystem::exists(File("tmp1_out.txt")));
    EXPECT_TRUE(std::filesystem::exists(File("tmp3_out.txt")));

    // Closing the dialog before authenticating ends the program.
    EXPECT_TRUE(frm->About().Form_QueryUnload());
    EXPECT_EQ(endProgram, 1);
}

TEST_F(WindowSessionTest, AuthenticationReopensTheNewestQueryWithItsTable) {
    std::string cats = WriteTable("cats.txt", 3);
    std::string dogs = WriteTable("dogs.txt", 2);
    WritePrefs("UP-" + Path("timeline.txt") + "\r\nQP-cats," + cats + "\r\nQP-dogs," + dogs +
               "\r\nLA-fr\r\nHW-100,101,102,103,104,105,106,107,108,109,110,111,112,113,114,115\r\n");
    WriteTable("timeline.txt", 2);
    StartAndAuthenticate();

    EXPECT_TRUE(W().Window.Enabled());
    EXPECT_FALSE(frm->About().Window.Visible());
    EXPECT_EQ(TweetCtl().SearchQuery.Text(), "cats");
    EXPECT_EQ(W().TweetsTable.File(), cats);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 3);
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Search);
    EXPECT_TRUE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_FALSE(UserCtl().UpdateUTL.Enabled());
    EXPECT_FALSE(W().Starting());
    // The timeline line came first and was opened then; the query line took over.
    EXPECT_EQ(TweetCtl().QPHistory.Items(), (std::vector<std::string>{"cats  " + cats, "dogs  " + dogs}));
    EXPECT_EQ(TweetCtl().UTLHistory.Count(), 1);
    EXPECT_EQ(W().Settings.SearchLang, "fr");
    EXPECT_EQ(W().TweetsTable.Rows().Column(0).width, 100);
    EXPECT_EQ(W().TweetsTable.Rows().Column(15).width, 115);
    for (const auto& m : tk.messages) ADD_FAILURE() << m.text;
}

TEST_F(WindowSessionTest, WithoutQueriesTheFirstTimelineIsOpenedAndItsAuthorsListed) {
    std::string first = WriteTable("tl1.txt", 4);
    std::string second = WriteTable("tl2.txt", 2);
    WritePrefs("UP-" + first + "\r\nUP-" + second + "\r\n");
    StartAndAuthenticate();

    EXPECT_EQ(W().TweetsTable.File(), first);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 4);
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Timelines);
    EXPECT_EQ(usersFromTweets, 1);
    EXPECT_FALSE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_TRUE(UserCtl().UpdateUTL.Enabled());
    EXPECT_EQ(TweetCtl().SearchQuery.Text(), "marlin AND twitter");
}

TEST_F(WindowSessionTest, MissingFilesAskToLeaveTheHistory) {
    std::string gone = Path("gone.txt");
    WritePrefs("QP-cats," + gone + "\r\nUP-" + Path("gone-tl.txt") + "\r\n");
    tk.messageAnswers = {MsgResult::No};
    StartAndAuthenticate();

    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, gone +
                                       " was not found [cats]. Remove this query-data pair from the history? "
                                       "(Note: It may be stored on the local drive of another PC)");
    EXPECT_EQ(tk.messages[0].title, "Load Error");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::None);
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 1);

    tk.messageAnswers = {MsgResult::Yes};
    TweetCtl().UTLHistory.SetSelectedIndex(0);
    EXPECT_EQ(tk.messages.back().text,
              Path("gone-tl.txt") +
                  " [User Timeline] was not found. Remove this item from the history? "
                  "(Note: It may be stored on the local drive of another PC)");
    EXPECT_EQ(TweetCtl().UTLHistory.Count(), 0);

    // A query with two blanks in it keeps them, and its file is found.
    const std::string big = WriteTable("big.txt", 1);
    TweetCtl().QPHistory.InsertItem(0, "big  cats  " + big);
    tk.messages.clear();
    TweetCtl().QPHistory.SetSelectedIndex(0);
    EXPECT_EQ(TweetCtl().SearchQuery.Text(), "big  cats");
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(W().TweetsTable.File(), big);
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 2);
}

TEST_F(WindowSessionTest, ClearButtonsRemoveTheSelectedEntryOfTheirOwnHistory) {
    TweetCtl().QPHistory.AddItem("q1  /nowhere/a");
    TweetCtl().QPHistory.AddItem("q2  /nowhere/b");
    TweetCtl().UTLHistory.AddItem("/nowhere/c");
    S().HistoryItemClear[1].Click();  // nothing selected yet
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 2);

    tk.messageAnswers = {MsgResult::No};
    TweetCtl().QPHistory.SetSelectedIndex(1);
    S().HistoryItemClear[1].Click();
    EXPECT_EQ(TweetCtl().QPHistory.Items(), std::vector<std::string>{"q1  /nowhere/a"});
    EXPECT_EQ(TweetCtl().UTLHistory.Count(), 1);

    tk.messageAnswers = {MsgResult::No};
    TweetCtl().UTLHistory.SetSelectedIndex(0);
    S().HistoryItemClear[0].Click();
    EXPECT_EQ(TweetCtl().UTLHistory.Count(), 0);
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 1);
}

TEST_F(WindowSessionTest, PrefsRoundTripThroughShutDownAndTheNextStart) {
    std::string cats = WriteTable("cats.txt", 2);
    TweetCtl().QPHistory.AddItem("cats  " + cats);
    TweetCtl().QPHistory.AddItem("a, b  " + Path("x.txt"));
    TweetCtl().UTLHistory.AddItem(Path("tl.txt"));
    W().Settings.SearchLang = "de";
    for (int i = 0; i < 16; ++i) W().TweetsTable.Rows().SetColumnWidth(i, 700 + i);

    EXPECT_TRUE(frm->Form_QueryUnload());  // empty table: no question
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(ReadFileBytes(File("prefs")),
              "QP-cats," + cats + "\r\nQX-a, b  " + Path("x.txt") + "\r\nUP-" + Path("tl.txt") +
                  "\r\nLA-de\r\nHW-700,701,702,703,704,705,706,707,708,709,710,711,712,713,714,715\r\n");

    NewWindow();
    StartAndAuthenticate();
    EXPECT_EQ(TweetCtl().QPHistory.Items(),
              (std::vector<std::string>{"cats  " + cats, "a, b  " + Path("x.txt")}));
    EXPECT_EQ(W().Settings.SearchLang, "de");
    EXPECT_EQ(W().TweetsTable.Rows().Column(9).width, 709);

    // A short HW- line leaves the widths alone.
    NewWindow();
    WritePrefs("HW-1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\r\n");
    StartAndAuthenticate();
    EXPECT_EQ(W().TweetsTable.Rows().Column(0).width, 1000);
}

TEST_F(WindowSessionTest, ShutDownOffersToSaveTheTable) {
    std::string cats = WriteTable("cats.txt", 2);
    TweetCtl().QPHistory.AddItem("cats  " + cats);
    TweetCtl().QPHistory.SetSelectedIndex(0);
    ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 2);
    W().SetTweetsDirty(true);  // as after an edit: the table just opened is not asked about

    tk.messageAnswers = {MsgResult::Cancel};
    EXPECT_FALSE(frm->Form_QueryUnload());
    EXPECT_EQ(tk.messages.back().text, "Save Tweets before exiting?");
    EXPECT_EQ(tk.messages.back().buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(tk.messages.back().title, "Marlin Skimmer Desktop Edition");
    EXPECT_FALSE(std::filesystem::exists(File("prefs")));

    tk.messageAnswers = {MsgResult::No};
    EXPECT_TRUE(frm->Form_QueryUnload());
    EXPECT_TRUE(std::filesystem::exists(File("prefs")));
}

TEST_F(WindowSessionTest, ShutDownSavesOnYesAndStaysOpenWhenUnsavedRowsWouldBeLost) {
    std::string cats = WriteTable("cats.txt", 2);
    TweetCtl().QPHistory.AddItem("cats  " + cats);
    TweetCtl().QPHistory.SetSelectedIndex(0);
    W().SetTweetsDirty(true);  // as after a retrieval
    W().TweetsTable.SetFile({});

    // Yes, then the save dialog is cancelled: the rows are still unsaved.
    tk.messageAnswers = {MsgResult::Yes};
    tk.fileDialogAnswers = {std::nullopt};
    EXPECT_FALSE(frm->Form_QueryUnload());
    EXPECT_FALSE(std::filesystem::exists(File("prefs")));

    // Yes and a file: saved, recorded in the history, and the window closes.
    std::string saved = Path("saved.txt");
    tk.messageAnswers = {MsgResult::Yes};
    tk.fileDialogAnswers = {saved};
    EXPECT_TRUE(frm->Form_QueryUnload());
    std::string written = ReadFileBytes(saved);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2);
    EXPECT_NE(written.find("\ttweet number 1\t"), std::string::npos);
    EXPECT_EQ(TweetCtl().QPHistory.Item(0), "cats  " + saved);
    EXPECT_EQ(ReadFileBytes(File("prefs")).rfind("QP-cats," + saved + "\r\n", 0), 0u);
}

TEST_F(WindowSessionTest, SmallCommandsOfTheWindow) {
    // Query clean-up: a pasted multi-line query becomes one line.
    TweetCtl().SearchQuery.SetText("cats\r\nAND\r\ndogs");
    TweetCtl().SearchQuery.LostFocus();
    EXPECT_EQ(TweetCtl().SearchQuery.Text(), "catsANDdogs");

    // Status refresh: the user table in sight is counted, not the user list.
    UserCtl().UserList.AddItem("bob");
    UserCtl().UserList.AddItem("eve");
    UserCtl().UserList.SetChecked(1, true);
    for (const char* name : {"bob", "eve", "ann"}) UserCtl().CurrentUserTable().AddRow({name});
    UserCtl().CurrentUserTable().SetChecked(2, true);
    S().Timer1.Tick();
    EXPECT_EQ(W().InfoBar.Panel(1), "0 tweets displayed");
    EXPECT_EQ(W().InfoBar.Panel(2), "3 users displayed (1 checked)");
    EXPECT_EQ(UserCtl().ULCount.Caption(), "2 users displayed");

    // Search language: two characters or nothing changes.
    tk.promptAnswers = {"fra", "", "fr"};
    S().mSetLang.Click();
    S().mSetLang.Click();
    EXPECT_EQ(W().Settings.SearchLang, "en");
    S().mSetLang.Click();
    EXPECT_EQ(W().Settings.SearchLang, "fr");
    EXPECT_EQ(tk.prompts[0].prompt, "Enter the ISO-639-1 code (e.g. English = en, French = fr)");
    EXPECT_EQ(tk.prompts[0].title, "Set Search Language");
    EXPECT_EQ(tk.prompts[0].defaultAnswer, "en");

    // Proxy: whatever is answered becomes the search client's proxy.
    ASSERT_TRUE(S().mSetProxy.Visible());
    tk.promptAnswers = {"10.0.0.1:3128", ""};
    S().mSetProxy.Click();
    EXPECT_EQ(W().Engine.Client().ProxyServer(), "10.0.0.1:3128");
    EXPECT_EQ(tk.prompts.back().title, "Set Proxy");
    EXPECT_EQ(tk.prompts.back().prompt, "Enter proxy address");
    EXPECT_EQ(tk.prompts.back().defaultAnswer, "127.0.0.1:8080");
    S().mSetProxy.Click();
    EXPECT_EQ(tk.prompts.back().defaultAnswer, "10.0.0.1:3128");
    EXPECT_EQ(W().Engine.Client().ProxyServer(), "");

    S().SearchHelp.Click();
    ASSERT_EQ(tk.openedUrls.size(), 1u);
    EXPECT_EQ(tk.openedUrls[0].rfind("https://", 0), 0u);
}

TEST_F(WindowSessionTest, AboutDisablesTheWindowUntilOkHidesTheDialog) {
    StartAndAuthenticate();
    S().mAbout.Click();
    EXPECT_FALSE(W().Window.Enabled());
    EXPECT_TRUE(frm->About().Window.Visible());
    EXPECT_FALSE(frm->About().Form_QueryUnload());
    frm->About().cmdOK.Click();
    EXPECT_TRUE(W().Window.Enabled());
    EXPECT_FALSE(frm->About().Window.Visible());
    EXPECT_EQ(endProgram, 0);
}

}  // namespace
}  // namespace marlin::testing
