#include "platform/report_list.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "platform/cell_compare.h"

namespace marlin {

// --- columns

int ReportList::AddColumn(std::string header, int widthTwips, Alignment alignment) {
    m_columns.push_back({std::move(header), widthTwips, alignment});
    Announce(ChangeKind::Columns);
    return ColumnCount() - 1;
}

void ReportList::ClearColumns() {
    m_columns.clear();
    Announce(ChangeKind::Columns);
}

const ReportColumn& ReportList::Column(int position) const {
    if (position < 0 || position >= ColumnCount()) throw std::out_of_range("ReportList: no such column");
    return m_columns[position];
}

void ReportList::SetColumnWidth(int position, int widthTwips) {
    Column(position);
    if (m_columns[position].width == widthTwips) return;
    m_columns[position].width = widthTwips;
    Announce(ChangeKind::Columns);
}

// --- rows

void ReportList::AddRow(const std::vector<std::string>& cells, bool dimmed, bool checked) {
    AddRow(ReportRow(cells), dimmed, checked);
}

void ReportList::AddRow(ReportRow row, bool dimmed, bool checked) {
    if (m_sorted && m_headStale) {
        // Edited key cells left the old rows out of order: sort them all with the new ones.
        m_orderedRows = 0;
        m_headStale = false;
    }
    if (!m_sorted) m_orderedRows = m_rows.size() + 1;
    ReportRow& added = m_rows.emplace_back(std::move(row));
    added.dimmed = dimmed;
    added.checked = checked;
    const int last = RowCount() - 1;
    if (m_sorted) {
        Announce(ChangeKind::Reset);
    } else {
        Announce(ChangeKind::RowsInserted, last, last);
    }
}

void ReportList::RemoveRow(int row) {
    CheckRow(row);
    if (m_rows[row].selected) --m_selectedCount;
    m_rows.erase(m_rows.begin() + row);
    m_orderedRows = m_rows.size();
    if (m_selected == row) {
        m_selected = FirstSelectedRow();
    } else if (m_selected > row) {
        --m_selected;
    }
    Announce(ChangeKind::Reset);
}

int ReportList::RemoveRowsIf(const std::function<bool(int row)>& predicate) {
    EnsureOrder();
    std::vector<char> remove(m_rows.size());
    for (int i = 0; i < RowCount(); ++i) remove[i] = predicate(i) ? 1 : 0;
    std::vector<ReportRow> kept;
    kept.reserve(m_rows.size());
    int newSelected = -1;
    m_selectedCount = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (remove[i]) continue;
        if (static_cast<int>(i) == m_selected) newSelected = static_cast<int>(kept.size());
        m_selectedCount += m_rows[i].selected ? 1 : 0;
        kept.push_back(std::move(m_rows[i]));
    }
    const int removed = RowCount() - static_cast<int>(kept.size());
    m_rows = std::move(kept);
    m_orderedRows = m_rows.size();
    m_selected = newSelected >= 0 ? newSelected : FirstSelectedRow();
    if (removed > 0) Announce(ChangeKind::Reset);
    return removed;
}

void ReportList::ClearRows() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_orderedRows = 0;
    m_headStale = false;
    m_selected = -1;
    m_selectedCount = 0;
    Announce(ChangeKind::Reset);
}

std::string_view ReportList::Cell(int row, int position) const {
    CheckRow(row);
    return m_rows[row].Cell(position);
}

std::vector<std::string> ReportList::RowCells(int row) const {
    CheckRow(row);
    std::vector<std::string> cells = m_rows[row].Cells();
    if (static_cast<int>(cells.size()) < ColumnCount()) cells.resize(ColumnCount());
    return cells;
}

void ReportList::SetCell(int row, int position, std::string_view text) {
    CheckRow(row);
    if (m_rows[row].Cell(position) == text && position < m_rows[row].CellCount()) return;
    m_rows[row].SetCell(position, text);
    if (m_sorted && position == m_sortKey) m_headStale = true;
    Announce(ChangeKind::RowsChanged, row, row);
}

void ReportList::SetCheckBoxes(bool on) {
    if (m_checkBoxes == on) return;
    m_checkBoxes = on;
    Announce(ChangeKind::Properties);
}

bool ReportList::Checked(int row) const {
    CheckRow(row);
    return m_rows[row].checked;
}

void ReportList::SetChecked(int row, bool checked) {
    CheckRow(row);
    if (m_rows[row].checked == checked) return;
    m_rows[row].checked = checked;
    Announce(ChangeKind::RowsChanged, row, row);
    if (m_itemCheck) m_itemCheck(row);
}

int ReportList::CheckedCount() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const ReportRow& row) { return row.checked; }));
}

bool ReportList::Dimmed(int row) const {
    CheckRow(row);
    return m_rows[row].dimmed;
}

void ReportList::SetDimmed(int row, bool dimmed) {
    CheckRow(row);
    if (m_rows[row].dimmed == dimmed) return;
    m_rows[row].dimmed = dimmed;
    Announce(ChangeKind::RowsChanged, row, row);
}

// --- selection

int ReportList::SelectedIndex() const {
    EnsureOrder();
    return m_selected;
}

void ReportList::SetSelectedIndex(int row) {
    if (row != -1) CheckRow(row);
    EnsureOrder();
    if (m_selected == row && m_selectedCount == (row >= 0 ? 1 : 0)) return;
    ClearSelectionMarks();
    if (row >= 0) MarkSelected(row, true);
    m_selected = row;
    Announce(ChangeKind::Selection, row, row);
}

void ReportList::SetMultiSelect(bool on) {
    if (m_multiSelect == on) return;
    m_multiSelect = on;
    Announce(ChangeKind::Properties);
    if (!on && m_selectedCount > 1) SetSelectedIndex(m_selected);
}

void ReportList::SetRowSelected(int row, bool selected) {
    CheckRow(row);
    if (!m_multiSelect) {
        if (selected) {
            SetSelectedIndex(row);
        } else if (m_rows[row].selected) {
            SetSelectedIndex(-1);
        }
        return;
    }
    if (m_rows[row].selected == selected && (!selected || m_selected == row)) return;
    MarkSelected(row, selected);
    if (selected) {
        m_selected = row;
    } else if (m_selected == row) {
        m_selected = FirstSelectedRow();
    }
    Announce(ChangeKind::Selection);
}

void ReportList::SetSelectedRows(const std::vector<int>& rows, int current) {
    for (const int row : rows) CheckRow(row);
    EnsureOrder();
    const bool currentAmongRows = std::find(rows.begin(), rows.end(), current) != rows.end();
    const int newCurrent = currentAmongRows ? current : (rows.empty() ? -1 : rows.back());
    if (!m_multiSelect) {
        SetSelectedIndex(newCurrent);
        return;
    }
    ClearSelectionMarks();
    for (const int row : rows) MarkSelected(row, true);
    m_selected = newCurrent;
    Announce(ChangeKind::Selection);
}

std::vector<int> ReportList::SelectedRows() const {
    EnsureOrder();
    if (m_selectedCount <= 1) return m_selected >= 0 ? std::vector<int>{m_selected} : std::vector<int>{};
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(m_selectedCount));
    for (int i = 0; i < RowCount(); ++i)
        if (m_rows[i].selected) rows.push_back(i);
    return rows;
}

int ReportList::FirstSelectedRow() const {
    if (m_selectedCount == 0) return -1;
    const auto first =
        std::find_if(m_rows.begin(), m_rows.end(), [](const ReportRow& row) { return row.selected; });
    return static_cast<int>(first - m_rows.begin());
}

void ReportList::MarkSelected(int row, bool selected) {
    ReportRow& marked = m_rows[row];
    if (marked.selected == selected) return;
    marked.selected = selected;
    m_selectedCount += selected ? 1 : -1;
}

void ReportList::ClearSelectionMarks() {
    // The usual single selection is cleared without walking a table of 200,000 rows.
    if (m_selectedCount == 1 && m_selected >= 0) {
        m_rows[m_selected].selected = false;
    } else if (m_selectedCount > 0) {
        for (ReportRow& row : m_rows) row.selected = false;
    }
    m_selectedCount = 0;
}

// --- sorting

void ReportList::SetSortKey(int position) {
    const bool changed = m_sortKey != position;
    m_sortKey = position;
    if (changed) Announce(ChangeKind::Properties);
    Resort(changed);
}

void ReportList::SetSortOrder(SortDirection order) {
    const bool changed = m_sortOrder != order;
    m_sortOrder = order;
    if (changed) Announce(ChangeKind::Properties);
    Resort(changed);
}

void ReportList::SetSorted(bool sorted) {
    if (m_sorted == sorted) return;
    if (!sorted) {
        // Rows added while sorting was on belong in sorted order; place them before letting go.
        EnsureOrder();
        m_sorted = false;
        m_orderedRows = m_rows.size();
        Announce(ChangeKind::Properties);
        return;
    }
    m_sorted = true;
    Announce(ChangeKind::Properties);
    Resort(true);
}

void ReportList::Sort() {
    SortRows(0);
    m_headStale = false;
    Announce(ChangeKind::Reset);
}

void ReportList::SetSortKeyOrReverse(int position) {
    if (position == m_sortKey) {
        SetSortOrder(m_sortOrder == SortDirection::Ascending ? SortDirection::Descending
                                                             : SortDirection::Ascending);
    } else {
        SetSortKey(position);
    }
}

void ReportList::SetTimeColumn(int position, TimeReader reader) {
    m_timeColumn = position;
    m_timeReader = std::move(reader);
    Resort(position == m_sortKey);
}

CellKey ReportList::SortKeyOf(const ReportRow& row) const {
    const std::string_view cell = row.Cell(m_sortKey);
    if (m_sortKey == m_timeColumn && m_timeReader) {
        if (const std::optional<long long> seconds = m_timeReader(cell)) return MakeTimeKey(cell, *seconds);
    }
    return MakeCellKey(cell);
}

void ReportList::Resort(bool settingsChanged) {
    if (!m_sorted) return;
    // A stable sort of rows already in order is the identity, so skip it when nothing
    // can be out of place; callers set the same key again and again.
    if (settingsChanged || m_headStale) {
        m_orderedRows = 0;
        m_headStale = false;
    }
    if (m_orderedRows == m_rows.size()) return;
    EnsureOrder();
    Announce(ChangeKind::Reset);
}

void ReportList::EnsureOrder() const {
    if (!m_sorted || m_orderedRows >= m_rows.size()) return;
    SortRows(m_orderedRows);
}

namespace {

// A row's sort key with the row it came from, so that keys can be sorted on their own
// and the rows moved once at the end.
struct KeyedRow {
    CellKey key;
    std::uint32_t row;
};

}  // namespace

void ReportList::SortRows(std::size_t from) const {
    const std::size_t pending = m_rows.size() - from;
    // A few rows added to many: find each one's place by binary search instead of
    // preparing every key again; a view that shows rows as they arrive asks for the
    // order after every few hundred additions.
    if (from > 0 && pending * 8 <= from) {
        MergePending(from);
    } else {
        SortAll();
    }
    m_orderedRows = m_rows.size();
}

bool ReportList::Before(const CellKey& a, const CellKey& b) const {
    const int c = CompareCellKeys(a, b);
    return m_sortOrder == SortDirection::Descending ? c > 0 : c < 0;
}

void ReportList::SortAll() const {
    const std::size_t n = m_rows.size();
    // Keys point into the rows' buffers, so the rows stay put while the keys are sorted.
    // Sorting the keys themselves rather than indices into them keeps the merge passes
    // of the sort sequential in memory.
    std::vector<KeyedRow> entries(n);
    for (std::size_t i = 0; i < n; ++i) {
        entries[i] = {SortKeyOf(m_rows[i]), static_cast<std::uint32_t>(i)};
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const KeyedRow& a, const KeyedRow& b) { return Before(a.key, b.key); });
    std::vector<ReportRow> sorted;
    sorted.reserve(n);
    int newSelected = -1;
    for (std::size_t i = 0; i < n; ++i) {
        if (static_cast<int>(entries[i].row) == m_selected) newSelected = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[entries[i].row]));
    }
    m_rows = std::move(sorted);
    m_selected = newSelected;
}

void ReportList::MergePending(std::size_t from) const {
    const std::size_t n = m_rows.size();
    const std::size_t k = n - from;
    std::vector<KeyedRow> added(k);
    for (std::size_t i = 0; i < k; ++i) {
        added[i] = {SortKeyOf(m_rows[from + i]), static_cast<std::uint32_t>(from + i)};
    }
    std::stable_sort(added.begin(), added.end(),
                     [this](const KeyedRow& a, const KeyedRow& b) { return Before(a.key, b.key); });
    // Each added row goes after the ordered rows it does not sort before (so equal keys
    // keep the older rows first). The places only grow, since the added rows are sorted,
    // so each search gallops on from the previous place rather than halving all rows.
    auto after = [&](const KeyedRow& entry, std::size_t row) {
        return Before(entry.key, SortKeyOf(m_rows[row]));
    };
    std::vector<std::size_t> place(k);
    std::size_t low = 0;
    for (std::size_t t = 0; t < k; ++t) {
        std::size_t high = from;
        for (std::size_t step = 1; low + step <= from; step *= 2) {
            const std::size_t probe = low + step - 1;
            if (after(added[t], probe)) {
                high = probe;
                break;
            }
            low = probe + 1;
        }
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (after(added[t], middle)) {
                high = middle;
            } else {
                low = middle + 1;
            }
        }
        place[t] = low;
    }
    int newSelected = m_selected;
    if (m_selected >= 0) {
        const auto selected = static_cast<std::size_t>(m_selected);
        if (selected < from) {
            newSelected +=
                static_cast<int>(std::upper_bound(place.begin(), place.end(), selected) - place.begin());
        } else {
            for (std::size_t t = 0; t < k; ++t) {
                if (added[t].row == selected) newSelected = static_cast<int>(place[t] + t);
            }
        }
    }
    // The keys are not needed past this point; moving the rows may move the texts they show.
    std::vector<ReportRow> moving;
    moving.reserve(k);
    for (const KeyedRow& entry : added) moving.push_back(std::move(m_rows[entry.row]));
    // Fill from the back: ordered rows shift right past each added row's place.
    std::size_t write = n;
    std::size_t headEnd = from;
    for (std::size_t t = k; t-- > 0;) {
        while (headEnd > place[t]) m_rows[--write] = std::move(m_rows[--headEnd]);
        m_rows[--write] = std::move(moving[t]);
    }
    m_selected = newSelected;
}

// --- actions

void ReportList::ColumnClick(int position) {
    if (m_columnClick) {
        m_columnClick(position);
    } else {
        SetSortKey(position);
    }
}

void ReportList::DoubleClick() {
    if (m_doubleClick) m_doubleClick();
}

void ReportList::BeginUpdate() {
    ++m_updateDepth;
}

void ReportList::EndUpdate() {
    if (m_updateDepth == 0) return;
    if (--m_updateDepth == 0 && m_updatePending) {
        m_updatePending = false;
        Notify(ChangeKind::Reset);
    }
}

std::size_t ReportList::MemoryBytes() const {
    std::size_t bytes = m_rows.capacity() * sizeof(ReportRow);
    for (const auto& row : m_rows) bytes += row.MemoryBytes() - sizeof(ReportRow);
    return bytes;
}

void ReportList::CheckRow(int row) const {
    if (row < 0 || row >= RowCount()) throw std::out_of_range("ReportList: no such row");
    EnsureOrder();
}

void ReportList::Announce(ChangeKind kind, int first, int last) {
    if (m_updateDepth > 0) {
        m_updatePending = true;
        return;
    }
    Notify(kind, first, last);
}

}  // namespace marlin
