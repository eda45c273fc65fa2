#include "platform/qt/qt_window.h"

#include "platform/qt/qt_text.h"

namespace marlin {

QtWindow::QtWindow(Label& window, QWidget* widget) : QtControl(window, widget), m_window(window) {
    if (m_window.Caption().empty()) m_window.SetCaption(FromQt(widget->windowTitle()));
    widget->setWindowTitle(ToQt(m_window.Caption()));
}

void QtWindow::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if ((change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) && widget()) {
        widget()->setWindowTitle(ToQt(m_window.Caption()));
    }
}

}  // namespace marlin
