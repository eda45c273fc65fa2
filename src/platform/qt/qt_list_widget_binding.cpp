#include "platform/qt/qt_list_widget_binding.h"

#include <QScopedValueRollback>

namespace marlin {

QtListWidgetBinding::QtListWidgetBinding(ControlModel& model, QListWidget* widget)
    : QtControl(model, widget, ContextMenu::Route), m_widget(widget) {
    m_widget->setSelectionMode(QAbstractItemView::SingleSelection);
    m_widget->setUniformItemSizes(true);
    connect(m_widget, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_applying || !ModelAlive() || row >= ModelCount()) return;
        UserChoseRow(row);
    });
}

void QtListWidgetBinding::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    switch (change.kind) {
        case ChangeKind::Reset:
            Rebuild();
            break;
        case ChangeKind::RowsInserted:
            InsertRows(change.first, change.last);
            break;
        case ChangeKind::RowsChanged:
            for (int i = change.first; i <= change.last && i < m_widget->count(); ++i) ApplyRow(i);
            break;
        case ChangeKind::Selection:
            ApplySelection();
            break;
        default:
            ApplyOther(change.kind);
            break;
    }
}

void QtListWidgetBinding::ApplySelection() {
    QScopedValueRollback<bool> guard(m_applying, true);
    const int row = ModelSelectedIndex();
    m_widget->setCurrentRow(row);
    if (row < 0) m_widget->clearSelection();
}

}  // namespace marlin
