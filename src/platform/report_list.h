#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cell_compare.h"
#include "platform/control_model.h"
#include "platform/report_column.h"
#include "platform/report_row.h"

namespace marlin {

enum class SortDirection { Ascending, Descending };

// A report-style list view without a toolkit: columns with header, width and
// alignment; rows of a text and sub-items (position 0 is the row's text, sub-items
// count from 1); a check box and a dimmed style per row; one selected row, or several
// where the list allows it; a sort key column, a sort order and an automatic-sorting
// switch.
//
// Row order: while automatic sorting is off, rows stay in the order they were added
// (and in whatever order the last sort left them). While it is on, every read sees the
// rows ordered by the key column under CompareCells; rows added meanwhile are merged
// in lazily at the next read, so filling 200,000 rows one by one costs one sort, not
// one per row. Editing a cell never moves its row (loops that rewrite row i and then
// go on to row i+1 rely on that); the next addition or sort setting re-sorts.
// Sorts are stable: rows with equal keys keep their relative order.
//
// Indices are display positions from 0; -1 means "none".
class ReportList : public ControlModel {
  public:
    // --- columns
    int AddColumn(std::string header, int widthTwips = 1000, Alignment alignment = Alignment::Left);
    void ClearColumns();
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const ReportColumn& Column(int position) const;
    const std::vector<ReportColumn>& Columns() const { return m_columns; }
    void SetColumnWidth(int position, int widthTwips);

    // --- rows
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // cells[0] is the row text, cells[k] sub-item k. Fewer cells than columns is fine.
    void AddRow(const std::vector<std::string>& cells, bool dimmed = false, bool checked = false);
    // The same with the row built by the caller, taken without a copy.
    void AddRow(ReportRow row, bool dimmed = false, bool checked = false);
    // Room for so many more rows, so that a large table grows without holding its rows
    // twice while they move.
    void ReserveRows(int more) {
        m_rows.reserve(m_rows.size() + static_cast<std::size_t>(std::max(more, 0)));
    }
    void RemoveRow(int row);
    // Removes every row for which the predicate, asked once per row index of the table
    // as it stands before the call, returns true; the rest keep their order. Returns the
    // number removed.
    int RemoveRowsIf(const std::function<bool(int row)>& predicate);
    void ClearRows();

    // The empty text for a cell the row does not have. The view is valid until the
    // table is next changed.
    std::string_view Cell(int row, int position) const;
    std::string_view Text(int row) const { return Cell(row, 0); }
    std::vector<std::string> RowCells(int row) const;  // ColumnCount() texts at least
    void SetCell(int row, int position, std::string_view text);
    void SetText(int row, std::string_view text) { SetCell(row, 0, text); }

    bool CheckBoxes() const { return m_checkBoxes; }
    void SetCheckBoxes(bool on);
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);  // runs the item-check action when it changes
    int CheckedCount() const;
    bool Dimmed(int row) const;
    void SetDimmed(int row, bool dimmed);

    // --- selection (follows its rows when the rows are re-sorted)
    // The current row, which the commands on one row act on; it is always selected.
    int SelectedIndex() const;
    // Makes `row` the only selected row and the current one (-1: none selected).
    void SetSelectedIndex(int row);
    // Whether the user may select several rows (views allow extending the selection).
    bool MultiSelect() const { return m_multiSelect; }
    void SetMultiSelect(bool on);
    // Adds a row to the selection (it becomes current) or takes it out, as a click with
    // the control key does. A list without multi-select keeps one row at most.
    void SetRowSelected(int row, bool selected);
    // Replaces the selection; `current` becomes current when it is among `rows`, else the
    // last of them does.
    void SetSelectedRows(const std::vector<int>& rows, int current);
    // Every selected row, in row order.
    std::vector<int> SelectedRows() const;

    // --- sorting
    int SortKey() const { return m_sortKey; }
    void SetSortKey(int position);
    SortDirection SortOrder() const { return m_sortOrder; }
    void SetSortOrder(SortDirection order);
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    // Sorts once by the current key and order, whatever the automatic switch says.
    void Sort();
    // The header-click rule of the user tables: the key column again reverses the
    // order, another column becomes the key in the current order.
    void SetSortKeyOrReverse(int position);
    // Cells of column `position` that `reader` takes as a moment sort by that moment, after
    // the cells it does not take; the other columns keep the cell order.
    using TimeReader = std::function<std::optional<long long>(std::string_view cell)>;
    void SetTimeColumn(int position, TimeReader reader);

    // --- actions
    // A header click (views call ColumnClick). Without an action the clicked column
    // becomes the sort key, the order kept.
    void SetColumnClickAction(std::function<void(int position)> action) { m_columnClick = std::move(action); }
    void ColumnClick(int position);
    // Any change of a row's check box, by the user or the program.
    void SetItemCheckAction(std::function<void(int row)> action) { m_itemCheck = std::move(action); }
    void SetDoubleClickAction(std::function<void()> action) { m_doubleClick = std::move(action); }
    void DoubleClick();

    // Between these, changes are gathered into one Reset announced at the end.
    void BeginUpdate();
    void EndUpdate();

    // Bytes held by the rows (for the memory figures).
    std::size_t MemoryBytes() const;

  private:
    CellKey SortKeyOf(const ReportRow& row) const;
    void EnsureOrder() const;
    void SortRows(std::size_t from) const;
    void SortAll() const;
    void MergePending(std::size_t from) const;
    bool Before(const CellKey& a, const CellKey& b) const;
    void Resort(bool settingsChanged);
    void CheckRow(int row) const;
    int FirstSelectedRow() const;
    void ClearSelectionMarks();
    void MarkSelected(int row, bool selected);
    void Announce(ChangeKind kind, int first = -1, int last = -1);

    std::vector<ReportColumn> m_columns;
    // Mutable: reads sort pending rows in place before looking.
    mutable std::vector<ReportRow> m_rows;
    mutable std::size_t m_orderedRows = 0;  // while sorted: rows [0, m_orderedRows) are in order
    bool m_headStale = false;               // a key cell was edited since the last full sort
    mutable int m_selected = -1;
    int m_selectedCount = 0;  // rows marked selected, the current one included
    bool m_multiSelect = false;
    int m_sortKey = 0;
    int m_timeColumn = -1;
    TimeReader m_timeReader;
    SortDirection m_sortOrder = SortDirection::Ascending;
    bool m_sorted = false;
    bool m_checkBoxes = false;
    int m_updateDepth = 0;
    bool m_updatePending = false;
    std::function<void(int)> m_columnClick;
    std::function<void(int)> m_itemCheck;
    std::function<void()> m_doubleClick;
};

}  // namespace marlin
