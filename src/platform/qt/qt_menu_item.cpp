#include "platform/qt/qt_menu_item.h"

#include <QCursor>

#include "platform/qt/qt_text.h"

namespace marlin {

QtMenuItem::QtMenuItem(MenuItem& item, QAction* action) : QObject(action), m_item(item), m_action(action) {
    connect(m_action, &QAction::triggered, this, [this] {
        if (!ModelAlive()) return;
        m_item.Click();
        if (ModelAlive()) Apply();
    });
    Bind();
}

QtMenuItem::QtMenuItem(MenuItem& item, QMenu* menu)
    : QObject(menu), m_item(item), m_action(menu->menuAction()), m_menu(menu) {
    Bind();
}

void QtMenuItem::Bind() {
    if (m_item.Caption().empty() && !m_action->text().isEmpty()) m_item.SetCaption(FromQt(m_action->text()));
    if (m_item.ToolTip().empty() && m_action->toolTip() != m_action->text() &&
        !m_action->toolTip().isEmpty()) {
        m_item.SetToolTip(FromQt(m_action->toolTip()));
    }
    m_subscription = m_item.Subscribe([this](const ModelChange& change) { OnChange(change); });
    Apply();
}

void QtMenuItem::OnChange(const ModelChange& change) {
    if (change.kind == ChangeKind::Popup) {
        if (m_menu) m_menu->exec(QCursor::pos());
        return;
    }
    Apply();
}

void QtMenuItem::Apply() {
    if (!m_action) return;
    const QString caption = ToQt(m_item.Caption());
    if (m_menu) {
        m_menu->setTitle(caption);
    } else if (!m_action->isSeparator()) {
        // A separator's caption ("-") names it in the model; the line is what is drawn,
        // and some styles would draw the text as well.
        m_action->setText(caption);
    }
    if (m_item.Checked() && !m_action->isCheckable()) m_action->setCheckable(true);
    if (m_action->isCheckable()) m_action->setChecked(m_item.Checked());
    m_action->setVisible(m_item.Visible());
    m_action->setEnabled(m_item.Enabled());
    if (!m_item.ToolTip().empty()) m_action->setToolTip(ToQt(m_item.ToolTip()));
}

}  // namespace marlin
