// The window on a 1366×768 laptop screen, used as a researcher uses it: posts that can be
// read, panes that fold, an estimate that leads to its search, a refusal that leads to v2.
#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>

#include "core/tweet_column.h"
#include "gui_window_test.h"
#include "platform/blank_trim.h"
#include "workspace/retrieval/search_retrieval.h"

namespace marlin::testing {
namespace {

class LaptopWindowTest : public GuiWindowTest {
  protected:
    void OpenAtLaptopSize(emulator::EmulatorConfig config = SmallCorpus()) {
        StartService(std::move(config), false);
        tk.onDoEvents = [] { QCoreApplication::processEvents(); };
        OpenWindow(QSize(1366, 768));
        Authenticate();
        QCoreApplication::processEvents();
    }
    void SearchToday() {
        BackDays(0);
        Type("SearchQuery", Emu().Queries().common);
        Click("GetSrch");
        QCoreApplication::processEvents();
    }
    // The header sections whose text does not fit them.
    static std::vector<int> CutHeaders(QTableView* view) {
        std::vector<int> cut;
        QHeaderView* header = view->horizontalHeader();
        for (int i = 0; i < header->count(); ++i)
            if (header->sectionSize(i) < header->sectionSizeHint(i)) cut.push_back(i);
        return cut;
    }
};

TEST_F(LaptopWindowTest, TheTweetColumnTakesWhatIsLeftAndTheOthersTheirContentsUntilTheUserDrags) {
    OpenAtLaptopSize();
    SearchToday();
    ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0);
    auto* table = Find<QTableView>("OutTable");
    QHeaderView* header = table->horizontalHeader();
    EXPECT_GE(header->sectionSize(TweetColumn::Tweet), table->viewport()->width() * 40 / 100);
    EXPECT_THAT(CutHeaders(table), IsEmpty());
    EXPECT_GT(header->sectionSize(TweetColumn::UserDescription), header->sectionSize(TweetColumn::Retweets));

    Click("BuildTweetsUT");
    auto* users = Find<QTableView>("UserTable");
    ASSERT_TRUE(WaitFor([&] { return users->model()->rowCount() > 0; }));
    EXPECT_THAT(CutHeaders(users), IsEmpty());

    // A dragged column is the user's: the widths no longer follow the view.
    header->resizeSection(TweetColumn::DateTime, 300);
    window->resize(1200, 768);
    QCoreApplication::processEvents();
    EXPECT_EQ(header->sectionSize(TweetColumn::DateTime), 300);
}

TEST_F(LaptopWindowTest, TheSidePaneFoldsAwayAndComesBackAndStaysFoldedInTheNextSession) {
    OpenAtLaptopSize();
    auto* table = Find<QTableView>("OutTable");
    auto* side = Find<QTabWidget>("BottomTabs");
    QAction* fold = Action("mSidePane");
    const int sideWidth = side->width();
    const int tableWidth = table->width();
    ASSERT_GT(sideWidth, 0);
    EXPECT_TRUE(fold->isChecked());
    EXPECT_EQ(fold->shortcut(), QKeySequence(Qt::Key_F9));

    fold->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(fold->isChecked());
    EXPECT_EQ(Find<QSplitter>("LowerSplitter")->sizes().value(1), 0);
    EXPECT_GT(table->width(), tableWidth + sideWidth / 2);

    ASSERT_TRUE(window->close());
    OpenWindow(QSize(1366, 768));
    Authenticate();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Action("mSidePane")->isChecked());
    EXPECT_EQ(Find<QSplitter>("LowerSplitter")->sizes().value(1), 0);

    Action("mSidePane")->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Action("mSidePane")->isChecked());
    EXPECT_GE(Find<QTabWidget>("BottomTabs")->width(),
              Find<QTabWidget>("BottomTabs")->minimumSizeHint().width());
}

TEST_F(LaptopWindowTest, TheStripUnderATableShowsTheSelectedPostOrUserWholeAndFoldsAway) {
    OpenAtLaptopSize();
    SearchToday();
    auto* table = Find<QTableView>("OutTable");
    auto* preview = Find<QPlainTextEdit>("TweetPreview");
    EXPECT_THAT(preview->toPlainText().toStdString(), IsEmpty());
    // The longest text of the table: the strip is where it can be read whole.
    int longest = 0;
    for (int row = 1; row < W().TweetsTable.Rows().RowCount(); ++row)
        if (W().TweetsTable.Rows().Cell(row, TweetColumn::Tweet).size() >
            W().TweetsTable.Rows().Cell(longest, TweetColumn::Tweet).size())
            longest = row;
    table->selectRow(longest);
    QCoreApplication::processEvents();
    const std::string shown = preview->toPlainText().toStdString();
    const auto cell = [&](int column) { return Trimmed(W().TweetsTable.Rows().Cell(longest, column)); };
    for (const int column :
         {TweetColumn::UserScreenName, TweetColumn::UserRealName, TweetColumn::DateTime, TweetColumn::Tweet,
          TweetColumn::TweetID, TweetColumn::Retweets, TweetColumn::UserFollowers})
        EXPECT_THAT(shown, HasSubstr(cell(column))) << column;
    EXPECT_GT(preview->height(), preview->fontMetrics().lineSpacing() * 3);

    Click("BuildTweetsUT");
    auto* users = Find<QTableView>("UserTable");
    ASSERT_TRUE(WaitFor([&] { return users->model()->rowCount() > 0; }));
    users->selectRow(0);
    QCoreApplication::processEvents();
    const ReportList& userRows = UserCtl().CurrentUserTable();
    const std::string account = Trimmed(userRows.Cell(0, 1)) + " (" + Trimmed(userRows.Cell(0, 2)) + ")";
    EXPECT_THAT(Find<QPlainTextEdit>("UserPreview")->toPlainText().toStdString(), HasSubstr(account));

    Action("mPreviewStrip")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(preview->height(), 0);
    Action("mPreviewStrip")->trigger();
    QCoreApplication::processEvents();
    EXPECT_GT(preview->height(), preview->fontMetrics().lineSpacing() * 3);
}

TEST_F(LaptopWindowTest, TheEstimatePanelShowsItsFiguresAndCaptureRunsTheSearchItEstimated) {
    OpenAtLaptopSize();
    frm->Service().SetApiV2(true);
    BackDays(1);
    const std::string query = Emu().Queries().common;
    Type("SearchQuery", query);
    Action("mEstimateVolume")->trigger();
    auto* panel = window->findChild<QDialog*>("EstimatePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_THAT(tk.messages, IsEmpty());
    EXPECT_EQ(Find<QLabel>("EstimateSearch")->text().toStdString(),
              "[" + query + "] back to " + TweetCtl().ThresholdDateText());
    std::vector<std::string> figures;
    for (int i = 0; i < 5; ++i)
        figures.push_back(
            window->findChild<QLabel*>(QStringLiteral("EstimateFigure(%1)").arg(i))->text().toStdString());
    const long long posts = std::stoll(figures[0]);
    EXPECT_GT(posts, 0);
    EXPECT_EQ(figures[1], std::to_string((posts + 99) / 100) + " of 100 posts");
    EXPECT_THAT(figures[4], StartsWith("$"));

    // The user types on; Capture runs what was estimated.
    Type("SearchQuery", "something else");
    QTest::mouseClick(window->findChild<QPushButton*>("EstimateCapture"), Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_THAT(RequestsTo("/2/tweets/search/recent").front().Param("query"), StartsWith(query + " "));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), W().Engine.Tweets().Count());
    EXPECT_GT(W().TweetsTable.Rows().RowCount(), 0);
    // The log has a tab; its newest line is in the status bar.
    EXPECT_EQ(Find<QLabel>("LatestLogLine")->toolTip().toStdString(), LogLines().back());
}

TEST_F(LaptopWindowTest, AV11RefusalIsSaidOnceAndItsSwitchRunsTheSearchInV2AndKeepsTheSetting) {
    emulator::EmulatorConfig config = SmallCorpus();
    config.v11Refused = true;
    OpenAtLaptopSize(config);
    EXPECT_EQ(Find<QLabel>("ServiceInUse")->text(), "Twitter API v1.1");
    SearchToday();

    // The refusal once (the v2 search after it has no scorer here, and says so).
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_THAT(tk.messages[0].text, StartsWith(SearchRetrieval::kV11Refused));
    EXPECT_THAT(tk.MessageTexts(), ::testing::Contains(StartsWith(SearchRetrieval::kV11Refused)).Times(1));
    EXPECT_THAT(tk.messages[0].text, HasSubstr(SearchRetrieval::kUseV2));
    EXPECT_EQ(CountRequests("/1.1/search/tweets.json"), 1);
    EXPECT_GT(CountRequests("/2/tweets/search/recent"), 0);
    EXPECT_GT(W().TweetsTable.Rows().RowCount(), 0);
    EXPECT_TRUE(Action("mApiV2")->isChecked());
    EXPECT_EQ(Find<QLabel>("ServiceInUse")->text(), "Twitter API v2");
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_THAT(ReadFileBytes(File("prefs")), HasSubstr("AV-2\r\n"));
}

}  // namespace
}  // namespace marlin::testing
