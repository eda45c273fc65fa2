#include "platform/qt/report_list_item_model.h"

#include <QTimer>

#include "platform/qt/qt_text.h"

namespace marlin {
namespace {

Qt::Alignment ToQtAlignment(Alignment alignment) {
    switch (alignment) {
        case Alignment::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case Alignment::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
        case Alignment::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ReportListItemModel::ReportListItemModel(ReportList& list, std::function<bool()> alive, QObject* parent)
    : QAbstractTableModel(parent),
      m_list(list),
      m_alive(std::move(alive)),
      m_rowCount(list.RowCount()),
      m_columnCount(list.ColumnCount()),
      m_dimmedColor(Qt::gray) {}

int ReportListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int ReportListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columnCount;
}

QVariant ReportListItemModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    const int column = index.column();
    // Between a change and its flush Qt may still ask for rows that have gone.
    if (!index.isValid() || !Alive() || row >= m_list.RowCount() || column >= m_list.ColumnCount()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(m_list.Cell(row, column));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ToQtAlignment(m_list.Column(column).alignment));
        case Qt::CheckStateRole:
            if (column == 0 && m_list.CheckBoxes()) return m_list.Checked(row) ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::ForegroundRole:
            if (m_list.Dimmed(row)) return m_dimmedColor;
            return {};
        default:
            return {};
    }
}

QVariant ReportListItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || !Alive() || section >= m_list.ColumnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    // The tooltip gives the whole name of a header the column is too narrow to show.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return ToQt(m_list.Column(section).header);
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(ToQtAlignment(m_list.Column(section).alignment));
    }
    return {};
}

Qt::ItemFlags ReportListItemModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || !Alive()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && m_list.CheckBoxes()) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool ReportListItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= m_list.RowCount()) {
        return false;
    }
    // The list announces the change back, which repaints the row.
    m_list.SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

void ReportListItemModel::ListChanged(const ModelChange& change) {
    switch (change.kind) {
        case ChangeKind::Reset:
            m_resetPending = true;
            ScheduleFlush();
            break;
        case ChangeKind::Columns:
            if (m_list.ColumnCount() != m_columnCount) {
                m_resetPending = true;
                ScheduleFlush();
            } else {
                // Renamed or resized only: no need to drop the rows, the selection or the scroll.
                if (m_columnCount > 0) emit headerDataChanged(Qt::Horizontal, 0, m_columnCount - 1);
                emit columnsChanged();
            }
            break;
        case ChangeKind::RowsInserted:
            m_insertPending = true;
            ScheduleFlush();
            break;
        case ChangeKind::RowsChanged:
            // Rows Qt has not been told about yet will be read whole at the flush.
            if (!m_resetPending && m_columnCount > 0 && change.first >= 0 && change.first < m_rowCount) {
                const int last = std::min(change.last, m_rowCount - 1);
                emit dataChanged(index(change.first, 0), index(last, m_columnCount - 1));
            }
            break;
        case ChangeKind::Properties:
            // The check-box switch changes what every first cell shows.
            if (!m_resetPending && m_rowCount > 0 && m_columnCount > 0) {
                emit dataChanged(index(0, 0), index(m_rowCount - 1, 0));
            }
            break;
        default:
            break;
    }
}

void ReportListItemModel::ScheduleFlush() {
    if (m_flushScheduled) return;
    m_flushScheduled = true;
    // Showing a large table again costs a few milliseconds (the list places the new rows,
    // the view lays out), so while one fills, a few refreshes a second are enough.
    const int delay = m_rowCount >= kLargeTable ? kLargeTableDelayMs : 0;
    QTimer::singleShot(delay, this, [this] { Flush(); });
}

bool ReportListItemModel::Flush() {
    m_flushScheduled = false;
    if (!HasPending() || !Alive()) return false;
    const int newCount = m_list.RowCount();
    if (m_resetPending || newCount < m_rowCount || m_list.ColumnCount() != m_columnCount) {
        beginResetModel();
        m_rowCount = newCount;
        m_columnCount = m_list.ColumnCount();
        endResetModel();
    } else if (newCount > m_rowCount) {
        beginInsertRows(QModelIndex(), m_rowCount, newCount - 1);
        m_rowCount = newCount;
        endInsertRows();
    }
    m_resetPending = false;
    m_insertPending = false;
    emit rowsFlushed();
    return true;
}

}  // namespace marlin
