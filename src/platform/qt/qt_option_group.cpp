#include "platform/qt/qt_option_group.h"

#include <QScopedValueRollback>

#include "platform/qt/qt_text.h"

namespace marlin {

QtOptionGroup::QtOptionGroup(OptionGroup& group, const QList<QAbstractButton*>& buttons)
    : QObject(buttons.isEmpty() ? nullptr : buttons.front()),
      m_group(group),
      m_buttons(buttons),
      m_buttonGroup(new QButtonGroup(this)) {
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttonGroup->addButton(m_buttons[i], i);
        if (i >= m_group.Count()) {
            m_group.AddOption(FromQt(m_buttons[i]->text()));
        } else if (m_group.Caption(i).empty()) {
            m_group.SetCaption(i, FromQt(m_buttons[i]->text()));
        }
    }
    connect(m_buttonGroup, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_applying || !ModelAlive() || id >= m_group.Count()) return;
        m_group.SetSelectedIndex(id);
    });
    m_subscription = m_group.Subscribe([this](const ModelChange&) { Apply(); });
    Apply();
}

void QtOptionGroup::Apply() {
    QScopedValueRollback<bool> guard(m_applying, true);
    m_buttonGroup->setExclusive(false);  // lets "none chosen" show as no button checked
    for (int i = 0; i < m_buttons.size() && i < m_group.Count(); ++i) {
        m_buttons[i]->setText(ToQt(m_group.Caption(i)));
        m_buttons[i]->setChecked(i == m_group.SelectedIndex());
        m_buttons[i]->setEnabled(m_group.Enabled());
    }
    m_buttonGroup->setExclusive(true);
}

}  // namespace marlin
