// The user side of the desktop window driven through its widgets, found by objectName:
// the User list with its menu, the user tables with their switches and files.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "gui_window_test.h"
#include "service/curl_http_request.h"

namespace marlin::testing {
namespace {

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::size_t Fields(const std::string& line) {
    return std::count(line.begin(), line.end(), '\t') + 1u;
}

class UserSideGuiTest : public testing::GuiWindowTest {
  protected:
    UserSideGuiTest() {
        StartGui(SmallCorpus(), false);
        tk.realSleep = false;
        Authenticate();
    }

    // A search back to today only, then the "Tweets" user table built from its authors.
    int SearchAndBuildTable() {
        Find<QDateEdit>("EarlyDate")->setDate(QDate::currentDate());
        Type("SearchQuery", Emu().Queries().common);
        Click("GetSrch");
        EXPECT_GT(frm->State().TweetsTable.Rows().RowCount(), 0);
        Click("BuildTweetsUT");
        const int users = frm->UserCtl().UserTables.front()->Rows().RowCount();
        EXPECT_GT(users, 0);
        EXPECT_TRUE(WaitFor([&] { return UserTableRows() == users; }));
        return users;
    }
    int UserTableRows() { return Find<QTableView>("UserTable")->model()->rowCount(); }
    QString UserTableCell(int row, int column) {
        QAbstractItemModel* model = Find<QTableView>("UserTable")->model();
        return model->index(row, column).data().toString();
    }
};

TEST_F(UserSideGuiTest, FromASearchToAUserTableWithStatisticsSavedForTheClassifier) {
    const int users = SearchAndBuildTable();
    EXPECT_FALSE(UserTableCell(0, 10).trimmed().isEmpty());  // followers
    EXPECT_FALSE(UserTableCell(0, 31).trimmed().isEmpty());  // tweets in the Tweets table

    Action("mUTSelAll(0)")->trigger();
    QAbstractItemModel* model = Find<QTableView>("UserTable")->model();
    EXPECT_TRUE(
        WaitFor([&] { return model->index(users - 1, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked; }));
    tk.promptAnswers.push_back("10");
    Click("GetUTTL");
    EXPECT_EQ(tk.LastMessage()->text, "Retrieval of User timeline samples completed");
    EXPECT_TRUE(WaitFor([&] { return !UserTableCell(0, 27).isEmpty(); }));  // TL_TwtDay

    const std::string base = (AppFolder() / "authors").string();
    tk.fileDialogAnswers.push_back(base);
    Action("mSaveUsers(2)")->trigger();
    const std::vector<std::string> table = Lines(ReadFileBytes(base + ".mut"));
    ASSERT_EQ(table.size(), static_cast<std::size_t>(users));
    for (const auto& line : table) EXPECT_EQ(Fields(line), 37u);

    tk.fileDialogAnswers.push_back(base);
    Action("mSaveUsers(1)")->trigger();
    ASSERT_TRUE(std::filesystem::exists(base + ".mprf")) << tk.LastMessage()->text;
    const std::vector<std::string> input = Lines(ReadFileBytes(base + ".mprf"));
    ASSERT_EQ(input.size(), static_cast<std::size_t>(users));
    for (const auto& line : input) EXPECT_EQ(Fields(line), 22u);
}

TEST_F(UserSideGuiTest, APastedListShowsSummariesAndADoubleClickRetrievesATimeline) {
    const emulator::KnownUsers known = Emu().Users();
    tk.ClipboardSetText(known.demo + "\r\n" + known.midsize + "\r\n");
    Action("mPasteUL")->trigger();
    auto* list = Find<QListWidget>("UserList");
    ASSERT_TRUE(WaitFor([&] { return list->count() == 2; }));
    EXPECT_EQ(list->item(0)->text().toStdString(), known.demo);
    EXPECT_EQ(Find<QLabel>("ULCount")->text(), "2 users displayed");

    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    auto* meta = Find<QPlainTextEdit>("UserMeta");
    EXPECT_TRUE(WaitFor([&] { return meta->toPlainText().startsWith("Demo Researcher - "); }))
        << meta->toPlainText().toStdString();

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    EXPECT_TRUE(WaitFor([&] { return frm->State().TweetsTable.Rows().RowCount() > 0; }));
    EXPECT_TRUE(WaitFor([&] { return Find<QPushButton>("UpdateUTL")->isEnabled(); }));
    EXPECT_EQ(frm->State().CurTweetSrc(), TweetSource::Timelines);
}

TEST_F(UserSideGuiTest, NamedTablesSwitchTheUserTableView) {
    const int users = SearchAndBuildTable();
    Click("MergeRemUT");
    auto* tables = Find<QListWidget>("UTList");
    ASSERT_TRUE(WaitFor([&] { return tables->count() == 1; }));
    EXPECT_EQ(tables->item(0)->text(), "1UserTable");
    EXPECT_TRUE(Find<QRadioButton>("UTToggle(1)")->isChecked());
    EXPECT_TRUE(WaitFor([&] { return UserTableRows() == 0; }));

    Click("UTToggle(0)");
    EXPECT_TRUE(WaitFor([&] { return UserTableRows() == users; }));
    Click("UTToggle(1)");
    EXPECT_TRUE(WaitFor([&] { return UserTableRows() == 0; }));

    // A second table, then a click on the first entry shows the first named table.
    Click("MergeRemUT");
    ASSERT_TRUE(WaitFor([&] { return tables->count() == 2; }));
    QTest::mouseClick(tables->viewport(), Qt::LeftButton, {},
                      tables->visualItemRect(tables->item(0)).center());
    EXPECT_TRUE(WaitFor([&] { return frm->UserCtl().CurUserTable == 1; }));

    Click("AddRemUT");
    Click("AddRemUT");
    EXPECT_TRUE(WaitFor([&] { return tables->count() == 0; }));
    EXPECT_TRUE(Find<QRadioButton>("UTToggle(0)")->isChecked());
    EXPECT_TRUE(WaitFor([&] { return UserTableRows() == users; }));
}

}  // namespace
}  // namespace marlin::testing
