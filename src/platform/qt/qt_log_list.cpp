#include "platform/qt/qt_log_list.h"

#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtLogList::QtLogList(LogList& log, QListWidget* widget) : QtListWidgetBinding(log, widget), m_log(log) {
    m_widget->setWordWrap(false);
    Rebuild();
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

void QtLogList::InsertRows(int first, int last) {
    for (int i = first; i <= last && i < m_log.Count(); ++i) m_widget->addItem(ToQt(m_log.Line(i)));
    m_widget->scrollToBottom();
}

void QtLogList::ApplyRow(int row) {
    m_widget->item(row)->setText(ToQt(m_log.Line(row)));
}

void QtLogList::ApplyOther(ChangeKind kind) {
    if (kind == ChangeKind::Scroll) m_widget->scrollToBottom();
}

}  // namespace marlin
