#include "platform/qt/qt_report_list.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTreeView>
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/qt/sort_arrow_style.h"

namespace marlin {

QtReportList::QtReportList(ReportList& list, QAbstractItemView* view)
    : QtControl(list, view, ContextMenu::Route),
      m_list(list),
      m_view(view),
      m_model(new ReportListItemModel(
          list, [this] { return ModelAlive(); }, this)) {
    m_model->SetDimmedColor(view->palette().color(QPalette::Disabled, QPalette::Text));
    PrepareView();
    m_view->setModel(m_model);
    ConnectView();
    ApplyColumns();
    ApplySortIndicator();
    ApplySelection();
}

QHeaderView* QtReportList::Header() const {
    if (auto* table = qobject_cast<QTableView*>(m_view)) return table->horizontalHeader();
    if (auto* tree = qobject_cast<QTreeView*>(m_view)) return tree->header();
    return nullptr;
}

void QtReportList::PrepareView() {
    // Settings that keep a view of 200,000 rows fast and make it behave as a report list.
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    ApplySelectionMode();
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setTextElideMode(Qt::ElideRight);
    if (auto* table = qobject_cast<QTableView*>(m_view)) {
        table->setSortingEnabled(false);
        table->setWordWrap(false);
        table->setShowGrid(false);
        table->verticalHeader()->setVisible(false);
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    } else if (auto* tree = qobject_cast<QTreeView*>(m_view)) {
        tree->setSortingEnabled(false);
        tree->setRootIsDecorated(false);
        tree->setItemsExpandable(false);
        tree->setUniformRowHeights(true);
        tree->setWordWrap(false);
    }
    if (QHeaderView* header = Header()) {
        header->setSectionsClickable(true);
        header->setStretchLastSection(false);  // a stretched width would end up in the saved widths
        header->setSectionResizeMode(QHeaderView::Interactive);
        // The style lives with the binding, which the view deletes after its header.
        auto* arrows = new SortArrowStyle;
        arrows->setParent(this);
        header->setStyle(arrows);
    }
}

void QtReportList::ConnectView() {
    connect(m_model, &ReportListItemModel::rowsFlushed, this, [this] {
        ApplySelection();
        ApplySortIndicator();
        ApplyColumns();
    });
    connect(m_model, &ReportListItemModel::columnsChanged, this, &QtReportList::ApplyColumns);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_applying || !ModelAlive() || m_model->HasPending()) return;
                QScopedValueRollback<bool> guard(m_applying, true);
                if (m_list.MultiSelect()) {
                    TakeViewSelection();
                    return;
                }
                m_list.SetSelectedIndex(current.isValid() && current.row() < m_list.RowCount() ? current.row()
                                                                                               : -1);
            });
    // A click with the control key changes the selection without always moving the
    // current row.
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_applying || !ModelAlive() || m_model->HasPending() || !m_list.MultiSelect()) return;
        QScopedValueRollback<bool> guard(m_applying, true);
        TakeViewSelection();
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (ModelAlive() && index.isValid()) m_list.DoubleClick();
    });
    if (QHeaderView* header = Header()) {
        connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
            if (ModelAlive()) m_list.ColumnClick(section);
            ApplySortIndicator();
        });
        connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
            if (m_applying || !ModelAlive() || section >= m_list.ColumnCount()) return;
            TakeColumnWidths(section, size);
        });
    }
}

void QtReportList::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    m_model->ListChanged(change);
    if (change.kind == ChangeKind::Selection && !m_model->HasPending()) ApplySelection();
    if (change.kind == ChangeKind::Properties) {
        ApplySortIndicator();
        ApplySelectionMode();
    }
}

void QtReportList::ApplySelectionMode() {
    m_view->setSelectionMode(m_list.MultiSelect() ? QAbstractItemView::ExtendedSelection
                                                  : QAbstractItemView::SingleSelection);
}

void QtReportList::TakeViewSelection() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) {
        if (index.row() < m_list.RowCount()) rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    const QModelIndex current = m_view->selectionModel()->currentIndex();
    m_list.SetSelectedRows(rows, current.isValid() ? current.row() : -1);
}

void QtReportList::Flush() {
    if (!ModelAlive()) return;
    if (!m_model->Flush()) ApplySelection();
}

void QtReportList::SetFitsContents(int fillColumn) {
    m_fitsContents = true;
    m_fillColumn = fillColumn;
    // The rows around those in sight tell a column's usual width; all 200,000 would not.
    if (QHeaderView* header = Header()) header->setResizeContentsPrecision(kSampledRows);
    if (!m_viewport) {
        m_viewport = m_view->viewport();
        m_viewport->installEventFilter(this);
    }
    ApplyColumns();
}

bool QtReportList::eventFilter(QObject* watched, QEvent* event) {
    // The viewport outlives the view's own part: the view's destructor leaves it to the
    // widget's, which deletes the children, so its last events come while the view is no
    // view any more. Nothing here may reach the view before the event is known to be a
    // resize of a whole view, and a resize matters only while the list is there.
    if (event->type() == QEvent::Resize && watched == m_viewport && Whole<QAbstractItemView>(widget()) &&
        ModelAlive())
        ApplyColumns();
    return QtControl::eventFilter(watched, event);
}

std::vector<int> QtReportList::ShownWidths() const {
    std::vector<int> widths;
    bool alike = true;
    for (int i = 0; i < m_list.ColumnCount(); ++i) {
        widths.push_back(TwipsToPixels(m_list.Column(i).width, m_view));
        alike = alike && m_list.Column(i).width == m_list.Column(0).width;
    }
    if (!m_fitsContents || !alike || widths.empty()) return widths;
    return ContentWidths();
}

std::vector<int> QtReportList::ContentWidths() const {
    QHeaderView* header = Header();
    const int widest = m_view->fontMetrics().averageCharWidth() * kWidestFit;
    // A cell's text, its margins and the sort arrow's room beside a header.
    const int margin = m_view->fontMetrics().averageCharWidth() * 2;
    std::vector<int> widths;
    int others = 0;
    for (int i = 0; i < m_list.ColumnCount(); ++i) {
        const int title = header && i < header->count() ? header->sectionSizeHint(i) + margin : 0;
        const int cells = i < m_model->columnCount() ? m_view->sizeHintForColumn(i) + margin / 2 : 0;
        widths.push_back(std::max(title, std::min(cells, widest)));
        if (i != m_fillColumn) others += widths.back();
    }
    if (m_fillColumn >= 0 && m_fillColumn < static_cast<int>(widths.size())) {
        const int room = m_view->viewport()->width();
        widths[static_cast<std::size_t>(m_fillColumn)] = std::max(
            {room - others, room * kFillShare / 100, widths[static_cast<std::size_t>(m_fillColumn)]});
    }
    return widths;
}

void QtReportList::ApplyColumns() {
    QHeaderView* header = Header();
    if (!header || m_applying || !ModelAlive()) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    const std::vector<int> widths = ShownWidths();
    m_filled = false;
    for (int i = 0; i < m_list.ColumnCount() && i < header->count(); ++i) {
        const int pixels = widths[static_cast<std::size_t>(i)];
        m_filled = m_filled || pixels != TwipsToPixels(m_list.Column(i).width, m_view);
        if (header->sectionSize(i) != pixels) header->resizeSection(i, pixels);
    }
}

void QtReportList::TakeColumnWidths(int resized, int size) {
    QScopedValueRollback<bool> guard(m_applying, true);
    if (m_filled) {
        // The user sizes a column of the shared layout: what they see becomes theirs.
        QHeaderView* header = Header();
        for (int i = 0; i < m_list.ColumnCount() && i < header->count(); ++i)
            m_list.SetColumnWidth(i, PixelsToTwips(header->sectionSize(i), m_view));
        m_filled = false;
    }
    m_list.SetColumnWidth(resized, PixelsToTwips(size, m_view));
}

void QtReportList::ApplySelection() {
    if (m_applying || !ModelAlive()) return;
    QScopedValueRollback<bool> guard(m_applying, true);
    const int row = m_list.SelectedIndex();
    QItemSelectionModel* selection = m_view->selectionModel();
    if (const std::vector<int> rows = m_list.SelectedRows(); rows.size() > 1) {
        ApplyRows(rows);
    } else if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    } else {
        selection->clearSelection();
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    }
}

void QtReportList::ApplyRows(const std::vector<int>& rows) {
    // Runs of neighbouring rows become one range each, so selecting a block of thousands
    // of rows costs one range.
    QItemSelection ranges;
    const int lastColumn = std::max(0, m_model->columnCount() - 1);
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) ++end;
        if (rows[end - 1] < m_model->rowCount())
            ranges.select(m_model->index(rows[i], 0), m_model->index(rows[end - 1], lastColumn));
        i = end;
    }
    QItemSelectionModel* selection = m_view->selectionModel();
    selection->select(ranges, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const int current = m_list.SelectedIndex();
    if (current >= 0 && current < m_model->rowCount())
        selection->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
}

void QtReportList::ApplySortIndicator() {
    QHeaderView* header = Header();
    if (!header || !ModelAlive()) return;
    header->setSortIndicatorShown(m_list.Sorted());
    header->setSortIndicator(m_list.SortKey(), m_list.SortOrder() == SortDirection::Ascending
                                                   ? Qt::AscendingOrder
                                                   : Qt::DescendingOrder);
}

int QtReportList::TwipsToPixels(int twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips * widget->logicalDpiX() / 1440.0));
}

int QtReportList::PixelsToTwips(int pixels, const QWidget* widget) {
    return static_cast<int>(std::lround(pixels * 1440.0 / widget->logicalDpiX()));
}

}  // namespace marlin
