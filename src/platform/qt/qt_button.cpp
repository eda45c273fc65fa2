#include "platform/qt/qt_button.h"

#include "platform/qt/qt_text.h"

namespace marlin {

QtButton::QtButton(Button& button, QAbstractButton* widget)
    : QtControl(button, widget), m_button(button), m_widget(widget) {
    if (m_button.Caption().empty()) m_button.SetCaption(FromQt(m_widget->text()));
    m_widget->setText(ToQt(m_button.Caption()));
    connect(m_widget, &QAbstractButton::clicked, this, [this] {
        if (ModelAlive()) m_button.Click();
    });
    connect(m_widget, &QAbstractButton::pressed, this, [this] {
        if (ModelAlive()) m_button.Press();
    });
    connect(m_widget, &QAbstractButton::released, this, [this] {
        if (ModelAlive()) m_button.Release();
    });
}

void QtButton::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if (change.kind == ChangeKind::Properties) m_widget->setText(ToQt(m_button.Caption()));
}

}  // namespace marlin
