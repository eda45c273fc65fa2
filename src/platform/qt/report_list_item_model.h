#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <functional>

#include "platform/report_list.h"

namespace marlin {

// The Qt item model over a ReportList. It reads cells straight from the list (no copy),
// and announces the list's changes to Qt in batches: a burst of row additions, even a
// quarter of a million one at a time, becomes one reset or insertion when the event
// loop next runs (or when Flush is called). Until then Qt sees the row count it was
// last told, and cells that have gone read as empty. A large table is refreshed a few
// times a second at most.
class ReportListItemModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    // alive says whether the list still exists; once it does not, the model shows nothing.
    ReportListItemModel(ReportList& list, std::function<bool()> alive, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Called for each change of the list; queues what Qt must be told.
    void ListChanged(const ModelChange& change);
    // Tells Qt now whatever is queued. Returns true when rows were reset or inserted.
    bool Flush();
    bool HasPending() const { return m_resetPending || m_insertPending; }

    void SetDimmedColor(const QColor& color) { m_dimmedColor = color; }

    // From this many rows on, changes reach Qt at most this often.
    static constexpr int kLargeTable = 20000;
    static constexpr int kLargeTableDelayMs = 150;

  signals:
    // After a flush that reset or inserted rows (the adapter restores selection and headers).
    void rowsFlushed();
    // Headers or widths changed while the number of columns stayed.
    void columnsChanged();

  private:
    void ScheduleFlush();

    bool Alive() const { return m_alive(); }

    ReportList& m_list;
    std::function<bool()> m_alive;
    int m_rowCount = 0;
    int m_columnCount = 0;
    bool m_resetPending = false;
    bool m_insertPending = false;
    bool m_flushScheduled = false;
    QColor m_dimmedColor;
};

}  // namespace marlin
