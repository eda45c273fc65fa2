#include "platform/report_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/cell_compare.h"

namespace marlin {
namespace {

std::vector<std::string> Column(const ReportList& list, int position) {
    std::vector<std::string> values;
    for (int i = 0; i < list.RowCount(); ++i) values.emplace_back(list.Cell(i, position));
    return values;
}

class TwoColumnList : public ReportList {
  public:
    TwoColumnList() {
        AddColumn("Name");
        AddColumn("Count", 1000, Alignment::Right);
    }
};

TEST(CellCompareTest, WholeNumbersCompareByValueWhateverTheirPadding) {
    // A 19-digit id above an 18-digit one, padded or not.
    EXPECT_GT(CompareCells("1000000000000000000", "999999999999999999"), 0);
    EXPECT_GT(CompareCells("1000000000000000000", "   999999999999999999"), 0);
    // Counts wider than the padding width still order by value.
    EXPECT_LT(CompareCells("    123", "12345678"), 0);
    EXPECT_LT(CompareCells("  -5", "3"), 0);
    EXPECT_LT(CompareCells("-20", "-3"), 0);
    EXPECT_GT(CompareCells("-0", "-1"), 0);  // minus zero is zero, not a negative number
    EXPECT_NE(CompareCells("007", "7"), 0);  // equal values still get a fixed order
    EXPECT_TRUE(IsWholeNumber("   42 "));
    EXPECT_FALSE(IsWholeNumber("4 2"));
    EXPECT_FALSE(IsWholeNumber("-"));
    EXPECT_FALSE(IsWholeNumber(""));
    EXPECT_FALSE(IsWholeNumber("1.5"));
}

TEST(CellCompareTest, OtherCellsCompareAsTextIgnoringCaseFirst) {
    EXPECT_LT(CompareCells("alice", "Bob"), 0);
    EXPECT_LT(CompareCells("", "a"), 0);
    EXPECT_NE(CompareCells("Alice", "alice"), 0);
    // A number against a word is text against text.
    EXPECT_LT(CompareCells("  12", "abc"), 0);
    EXPECT_LT(CompareCells("10", "9x"), 0);
}

TEST(CellCompareTest, MixedColumnsStillHaveOneConsistentOrder) {
    // Numbers as numbers and texts as text must not go round in circles when both kinds
    // share a column, or a sort of such a column has no right answer.
    const std::vector<std::string> cells = {"",
                                            "   ",
                                            "10",
                                            "9",
                                            "5x",
                                            "-3",
                                            "-x",
                                            "#tag",
                                            "0",
                                            "007",
                                            "    1.5",
                                            "abc",
                                            "ABC",
                                            "@u",
                                            "-0",
                                            " 42 ",
                                            "1e3",
                                            "99999999999999999999",
                                            "18446744073709551616",
                                            "-18446744073709551616"};
    for (const auto& a : cells) {
        EXPECT_EQ(CompareCells(a, a), 0) << a;
        for (const auto& b : cells) {
            EXPECT_EQ(CompareCells(a, b), -CompareCells(b, a)) << a << " / " << b;
            for (const auto& c : cells) {
                if (CompareCells(a, b) < 0 && CompareCells(b, c) < 0) {
                    EXPECT_LT(CompareCells(a, c), 0) << a << " < " << b << " < " << c;
                }
            }
        }
    }
    // Whole numbers sit together where "0" would: after "#tag" and "-x", before "5x" and "abc".
    EXPECT_LT(CompareCells("#tag", "-3"), 0);
    EXPECT_LT(CompareCells("10", "5x"), 0);
    EXPECT_LT(CompareCells("99999999999999999999", "abc"), 0);
}

TEST(ReportListTest, RowsKeepInsertionOrderWhileSortingIsOff) {
    TwoColumnList list;
    list.AddRow({"b", "2"});
    list.AddRow({"a", "10"});
    list.AddRow({"c"});  // fewer cells than columns
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(list.Cell(2, 1), "");
    EXPECT_EQ(list.Cell(0, 7), "");
    EXPECT_EQ(list.RowCells(2), (std::vector<std::string>{"c", ""}));
    EXPECT_THROW(list.Cell(3, 0), std::out_of_range);
}

TEST(ReportListTest, SortingOnOrdersByTheKeyAndKeepsOrderedAsRowsArrive) {
    TwoColumnList list;
    list.SetSortKey(1);
    list.SetSortOrder(SortDirection::Descending);
    list.SetSorted(true);
    for (const char* count : {"      7", "1234567890", "     42", "      7", "   1000"}) {
        list.AddRow({std::string("r") + count, count});
    }
    EXPECT_EQ(Column(list, 1),
              (std::vector<std::string>{"1234567890", "   1000", "     42", "      7", "      7"}));
    // Equal keys keep the order they arrived in, also descending.
    EXPECT_EQ(list.Cell(3, 0), "r      7");

    list.AddRow({"late", "     50"});
    EXPECT_EQ(list.Cell(2, 0), "late");

    list.SetSortOrder(SortDirection::Ascending);
    EXPECT_EQ(list.Cell(0, 1), "      7");
    list.SetSortKey(0);
    EXPECT_EQ(list.Cell(0, 0), "late");
}

TEST(ReportListTest, RowsMergedInBurstsEndInTheOrderOfOneStableSortAndKeepTheSelection) {
    // Reads between bursts of additions make the list place a few new rows among many
    // old ones; the result must be what one stable sort of everything gives.
    for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
        ReportList list;
        list.AddColumn("Key");
        list.AddColumn("Id");
        list.SetSortOrder(direction);
        list.SetSorted(true);
        const std::vector<std::string> keys = {"  12", "7", "abc", "ABC", "", "1000000000000000000",
                                               "-4",   "5x"};
        std::vector<std::pair<std::string, int>> expected;
        unsigned seed = 99;
        std::string selectedId;
        for (int id = 0; id < 3000; ++id) {
            seed = seed * 1103515245u + 12345u;
            std::string key = keys[(seed >> 16) % keys.size()];
            key += std::to_string((seed >> 8) % 5);
            list.AddRow({key, std::to_string(id)});
            expected.emplace_back(key, id);
            if (id % 97 == 96) {
                (void)list.Text(0);  // a read places the rows added since the last one
                if (selectedId.empty()) {
                    list.SetSelectedIndex(list.RowCount() / 3);
                    selectedId = std::string(list.Cell(list.SelectedIndex(), 1));
                }
                ASSERT_EQ(list.Cell(list.SelectedIndex(), 1), selectedId);
            }
        }
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            const int c = CompareCells(a.first, b.first);
            return direction == SortDirection::Ascending ? c < 0 : c > 0;
        });
        ASSERT_EQ(list.RowCount(), static_cast<int>(expected.size()));
        for (int i = 0; i < list.RowCount(); ++i) {
            ASSERT_EQ(list.Cell(i, 1), std::to_string(expected[i].second)) << "row " << i;
        }
        EXPECT_EQ(list.Cell(list.SelectedIndex(), 1), selectedId);
    }
}

TEST(ReportListTest, SwitchingSortingOffKeepsTheSortedOrderAndLaterRowsGoLast) {
    TwoColumnList list;
    list.SetSorted(true);
    list.AddRow({"b"});
    list.AddRow({"a"});
    list.SetSorted(false);
    list.AddRow({"0"});
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"a", "b", "0"}));
    list.Sort();  // a one-off sort leaves the switch off
    EXPECT_FALSE(list.Sorted());
    EXPECT_EQ(list.Cell(0, 0), "0");
}

TEST(ReportListTest, EditingAKeyCellDoesNotMoveRowsUntilTheNextAddition) {
    TwoColumnList list;
    list.SetSorted(true);
    for (const char* name : {"a", "b", "c"}) list.AddRow({name});
    // A loop rewriting every row text must meet each row exactly once.
    for (int i = 0; i < list.RowCount(); ++i) {
        list.SetText(i, std::string("z") + std::string(list.Text(i)) + std::to_string(3 - i));
    }
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"za3", "zb2", "zc1"}));
    list.AddRow({"y"});
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"y", "za3", "zb2", "zc1"}));
    list.SetText(0, "zz");
    list.SetSortKey(0);  // setting the key again re-sorts what editing disturbed
    EXPECT_EQ(list.Cell(3, 0), "zz");
}

TEST(ReportListTest, SelectionFollowsItsRowThroughSortsAndRemovals) {
    TwoColumnList list;
    for (const char* name : {"c", "a", "d", "b"}) list.AddRow({name});
    list.SetSelectedIndex(0);  // "c"
    list.SetSorted(true);
    EXPECT_EQ(list.Text(list.SelectedIndex()), "c");
    list.AddRow({"0"});
    EXPECT_EQ(list.Text(list.SelectedIndex()), "c");
    list.RemoveRow(0);
    EXPECT_EQ(list.Text(list.SelectedIndex()), "c");
    list.RemoveRow(list.SelectedIndex());
    EXPECT_EQ(list.SelectedIndex(), -1);
    list.SetSelectedIndex(2);
    list.ClearRows();
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_THROW(list.SetSelectedIndex(0), std::out_of_range);
}

TEST(ReportListTest, RemoveRowsIfAsksAboutTheTableAsItStoodAndKeepsTheRestInOrder) {
    TwoColumnList list;
    for (const char* name : {"Alice", "bob", "alice", "Alice", "carol"}) list.AddRow({"t", name});
    list.SetSelectedIndex(4);
    const int removed = list.RemoveRowsIf([&](int row) { return list.Cell(row, 1) == "Alice"; });
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"bob", "alice", "carol"}));
    EXPECT_EQ(list.SelectedIndex(), 2);
}

TEST(ReportListTest, ChecksAndDimmedStyleBelongToTheirRow) {
    TwoColumnList list;
    std::vector<int> checkedRows;
    list.SetItemCheckAction([&](int row) { checkedRows.push_back(row); });
    list.AddRow({"b"}, /*dimmed=*/true);
    list.AddRow({"a"}, false, /*checked=*/true);
    list.SetChecked(0, true);
    list.SetChecked(0, true);  // no change, no action
    EXPECT_EQ(checkedRows, (std::vector<int>{0}));
    EXPECT_EQ(list.CheckedCount(), 2);
    list.SetSorted(true);
    EXPECT_TRUE(list.Dimmed(1));
    EXPECT_FALSE(list.Dimmed(0));
}

TEST(ReportListTest, HeaderClicksSetTheKeyByDefaultOrRunTheWindowsRule) {
    TwoColumnList list;
    list.SetSorted(true);
    list.AddRow({"b", "1"});
    list.AddRow({"a", "2"});
    list.ColumnClick(1);
    EXPECT_EQ(list.SortKey(), 1);
    EXPECT_EQ(list.SortOrder(), SortDirection::Ascending);
    EXPECT_EQ(list.Cell(0, 0), "b");

    list.SetColumnClickAction([&](int position) { list.SetSortKeyOrReverse(position); });
    list.ColumnClick(1);
    EXPECT_EQ(list.SortOrder(), SortDirection::Descending);
    EXPECT_EQ(list.Cell(0, 0), "a");
    list.ColumnClick(0);
    EXPECT_EQ(list.SortKey(), 0);
    EXPECT_EQ(list.SortOrder(), SortDirection::Descending);
    EXPECT_EQ(list.Cell(0, 0), "b");
}

TEST(ReportListTest, ViewsHearCoarseChangesAndOneResetForABatch) {
    TwoColumnList list;
    std::vector<ChangeKind> kinds;
    auto subscription = list.Subscribe([&](const ModelChange& change) { kinds.push_back(change.kind); });
    list.AddRow({"a"});
    list.SetCell(0, 1, "x");
    list.SetSelectedIndex(0);
    EXPECT_EQ(kinds, (std::vector<ChangeKind>{ChangeKind::RowsInserted, ChangeKind::RowsChanged,
                                              ChangeKind::Selection}));
    kinds.clear();
    list.BeginUpdate();
    for (int i = 0; i < 1000; ++i) list.AddRow({"r"});
    list.SetSorted(true);
    list.EndUpdate();
    EXPECT_EQ(kinds, (std::vector<ChangeKind>{ChangeKind::Reset}));
    // Setting the key the rows are already ordered by announces nothing.
    kinds.clear();
    list.SetSortKey(0);
    EXPECT_TRUE(kinds.empty());
}

TEST(ReportListTest, ColumnsCarryHeaderWidthAndAlignment) {
    TwoColumnList list;
    EXPECT_EQ(list.ColumnCount(), 2);
    EXPECT_EQ(list.Column(1).header, "Count");
    EXPECT_EQ(list.Column(1).alignment, Alignment::Right);
    list.SetColumnWidth(0, 2500);
    EXPECT_EQ(list.Column(0).width, 2500);
    EXPECT_THROW(list.SetColumnWidth(2, 10), std::out_of_range);
}

TEST(ReportListTest, RowsArePackedNotStoredAsOneObjectPerCell) {
    ReportList list;
    for (int c = 0; c < 16; ++c) list.AddColumn(std::to_string(c));
    std::vector<std::string> cells(16, "      7");
    for (int i = 0; i < 1000; ++i) list.AddRow(cells);
    // 16 short cells: 112 bytes of text; 16 separate strings would cost 512 bytes before any text.
    EXPECT_LT(list.MemoryBytes() / 1000, 400u);
}

}  // namespace
}  // namespace marlin
