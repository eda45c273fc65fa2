// A report list view that lets the user select several rows, and the program's focus
// requests reaching the widgets.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include "platform/qt/qt_report_list.h"
#include "platform/report_list.h"

namespace marlin {
namespace {

TEST(QtSelectionTest, ControlClicksSelectSeveralRowsAndTheProgramsChoicesAreShown) {
    ReportList table;
    table.AddColumn("Id");
    for (const char* id : {"10", "20", "30", "40"}) table.AddRow({id});
    table.SetMultiSelect(true);
    QWidget window;
    auto* view = new QTableView(&window);
    auto* edit = new QLineEdit(&window);
    (new QVBoxLayout(&window))->addWidget(view);
    window.layout()->addWidget(edit);
    new QtReportList(table, view);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);

    auto click = [&](int row, Qt::KeyboardModifiers keys) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, keys,
                          view->visualRect(view->model()->index(row, 0)).center());
    };
    click(3, {});
    click(1, Qt::ControlModifier);
    EXPECT_EQ(table.SelectedRows(), (std::vector<int>{1, 3}));
    click(3, Qt::ControlModifier);
    EXPECT_EQ(table.SelectedRows(), std::vector<int>{1});

    table.SetSelectedRows({0, 2}, 2);
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 2);
    EXPECT_TRUE(view->selectionModel()->isRowSelected(0) && view->selectionModel()->isRowSelected(2));
    edit->setFocus();
    table.SetFocus();
    EXPECT_EQ(window.focusWidget(), view);
}

}  // namespace
}  // namespace marlin
