// File › "Export Network…", "Export Tweets as CSV (UTF-8)…" and "Export Users as CSV
// (UTF-8)…" through the window's commands, with the scripted toolkit choosing the files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "main_window_fixture.h"
#include "workspace/export/export_commands.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::string kTable =
    "Wed Aug 27 13:08:45 +0000 2008\tann\tRT @Ben: "
    "hi\t1234567890123456789\t\t1\t2\t\t\t\t3\t0\t\t1\t-1\t\t\r\n"
    "Wed Aug 27 14:08:45 +0000 2008\tben\tplain\t1234567890123456790\t\t1\t2\t\t\t\t3\t0\t\t1\t-1\t\t\r\n";

class ExportCommandsTest : public MainWindowTest {
  protected:
    void SetUp() override { StartWindow(SmallCorpus(), false); }
};

TEST_F(ExportCommandsTest, EmptyTablesHaveNothingToExport) {
    frm->Export().mExportNetwork_Click();
    frm->Export().mExportTweetsCsv_Click();
    frm->Export().mExportUsersCsv_Click();
    frm->Export().mExportXlsx_Click();
    EXPECT_THAT(tk.MessageTexts(),
                ElementsAre(ExportCommands::kNothingToExport, ExportCommands::kNothingToExport,
                            ExportCommands::kNothingToExport, ExportCommands::kNothingToExport));
    EXPECT_TRUE(tk.fileDialogs.empty());
}

TEST_F(ExportCommandsTest, TheTweetsTableGoesToTheChosenFiles) {
    const std::string table = OpenTable("capture.txt", kTable);
    ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 2);
    const std::string requested = W().Req.FileName;

    tk.fileDialogAnswers.push_back(File("capture.graphml").string());
    frm->Export().mExportNetwork_Click();
    tk.fileDialogAnswers.push_back(File("capture.csv").string());
    frm->Export().mExportTweetsCsv_Click();
    tk.fileDialogAnswers.push_back(File("capture.xlsx").string());
    frm->Export().mExportXlsx_Click();

    ASSERT_EQ(tk.fileDialogs.size(), 4u);  // Open, then the three exports
    EXPECT_THAT(tk.fileDialogs[3].request.fileName, EndsWith("capture.xlsx"));
    EXPECT_THAT(ReadFileBytes(File("capture.xlsx")), StartsWith("PK"));
    EXPECT_TRUE(tk.fileDialogs[1].save);
    EXPECT_EQ(tk.fileDialogs[1].request.filter, ExportCommands::kNetworkFilter);
    EXPECT_THAT(tk.fileDialogs[1].request.fileName, EndsWith("capture.graphml"));
    EXPECT_THAT(tk.fileDialogs[2].request.fileName, EndsWith("capture.csv"));
    EXPECT_THAT(ReadFileBytes(File("capture.graphml")), HasSubstr("<edge source=\"ann\" target=\"ben\">"));
    EXPECT_THAT(ReadFileBytes(File("capture.csv")), StartsWith("\xEF\xBB\xBF\"DateTime\""));
    EXPECT_THAT(ReadFileBytes(File("capture.csv")), HasSubstr(",\"1234567890123456789\","));
    // The table files' own dialog state is not the exports' business.
    EXPECT_EQ(W().Req.FileName, requested);
    EXPECT_TRUE(tk.messages.empty());
}

TEST_F(ExportCommandsTest, AFollowerListExportsItsFollowerEdgesWhenChosen) {
    OpenTable("capture.txt", kTable);
    ASSERT_TRUE(frm->Users().Samples().AddUserTable("ann_followers"));
    UserCtl().CurrentUserTable().AddRow({"7", "Cid"});

    tk.messageAnswers.push_back(MsgResult::Yes);
    tk.fileDialogAnswers.push_back(File("f.graphml").string());
    frm->Export().mExportNetwork_Click();
    EXPECT_THAT(tk.MessageTexts(), ElementsAre(HasSubstr("follower edges of ann_followers")));
    EXPECT_THAT(tk.fileDialogs.back().request.fileName, EndsWith("ann_followers.graphml"));
    EXPECT_THAT(ReadFileBytes(File("f.graphml")), HasSubstr("<edge source=\"cid\" target=\"ann\">"));

    tk.messageAnswers.push_back(MsgResult::No);
    tk.fileDialogAnswers.push_back(File("t.graphml").string());
    frm->Export().mExportNetwork_Click();
    EXPECT_THAT(ReadFileBytes(File("t.graphml")), Not(HasSubstr("cid")));

    tk.fileDialogAnswers.push_back(File("u.csv").string());
    frm->Export().mExportUsersCsv_Click();
    EXPECT_THAT(ReadFileBytes(File("u.csv")), HasSubstr("\"7\",\"Cid\""));
}

TEST_F(ExportCommandsTest, AFileThatCannotBeWrittenIsSaidSo) {
    OpenTable("capture.txt", kTable);
    const std::string readOnly = (AppFolder() / "kept.csv").string();
    WriteFileBytes(readOnly, "earlier");
    ::chmod(readOnly.c_str(), 0444);
    struct Case {
        std::string target, says;
    };
    const Case cases[] = {
        {(AppFolder() / "no such folder" / "x.csv").string(), "The file could not be written."},
        {readOnly, "The file is read-only."},
    };
    for (const Case& c : cases) {
        tk.messages.clear();
        tk.fileDialogAnswers.push_back(c.target);
        frm->Export().mExportTweetsCsv_Click();
        ASSERT_EQ(tk.messages.size(), 1u);
        EXPECT_EQ(tk.messages[0].text, "Couldn't save: " + c.target + " -- " + c.says);
        EXPECT_EQ(tk.messages[0].title, ExportCommands::kSaveErrorTitle);
    }
    EXPECT_EQ(ReadFileBytes(readOnly), "earlier");
}

}  // namespace
}  // namespace marlin::testing
