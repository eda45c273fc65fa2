// The desktop window driven through its real widgets, found by objectName, against the
// emulator on loopback and the scorer stand-in in a program folder of the test's own.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/tweet_column.h"
#include "gui_window_test.h"
#include "service/curl_http_request.h"
#include "workspace/export/export_options.h"

namespace marlin::testing {
namespace {

class MainWindowGuiTest : public testing::GuiWindowTest {
  protected:
    MainWindowGuiTest() { StartGui(SmallCorpus(), true); }

    int TableRows(const char* name) { return Find<QTableView>(name)->model()->rowCount(); }
};

TEST_F(MainWindowGuiTest, StartsDisabledBehindTheDialogAndOkAuthenticates) {
    AboutDialog* dialog = window->aboutDialog();
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "About Marlin Skimmer Desktop Edition");
    EXPECT_EQ(window->windowTitle(), "Marlin Skimmer Desktop Edition");
    auto* ok = Find<QPushButton>("cmdOK");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(Find<QLabel>("Status")->text(), "Enter valid credentials, then click OK to authenticate.");

    // Closing the disabled main window does nothing; the dialog decides.
    window->close();
    EXPECT_TRUE(window->isVisible());

    Type("tbCred(0)", "someone");
    Type("tbCred(1)", "wrong");
    Type("tbCred(2)", "wrong");
    EXPECT_TRUE(ok->isEnabled());
    auto* secret = Find<QLineEdit>("tbCred(2)");
    EXPECT_EQ(secret->echoMode(), QLineEdit::Password);
    QTest::mousePress(Find<QPushButton>("ShowSecret"), Qt::LeftButton);
    EXPECT_EQ(secret->echoMode(), QLineEdit::Normal);
    QTest::mouseRelease(Find<QPushButton>("ShowSecret"), Qt::LeftButton);
    EXPECT_EQ(secret->echoMode(), QLineEdit::Password);

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(Find<QLabel>("Status")->text(), "Authentication failed. Check credentials and try again.");
    EXPECT_FALSE(window->isEnabled());

    Authenticate();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Find<QLineEdit>("SearchQuery")->text(), "marlin AND twitter");
    EXPECT_TRUE(std::filesystem::exists(AppFolder() / "appcred"));
    EXPECT_EQ(programEnded, 0);

    // As the about box the dialog cannot be closed, only left with OK.
    Action("mAbout")->trigger();
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(dialog->isVisible());
    dialog->close();
    EXPECT_TRUE(dialog->isVisible());
    QTest::mouseClick(Find<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(dialog->isVisible());

    // Separators are lines, not "-"; File › Quit closes as the close button does.
    EXPECT_TRUE(Action("mLine0")->isSeparator());
    EXPECT_TRUE(Action("mLine0")->text().isEmpty());
    EXPECT_EQ(Action("mQuit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    Action("mQuit")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowGuiTest, ClosingTheDialogBeforeAuthenticatingEndsTheProgram) {
    window->aboutDialog()->close();
    EXPECT_EQ(programEnded, 1);
}

TEST_F(MainWindowGuiTest, SearchSaveAndTheHistoryCarryOverToTheNextRun) {
    Authenticate();
    const std::string query = Emu().Queries().common;
    Type("SearchQuery", query);
    QTest::mouseClick(Find<QPushButton>("GetSrch"), Qt::LeftButton);

    const int rows = frm->State().TweetsTable.Rows().RowCount();
    ASSERT_GT(rows, 100);
    EXPECT_TRUE(WaitFor([&] { return TableRows("OutTable") == rows; }));
    QAbstractItemModel* table = Find<QTableView>("OutTable")->model();
    EXPECT_EQ(table->headerData(13, Qt::Horizontal).toString(), "Sent+");
    bool scored = false;
    for (int row = 0; row < rows && !scored; ++row)
        scored = table->index(row, 13).data().toString().trimmed() != "0";
    EXPECT_TRUE(scored) << "no row has a positive score; log: " << frm->State().Progress.AllText("\n");
    EXPECT_TRUE(window->windowTitle().endsWith("[*]"));

    // File › Save › Tweets Table writes the file and records the query in the history.
    const std::string saved = (AppFolder() / "cats.txt").string();
    tk.fileDialogAnswers.push_back(saved);
    Action("mSaveTweets")->trigger();
    ASSERT_TRUE(std::filesystem::exists(saved));
    std::string bytes = ReadFileBytes(saved);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), rows);
    auto* history = Find<QComboBox>("QPHistory");
    ASSERT_EQ(history->count(), 1);
    EXPECT_EQ(history->itemText(0).toStdString(), query + "  " + saved);
    EXPECT_EQ(window->windowTitle().toStdString(), "Marlin Skimmer Desktop Edition [" + saved + "]");
    EXPECT_TRUE(WaitFor([&] {
        return window->statusBar()->findChild<QLabel*>("InfoBarPanel1")->text().toStdString() ==
               std::to_string(rows) + " tweets displayed";
    }));

    // Closing right after the save asks nothing; the prefs file keeps the history for the next run.
    EXPECT_TRUE(window->close());
    EXPECT_EQ(tk.LastMessage(), nullptr);
    EXPECT_NE(ReadFileBytes(AppFolder() / "prefs").find("QP-" + query + "," + saved + "\r\n"),
              std::string::npos);

    OpenWindow();
    EXPECT_EQ(Find<QLabel>("Status")->text(), "Loaded previous credentials. Click OK to authenticate.");
    QTest::mouseClick(Find<QPushButton>("cmdOK"), Qt::LeftButton);
    EXPECT_EQ(Find<QLineEdit>("SearchQuery")->text().toStdString(), query);
    EXPECT_EQ(Find<QComboBox>("QPHistory")->count(), 1);
    EXPECT_TRUE(WaitFor([&] { return TableRows("OutTable") == rows; }));
    EXPECT_TRUE(Find<QPushButton>("UpdateSearch")->isEnabled());

    // "X" beside the query history forgets the entry, not the file.
    QTest::mouseClick(Find<QPushButton>("HistoryItemClear(1)"), Qt::LeftButton);
    EXPECT_EQ(Find<QComboBox>("QPHistory")->count(), 0);
    EXPECT_TRUE(std::filesystem::exists(saved));
}

TEST_F(MainWindowGuiTest, ClosingDuringASearchStopsItFirstAndThenOffersToSave) {
    Authenticate();
    Type("SearchQuery", Emu().Queries().common);
    int closeAttempts = 0;
    bool closedWhileRunning = true;
    tk.onDoEvents = [&] {
        QCoreApplication::processEvents();
        // Once the first page is held: closing drops the page in flight and keeps that one.
        if (frm->State().Run.Busy() && frm->State().Engine.Tweets().Count() > 0 && closeAttempts == 0) {
            ++closeAttempts;
            closedWhileRunning = window->close();
        }
    };
    // "User cancelled the retrieval process", then "Save Tweets before exiting?".
    tk.messageAnswers = {MsgResult::OK, MsgResult::No};
    QTest::mouseClick(Find<QPushButton>("GetSrch"), Qt::LeftButton);

    EXPECT_EQ(closeAttempts, 1);
    EXPECT_FALSE(closedWhileRunning) << "the window went while its retrieval still ran";
    EXPECT_FALSE(frm->State().Run.Running());
    // The postponed close comes once the loop has unwound, with the usual question.
    EXPECT_TRUE(WaitFor([&] { return !window->isVisible(); }));
    ASSERT_NE(tk.LastMessage(), nullptr);
    EXPECT_EQ(tk.LastMessage()->text, "Save Tweets before exiting?");
}

TEST_F(MainWindowGuiTest, CancelOrAChangedTableStopsAnExportWhichLeavesNoFileAndSaysSo) {
    Authenticate();
    std::string table;
    for (int row = 1; row <= 3 * ExportOptions::kRowsPerCheck; ++row) {
        TweetLine line;
        line.id = std::to_string(1000000000 + row);
        table += line.Line();
    }
    OpenTable("big.txt", table);
    struct Case {
        const char* action;
        std::string out;
        std::function<void()> meanwhile;  // at the export's first look at its stop flag
        std::string says;
    };
    const auto cancel = [this] { Click("QuitGet"); };
    const auto sort = [this] { W().TweetsTable.Rows().ColumnClick(TweetColumn::UserScreenName); };
    const std::string csv = File("big.csv").string(), changed = " -- The table changed while it was written.";
    const Case cases[] = {
        {"mExportTweetsCsv", csv, cancel, "Stopped: " + csv + " was not written."},
        {"mExportXlsx", File("big.xlsx").string(), cancel,
         "Stopped: " + File("big.xlsx").string() + " was not written."},
        {"mExportNetwork", File("big.graphml").string(), cancel,
         "Stopped: " + File("big.graphml").string() + " was not written."},
        {"mExportTweetsCsv", csv, sort, "Couldn't save: " + csv + changed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        tk.fileDialogAnswers.push_back(c.out);
        tk.messages.clear();
        QTimer::singleShot(0, window.get(), c.meanwhile);
        Action(c.action)->trigger();
        EXPECT_FALSE(std::filesystem::exists(c.out));
        for (const std::string& entry : FolderEntries(AppFolder())) EXPECT_FALSE(entry.starts_with(".big."));
        ASSERT_EQ(tk.messages.size(), 1u);
        EXPECT_EQ(tk.messages[0].text, c.says);
        EXPECT_FALSE(frm->State().Run.Running());
    }
    tk.fileDialogAnswers.push_back(csv);  // left alone, the same export is written
    Action("mExportTweetsCsv")->trigger();
    EXPECT_TRUE(std::filesystem::exists(csv));
}

}  // namespace
}  // namespace marlin::testing
