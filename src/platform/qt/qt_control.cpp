#include "platform/qt/qt_control.h"

#include "platform/qt/qt_text.h"

namespace marlin {

QtControl::QtControl(ControlModel& model, QWidget* widget, ContextMenu contextMenu)
    : QObject(widget), m_model(model), m_widget(widget) {
    if (m_model.ToolTip().empty() && !widget->toolTip().isEmpty())
        m_model.SetToolTip(FromQt(widget->toolTip()));
    m_subscription = m_model.Subscribe([this](const ModelChange& change) { OnChange(change); });
    if (contextMenu == ContextMenu::Route) {
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(widget, &QWidget::customContextMenuRequested, this, [this] {
            if (ModelAlive()) m_model.ContextMenu();
        });
    }
    ApplyCommonProperties();
    ApplyVisibility();
}

QtControl::~QtControl() = default;

void QtControl::OnChange(const ModelChange& change) {
    if (change.kind == ChangeKind::Focus && m_widget) m_widget->setFocus(Qt::OtherFocusReason);
    if (change.kind != ChangeKind::Properties && change.kind != ChangeKind::Reset) return;
    ApplyCommonProperties();
    ApplyVisibility();
}

void QtControl::ApplyVisibility() {
    // Only a change of the model's switch touches the widget, so binding never shows a
    // window, and a child the form hid stays hidden until the program says otherwise.
    if (!m_widget || m_model.Visible() == m_shownVisible) return;
    m_shownVisible = m_model.Visible();
    m_widget->setVisible(m_shownVisible);
}

void QtControl::ApplyCommonProperties() {
    if (!m_widget) return;
    m_widget->setEnabled(m_model.Enabled());
    m_widget->setToolTip(ToQt(m_model.ToolTip()));
}

}  // namespace marlin
