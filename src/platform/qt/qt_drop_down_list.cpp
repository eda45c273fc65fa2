#include "platform/qt/qt_drop_down_list.h"

#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtDropDownList::QtDropDownList(DropDownList& list, QComboBox* combo)
    : QtControl(list, combo), m_list(list), m_combo(combo) {
    m_combo->setEditable(false);
    // Long history entries (query and path) must not widen the window.
    m_combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_combo->setMinimumContentsLength(12);
    connect(m_combo, &QComboBox::activated, this, [this](int index) {
        if (m_applying || !ModelAlive() || index < 0 || index >= m_list.Count()) return;
        m_list.SetSelectedIndex(index);
    });
    Rebuild();
}

void QtDropDownList::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Reset) Rebuild();
    if (change.kind == ChangeKind::Selection) ApplySelection();
}

void QtDropDownList::Rebuild() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_combo->clear();
    QStringList items;
    items.reserve(m_list.Count());
    for (const auto& item : m_list.Items()) items << ToQt(item);
    m_combo->addItems(items);
    ApplySelection();
}

void QtDropDownList::ApplySelection() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_combo->setCurrentIndex(m_list.SelectedIndex());
}

}  // namespace marlin
