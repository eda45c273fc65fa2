#include "platform/qt/qt_report_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <memory>

#include "platform/report_list.h"

namespace marlin {
namespace {

class TweetsTable : public ReportList {
  public:
    TweetsTable() {
        AddColumn("DateTime", 1440);
        AddColumn("UserScreenName");
        AddColumn("TweetID", 1000, Alignment::Right);
    }
};

QString Shown(const QAbstractItemView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}

TEST(QtReportListTest, ShowsCellsHeadersAlignmentChecksAndDimmedRows) {
    TweetsTable table;
    table.SetCheckBoxes(true);
    table.AddRow({"Wed Aug 27 13:08:45 0000 2008", "alice", "   123"}, /*dimmed=*/true, /*checked=*/true);
    table.AddRow({"Thu Aug 28 10:00:00 0000 2008", "bob"});
    QTableView view;
    auto* binding = new QtReportList(table, &view);
    QAbstractItemModel* model = view.model();
    ASSERT_EQ(model, binding->itemModel());
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "TweetID");
    EXPECT_EQ(Shown(view, 0, 2), "   123");
    EXPECT_EQ(Shown(view, 1, 2), "");
    EXPECT_TRUE(model->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
    EXPECT_EQ(model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_FALSE(model->index(0, 1).data(Qt::CheckStateRole).isValid());
    EXPECT_TRUE(model->index(0, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(model->index(1, 1).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(view.horizontalHeader()->sectionSize(0), QtReportList::TwipsToPixels(1440, &view));
}

TEST(QtReportListTest, ABurstOfRowsReachesTheViewAsOneChange) {
    TweetsTable table;
    QTreeView view;
    new QtReportList(table, &view);
    QSignalSpy inserted(view.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(view.model(), &QAbstractItemModel::modelReset);
    for (int i = 0; i < 5000; ++i) table.AddRow({"d", "user", std::to_string(i)});
    EXPECT_EQ(view.model()->rowCount(), 0);  // nothing yet: Qt hears at the next event pass
    QApplication::processEvents();
    EXPECT_EQ(view.model()->rowCount(), 5000);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(reset.count(), 0);

    // With sorting on, rows land anywhere: one reset, and the view reads them in order.
    table.SetSortKey(2);
    table.SetSortOrder(SortDirection::Descending);
    table.SetSorted(true);
    table.AddRow({"d", "late", "100000"});
    QApplication::processEvents();
    EXPECT_EQ(view.model()->rowCount(), 5001);
    EXPECT_EQ(Shown(view, 0, 1), "late");
    EXPECT_EQ(Shown(view, 1, 2), "4999");
}

TEST(QtReportListTest, TwoHundredThousandRowsFlushAndScrollWithoutReadingThemAll) {
    ReportList table;
    for (int c = 0; c < 16; ++c) table.AddColumn(std::to_string(c));
    std::vector<std::string> cells(16, "cell");
    table.BeginUpdate();
    for (int i = 0; i < 200000; ++i) {
        cells[3] = std::to_string(i);
        table.AddRow(cells);
    }
    table.EndUpdate();
    QTableView view;
    auto* binding = new QtReportList(table, &view);
    view.resize(800, 600);
    view.show();
    binding->Flush();
    EXPECT_EQ(view.model()->rowCount(), 200000);
    view.scrollToBottom();
    QApplication::processEvents();
    EXPECT_EQ(view.rowAt(view.viewport()->height() - 2) > 199000, true);
}

TEST(QtReportListTest, SelectionGoesBothWaysAndFollowsItsRowThroughASort) {
    TweetsTable table;
    for (const char* name : {"carol", "alice", "bob"}) table.AddRow({"d", name, "1"});
    QTableView view;
    new QtReportList(table, &view);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    table.SetSelectedIndex(2);
    EXPECT_EQ(view.currentIndex().row(), 2);

    const QRect second = view.visualRect(view.model()->index(1, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(table.SelectedIndex(), 1);

    table.SetSortKey(1);
    table.SetSorted(true);  // alice, bob, carol: the selected "alice" is now first
    QApplication::processEvents();
    EXPECT_EQ(table.SelectedIndex(), 0);
    EXPECT_EQ(view.currentIndex().row(), 0);
    EXPECT_EQ(Shown(view, 0, 1), "alice");
}

TEST(QtReportListTest, TheRightButtonChoosesTheRowThenAsksForTheContextMenu) {
    TweetsTable table;
    for (const char* name : {"ann", "bob", "cy"}) table.AddRow({"d", name, "1"});
    int selectedWhenAsked = -2;
    table.SetContextMenuAction([&] { selectedWhenAsked = table.SelectedIndex(); });
    QTableView view;
    new QtReportList(table, &view);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QPoint third = view.visualRect(view.model()->index(2, 1)).center();
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, third);
    QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, third);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, third, view.viewport()->mapToGlobal(third));
    QApplication::sendEvent(view.viewport(), &menuEvent);
    EXPECT_EQ(selectedWhenAsked, 2);
}

TEST(QtReportListTest, HeaderClicksSortThroughTheListsOwnRule) {
    TweetsTable table;
    for (const char* id : {"999999999999999999", "1000000000000000000", "   12"})
        table.AddRow({"d", "u", id});
    table.SetSorted(true);
    std::vector<int> clicked;
    table.SetColumnClickAction([&](int position) {
        clicked.push_back(position);
        table.SetSortKeyOrReverse(position);
    });
    QTableView view;
    new QtReportList(table, &view);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QHeaderView* header = view.horizontalHeader();
    const QPoint idHeader(header->sectionViewportPosition(2) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, idHeader);
    QApplication::processEvents();
    EXPECT_EQ(clicked, std::vector<int>{2});
    // As numbers, not as Qt's text order.
    EXPECT_EQ(Shown(view, 0, 2), "   12");
    EXPECT_EQ(Shown(view, 2, 2), "1000000000000000000");
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, idHeader);
    QApplication::processEvents();
    EXPECT_EQ(Shown(view, 0, 2), "1000000000000000000");
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST(QtReportListTest, CheckClicksAndColumnResizesGoBackToTheList) {
    TweetsTable table;
    table.SetCheckBoxes(true);
    table.AddRow({"d", "u", "1"});
    int checkActions = 0;
    table.SetItemCheckAction([&](int) { ++checkActions; });
    QTableView view;
    new QtReportList(table, &view);
    EXPECT_TRUE(view.model()->setData(view.model()->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(table.Checked(0));
    EXPECT_EQ(checkActions, 1);

    view.horizontalHeader()->resizeSection(1, 200);
    EXPECT_EQ(table.Column(1).width, QtReportList::PixelsToTwips(200, &view));
    table.SetColumnWidth(2, 3000);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(2), QtReportList::TwipsToPixels(3000, &view));
}

TEST(QtReportListTest, OneViewCanShowAnotherListOnceTheOldBindingIsDeleted) {
    TweetsTable first;
    TweetsTable second;
    first.AddRow({"d", "from first"});
    second.AddRow({"d", "from second"});
    second.AddRow({"d", "also second"});
    int firstClicks = 0;
    first.SetColumnClickAction([&](int) { ++firstClicks; });
    QTableView view;
    auto* binding = new QtReportList(first, &view);
    delete binding;
    new QtReportList(second, &view);
    EXPECT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(Shown(view, 0, 1), "from second");
    emit view.horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(firstClicks, 0);
    EXPECT_EQ(second.SortKey(), 1);
}

TEST(QtReportListTest, AViewOutlivingItsListShowsNothingAndDoesNotCrash) {
    auto table = std::make_unique<TweetsTable>();
    table->AddRow({"d", "u", "1"});
    QTableView view;
    new QtReportList(*table, &view);
    view.resize(300, 200);
    view.show();
    table.reset();
    EXPECT_FALSE(view.model()->index(0, 1).data().isValid());
    view.repaint();
    QApplication::processEvents();
}

// The viewport's last events come while the view's destructor has left only the widget:
// the sanitizer run checks that nothing of the binding reaches into the view then.
TEST(QtReportListTest, AViewThatFillsItsWidthGoesWithItsListAliveOrGone) {
    for (const bool listOutlivesView : {true, false}) {
        auto table = std::make_unique<TweetsTable>();
        table->AddRow({"d", "u", "1"});
        auto view = std::make_unique<QTableView>();
        auto* binding = new QtReportList(*table, view.get());
        binding->SetFitsContents(-1);
        view->resize(500, 200);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        if (!listOutlivesView) table.reset();
        view.reset();
        QApplication::processEvents();
    }
}

enum class Arrow { None, Up, Down };

// Which way the arrow on the header's first section points: the ink it adds to the section
// drawn without it, row by row; a down arrow is widest at its top.
Arrow ArrowOf(const QImage& with, const QImage& without) {
    std::vector<int> inkPerRow;
    for (int y = 0; y < with.height(); ++y) {
        int ink = 0;
        for (int x = 0; x < with.width(); ++x)
            ink += qGray(with.pixel(x, y)) + 40 < qGray(without.pixel(x, y));
        if (ink > 0) inkPerRow.push_back(ink);
    }
    if (inkPerRow.size() < 2 || inkPerRow.front() == inkPerRow.back()) return Arrow::None;
    return inkPerRow.front() > inkPerRow.back() ? Arrow::Down : Arrow::Up;
}

TEST(QtReportListTest, TheSortArrowPointsTheWayTheRowsRun) {
    struct Case {
        SortDirection order;
        Arrow arrow;
    };
    for (const Case c :
         {Case{SortDirection::Descending, Arrow::Down}, Case{SortDirection::Ascending, Arrow::Up}}) {
        ReportList table;
        table.AddColumn("", 2880);  // no header text to move aside for the arrow
        table.SetSortKey(0);
        table.SetSortOrder(c.order);
        QTableView view;
        new QtReportList(table, &view);
        view.resize(300, 100);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QHeaderView* header = view.horizontalHeader();
        const QRect section(0, 0, header->sectionSize(0), header->height());
        const QImage without = header->grab(section).toImage();
        table.SetSorted(true);
        QApplication::processEvents();
        EXPECT_EQ(ArrowOf(header->grab(section).toImage(), without), c.arrow)
            << (c.order == SortDirection::Descending ? "falling rows" : "rising rows");
    }
}

}  // namespace
}  // namespace marlin
