// Tweet table files: Open, Save, Save and Send, with real files in the program folder.
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

const std::string kRow1 = TweetLine{.screenName = "alice",
                                    .text = "Hello good world",
                                    .id = "250000000000000002",
                                    .realName = "Alice A",
                                    .followers = "123",
                                    .friends = "45",
                                    .location = "London",
                                    .tweets = "999",
                                    .link = "http://example.com/a",
                                    .description = "likes tea"}
                              .Line();
const std::string kRow2 = TweetLine{.dateTime = "Tue Aug 26 10:00:00 0000 2008",
                                    .screenName = "bob",
                                    .text = "RT @alice: good",
                                    .id = "250000000000000001",
                                    .realName = "Bob B",
                                    .followers = "12345678",
                                    .friends = "7",
                                    .location = "",
                                    .utcOffset = "-5",
                                    .geo = "51.5,-0.1",
                                    .tweets = "3",
                                    .retweets = "4",
                                    .positive = "1",
                                    .negative = "-3",
                                    .description = ""}
                              .Line();
const std::string kHeader = TweetTableHeader();

class TweetFilesTest : public MainWindowTest {
  protected:
    void SetUp() override { StartWindow(); }

    // Opens a file through the dialog.
    void Open(const std::filesystem::path& file) {
        tk.fileDialogAnswers.push_back(file.string());
        frm->Files().OpenTweetsTable();
    }
    std::string Written(const std::string& name, const std::string& bytes) {
        WriteFileBytes(File(name), bytes);
        return File(name).string();
    }
};

TEST_F(TweetFilesTest, OpenShowsPaddedRowsNotDimmedAndSaveWritesTheSameBytes) {
    const std::string path = Written("two.txt", kRow1 + kRow2);
    Open(path);

    ReportList& table = W().TweetsTable.Rows();
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Text(0), "Wed Aug 27 13:08:45 0000 2008");
    EXPECT_EQ(table.Cell(0, 5), "    123");  // padded to 7 for the text sort
    EXPECT_EQ(table.Cell(1, 5), "12345678");
    EXPECT_EQ(table.Cell(1, 8), "-5");  // a sign is never padded
    EXPECT_EQ(table.Cell(0, 12), "http://example.com/a");
    // Saved rows look like rows: the title's mark alone says whether anything is unsaved.
    EXPECT_FALSE(table.Dimmed(0));
    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition [" + path + "]");
    EXPECT_FALSE(W().TweetsDirty());
    EXPECT_EQ(W().TweetsTable.File(), path);
    EXPECT_TRUE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_TRUE(UserCtl().UpdateUTL.Enabled());
    EXPECT_EQ(W().InfoBar.Panel(1), "2 tweets displayed");
    EXPECT_EQ(W().InfoBar.Panel(2), "Empty");
    ASSERT_EQ(tk.fileDialogs.size(), 1u);
    EXPECT_EQ(tk.fileDialogs[0].request.filter, "Text (*.txt)|*.txt|Marlin Tweet Table (*.mtwt)|*.mtwt");
    EXPECT_EQ(tk.fileDialogs[0].request.defaultExtension, "mtwt");

    // The file exists: Yes overwrites it without a dialog, padding gone again.
    tk.messageAnswers = {MsgResult::Yes};
    frm->Files().SaveTweetsTable();
    EXPECT_EQ(tk.messages.back().text, path + " already exists. Overwrite this file?");
    EXPECT_EQ(tk.fileDialogs.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), kRow1 + kRow2);
    EXPECT_FALSE(table.Dimmed(0) || table.Dimmed(1));
}

TEST_F(TweetFilesTest, HeadersAreWrittenOnRequestAndSkippedWhenRead) {
    Open(Written("two.txt", kRow1 + kRow2));
    frm->TableView().mHeaders_Click();
    EXPECT_TRUE(TweetCtl().mHeaders.Checked());
    tk.messageAnswers = {MsgResult::No};  // do not overwrite: choose a new file
    const std::string target = File("with headers.mtwt").string();
    tk.fileDialogAnswers.push_back(target);
    frm->Files().SaveTweetsTable();
    EXPECT_EQ(ReadFileBytes(target), kHeader + kRow1 + kRow2);
    EXPECT_EQ(tk.fileDialogs.back().request.defaultExtension, "txt");
    EXPECT_EQ(W().TweetsTable.File(), target);

    Open(target);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 2);
    EXPECT_EQ(W().TweetsTable.Rows().Text(0), "Wed Aug 27 13:08:45 0000 2008");

    // One data row opens, under a header line or alone.
    Open(Written("one.txt", kHeader + kRow1));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 1);
    Open(Written("single.txt", kRow1));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 1);
    EXPECT_EQ(W().TweetsTable.File(), File("single.txt").string());
}

TEST_F(TweetFilesTest, UnreadableFilesAreReportedAndLeaveTheTableAsItWas) {
    Open(Written("two.txt", kRow1 + kRow2));
    const std::string fifteen = kRow1.substr(0, kRow1.rfind("\tlikes tea"));  // 15 fields
    const std::string cases[] = {
        Written("header.txt", kHeader),                  // no data record
        Written("short.txt", kRow1 + fifteen + "\r\n"),  // fewer than 16 fields
        Written("words.txt", kRow1 + kRow2.substr(0, kRow2.find("\t1\t-3")) + "\tone\t-3\t\t\r\n"),
        File("missing.txt").string(),
    };
    for (const std::string& path : cases) {
        tk.messages.clear();
        Open(path);
        ASSERT_EQ(tk.messages.size(), 1u) << path;
        EXPECT_EQ(tk.messages[0].text, "Couldn't open: " + path + " -- Contents may be corrupted.");
        EXPECT_EQ(tk.messages[0].title, "File Open Error");
        EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);
        EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 2) << path;
        EXPECT_EQ(W().TweetsTable.File(), File("two.txt").string());
        EXPECT_EQ(tk.cursors.back(), CursorShape::Normal);
    }

    // Opening a history entry: a file the reader rejects is skipped silently, a file it
    // reads but that holds no data record still gives the message.
    tk.messages.clear();
    frm->Files().OpenNamed(cases[1]);
    EXPECT_TRUE(tk.messages.empty());
    frm->Files().OpenNamed(cases[0]);
    EXPECT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 2);

    // A cancelled dialog changes nothing.
    tk.messages.clear();
    frm->Files().OpenTweetsTable();
    EXPECT_TRUE(tk.messages.empty());
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 2);
}

TEST_F(TweetFilesTest, ZeroSentimentAsksToScoreAgain) {
    std::string zeros = kRow1 + kRow2;
    zeros.replace(zeros.find("\t1\t-3\t"), 6, "\t0\t0\t");
    zeros.replace(zeros.find("\t2\t-1\t"), 6, "\t0\t0\t");  // the first record is the one checked
    const std::string path = Written("zeros.txt", zeros);

    tk.messageAnswers = {MsgResult::No};
    Open(path);
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, "Sentiment columns contain zeros - run sentiment analysis again?");
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 13), "      0");

    tk.messageAnswers = {MsgResult::Yes};
    Open(path);
    // The texts were scored again: "good" is worth 2 to the stand-in, and nothing is negative.
    EXPECT_EQ(W().TweetsTable.Rows().Cell(0, 13), "      2");
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 13), "      2");
    EXPECT_EQ(W().TweetsTable.Rows().Cell(1, 14), "-1");
    EXPECT_FALSE(std::filesystem::exists(File("tmp.txt")));
}

TEST_F(TweetFilesTest, SaveProposesAFreeUntitledNameAndACancelledDialogWritesNothing) {
    tk.messages.clear();
    frm->Files().SaveTweetsTable();
    ASSERT_EQ(tk.messages.size(), 1u);
    EXPECT_EQ(tk.messages[0].text, "Nothing to Save yet!");
    EXPECT_EQ(tk.messages[0].icon, MsgIcon::Exclamation);

    Open(Written("two.txt", kRow1 + kRow2));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(AppFolder());
    WriteFileBytes(File("UntitledTweets1.txt"), "taken");
    tk.messageAnswers = {MsgResult::No};
    frm->Files().SaveTweetsTable();  // the dialog is cancelled
    std::filesystem::current_path(cwd);

    EXPECT_EQ(tk.fileDialogs.back().request.fileName, "UntitledTweets2.txt");
    EXPECT_TRUE(tk.fileDialogs.back().save);
    EXPECT_EQ(W().Req.FileName, "");
    EXPECT_EQ(W().TweetsTable.File(), File("two.txt").string());
    EXPECT_EQ(ReadFileBytes(File("UntitledTweets1.txt")), "taken");
    EXPECT_FALSE(std::filesystem::exists(File("UntitledTweets2.txt")));
}

TEST_F(TweetFilesTest, SavingTheSameQueryToTheSameFileKeepsOneHistoryEntryOnTop) {
    TweetCtl().QPHistory.AddItem("tea  " + Written("two.txt", kRow1 + kRow2));
    TweetCtl().QPHistory.AddItem("older  /somewhere/else.txt");
    frm->Session().OpenQueryEntry(0);
    int opened = 0;
    TweetCtl().QPHistory.SetOpenAction([&](int index) { opened += index == 0; });

    tk.messageAnswers = {MsgResult::Yes, MsgResult::Yes};
    frm->Files().SaveTweetsTable();
    frm->Files().SaveTweetsTable();
    const std::string entry = "tea  " + File("two.txt").string();
    ASSERT_EQ(TweetCtl().QPHistory.Count(), 2);
    EXPECT_EQ(TweetCtl().QPHistory.Item(0), entry);
    EXPECT_EQ(TweetCtl().QPHistory.Item(1), "older  /somewhere/else.txt");
    EXPECT_EQ(opened, 0);  // the entry names the table on show: nothing is reopened
    EXPECT_EQ(TweetCtl().QPHistory.SelectedIndex(), 0);

    TweetCtl().UTLHistory.AddItem(File("two.txt").string());
    frm->Session().OpenTimelineEntry(0);
    tk.messageAnswers = {MsgResult::Yes};
    frm->Files().SaveTweetsTable();
    ASSERT_EQ(TweetCtl().UTLHistory.Count(), 1);
    EXPECT_EQ(TweetCtl().UTLHistory.Item(0), File("two.txt").string());
    EXPECT_EQ(TweetCtl().QPHistory.Count(), 2);
}

TEST_F(TweetFilesTest, ASaveThatFailsPartWayKeepsTheEarlierFile) {
    NewSearch("data");  // a few hundred rows: far more than the size limit below
    const std::string path = Written("earlier.txt", kRow1 + kRow2);
    tk.fileDialogAnswers.push_back(path);

    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    frm->Files().SaveTweetsTable();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);

    EXPECT_EQ(ReadFileBytes(path), kRow1 + kRow2);
    for (const auto& entry : std::filesystem::directory_iterator(AppFolder()))
        EXPECT_THAT(entry.path().filename().string(), Not(StartsWith(".earlier.txt"))) << entry.path();
    ASSERT_NE(tk.LastMessage(), nullptr);
    EXPECT_EQ(tk.LastMessage()->title, "File Save Error");
    EXPECT_TRUE(W().TweetsDirty());
    EXPECT_EQ(W().TweetsTable.File(), "");

    // Without the limit the same save goes through.
    tk.fileDialogAnswers.push_back(path);
    frm->Files().SaveTweetsTable();
    EXPECT_GT(ReadFileBytes(path).size(), 4096u);
    EXPECT_EQ(W().Window.Caption(), "Marlin Skimmer Desktop Edition [" + path + "]");
}

TEST_F(TweetFilesTest, SaveAndSendStartsTheVisualiserOnTheSavedFile) {
    Open(Written("two.txt", kRow1 + kRow2));
    // Not executable: refused, nothing started.
    const std::string text = Written("Lumen.txt", "just text");
    tk.messageAnswers = {MsgResult::Yes};
    tk.fileDialogAnswers.push_back(text);
    frm->Files().SaveAndSend();
    EXPECT_EQ(tk.LastMessage()->text, "The item you selected was not an executable (exe) file");
    EXPECT_EQ(tk.LastMessage()->title, "Error");
    EXPECT_EQ(tk.LastMessage()->icon, MsgIcon::Exclamation);

    // A program that records its argument, in a folder whose name has a blank.
    std::filesystem::create_directories(File("my tools"));
    const std::string lumen = (File("my tools") / "lumen").string();
    const std::string record = File("argument.txt").string();
    WriteFileBytes(lumen, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + "'\n");
    std::filesystem::permissions(lumen, std::filesystem::perms::owner_all);
    tk.messageAnswers = {MsgResult::Yes};
    tk.fileDialogAnswers.push_back(lumen);
    frm->Files().SaveAndSend();
    EXPECT_EQ(tk.LastMessage()->text, "Changed LM path to " + lumen);
    EXPECT_EQ(W().Settings.LMPATH, lumen);
    EXPECT_EQ(ReadFileBytes(record), File("two.txt").string());
    // The visualiser's dialog never touched the table's file name.
    EXPECT_EQ(W().Req.FileName, File("two.txt").string());
}

TEST_F(TweetFilesTest, TheDateTimeColumnSortsByTimeInEachOfItsThreeForms) {
    const char* times[] = {"Wed Dec 09 10:00:00 0000 2026", "Wed Dec 02 10:00:00 0000 2026",
                           "Tue Dec 08 10:00:00 0000 2026", "Thu Dec 10 09:00:00 +0000 2026",
                           "Sun Jan 03 10:00:00 0000 2027"};  // as text: 1 2 3 4 5, descending
    std::string bytes;
    for (int k = 0; k < 5; ++k) bytes += TweetLine{.dateTime = times[k], .id = std::to_string(k + 1)}.Line();
    Open(Written("times.txt", bytes));
    for (void (TweetEditing::*convert)() :
         {&TweetEditing::mTwitterDateTime_Click, &TweetEditing::mVBDateTime_Click,
          &TweetEditing::mSPSSDateTime_Click}) {
        tk.messageAnswers = {MsgResult::OK};
        (frm->Editing().*convert)();
        frm->TableView().OutTable_ColumnClick(0);
        EXPECT_THAT(TableIds(), ElementsAre("5", "4", "1", "3", "2")) << W().TweetsTable.Rows().Text(0);
    }
}

}  // namespace
}  // namespace marlin::testing
