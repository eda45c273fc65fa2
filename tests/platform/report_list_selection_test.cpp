// Several selected rows in a report list: they read in row order whatever the click
// order, and stay with their rows through sorts and removals.
#include <gtest/gtest.h>

#include <vector>

#include "platform/report_list.h"

namespace marlin {
namespace {

TEST(ReportListSelectionTest, SelectedRowsReadInRowOrderAndFollowTheirRows) {
    ReportList list;
    list.AddColumn("Name");
    for (const char* name : {"c", "a", "e", "b", "d"}) list.AddRow({name});
    list.SetMultiSelect(true);
    for (const int row : {4, 0, 3}) list.SetRowSelected(row, true);  // "d", "c", "b"
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0, 3, 4}));
    EXPECT_EQ(list.SelectedIndex(), 3);  // the row clicked last is the current one

    list.SetSorted(true);  // a b c d e
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1, 2, 3}));
    list.RemoveRow(list.SelectedIndex());  // "b": the first selected row left takes over
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(list.Text(list.SelectedIndex()), "c");
    list.SetRowSelected(1, false);
    EXPECT_EQ(list.Text(list.SelectedIndex()), "d");
    list.SetSelectedIndex(3);  // the single-selection call leaves one row
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{3});
}

}  // namespace
}  // namespace marlin
