#include "platform/qt/qt_log_list.h"

#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtLogList::QtLogList(LogList& log, QListWidget* widget)
    : QtControl(log, widget, ContextMenu::Route), m_log(log), m_widget(widget) {
    m_widget->setSelectionMode(QAbstractItemView::SingleSelection);
    m_widget->setUniformItemSizes(true);
    m_widget->setWordWrap(false);
    connect(m_widget, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_applying || !ModelAlive() || row >= m_log.Count()) return;
        m_log.SetSelectedIndex(row);
    });
    Rebuild();
}

void QtLogList::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    switch (change.kind) {
        case ChangeKind::Reset:
            Rebuild();
            break;
        case ChangeKind::RowsInserted:
            for (int i = change.first; i <= change.last && i < m_log.Count(); ++i) {
                m_widget->addItem(ToQt(m_log.Line(i)));
            }
            m_widget->scrollToBottom();
            break;
        case ChangeKind::RowsChanged:
            for (int i = change.first; i <= change.last && i < m_widget->count(); ++i) {
                m_widget->item(i)->setText(ToQt(m_log.Line(i)));
            }
            break;
        case ChangeKind::Scroll:
            m_widget->scrollToBottom();
            break;
        case ChangeKind::Selection:
            ApplySelection();
            break;
        default:
            break;
    }
}

void QtLogList::Rebuild() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_widget->clear();
    QStringList lines;
    lines.reserve(m_log.Count());
    for (const auto& line : m_log.Lines()) lines << ToQt(line);
    m_widget->addItems(lines);
    ApplySelection();
    m_widget->scrollToBottom();
}

void QtLogList::ApplySelection() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_widget->setCurrentRow(m_log.SelectedIndex());
    if (m_log.SelectedIndex() < 0) m_widget->clearSelection();
}

}  // namespace marlin
