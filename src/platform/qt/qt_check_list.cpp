#include "platform/qt/qt_check_list.h"

#include <QApplication>
#include <utility>

#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtCheckList::QtCheckList(CheckList& list, QListWidget* widget)
    : QtListWidgetBinding(list, widget), m_list(list) {
    connect(m_widget, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (m_applying || !ModelAlive()) return;
        const int row = m_widget->row(item);
        if (row < 0 || row >= m_list.Count() || !m_list.CheckBoxes()) return;
        const bool checked = item->checkState() == Qt::Checked;
        if (checked != m_list.Checked(row)) m_list.SetChecked(row, checked);
    });
    connect(m_widget, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        // A click that moved the selection has run the click action already.
        const bool moved = std::exchange(m_clickMovedSelection, false);
        if (!moved && !m_applying && ModelAlive() && m_widget->row(item) == m_list.SelectedIndex())
            m_list.ClickSelected();
    });
    connect(m_widget, &QListWidget::itemDoubleClicked, this, [this] {
        if (ModelAlive()) m_list.DoubleClick();
    });
    Rebuild();
    ApplyBold();
}

void QtCheckList::UserChoseRow(int row) {
    m_clickMovedSelection = QApplication::mouseButtons() != Qt::NoButton;
    m_list.SetSelectedIndex(row);
}

void QtCheckList::ApplyOther(ChangeKind kind) {
    if (kind == ChangeKind::Properties) ApplyBold();
}

void QtCheckList::Rebuild() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_widget->clear();
    InsertRows(0, m_list.Count() - 1);
    ApplySelection();
}

void QtCheckList::InsertRows(int first, int last) {
    QScopedValueRollback<bool> guard(m_applying, true);
    for (int i = first; i <= last && i < m_list.Count(); ++i) {
        auto* item = new QListWidgetItem(m_widget);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_widget->addItem(item);
        ApplyRow(i);
    }
}

void QtCheckList::ApplyRow(int index) {
    QScopedValueRollback<bool> guard(m_applying, true);
    QListWidgetItem* item = m_widget->item(index);
    if (!item) return;
    item->setText(ToQt(m_list.Item(index)));
    if (m_list.CheckBoxes()) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(m_list.Checked(index) ? Qt::Checked : Qt::Unchecked);
    } else {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setData(Qt::CheckStateRole, QVariant());
    }
}

void QtCheckList::ApplyBold() {
    QFont font = m_widget->font();
    if (font.bold() == m_list.Bold()) return;
    font.setBold(m_list.Bold());
    m_widget->setFont(font);
}

}  // namespace marlin
