#include "platform/qt/qt_window.h"

#include "platform/qt/qt_text.h"

namespace marlin {

namespace {

// Qt reads "[*]" in a window title as the place of its own modified mark and hides it;
// doubled, it shows as written (an unsaved table's title ends in " [*]").
QString LiteralTitle(const std::string& caption) {
    QString title = ToQt(caption);
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    return title;
}

}  // namespace

QtWindow::QtWindow(Label& window, QWidget* widget) : QtControl(window, widget), m_window(window) {
    if (m_window.Caption().empty()) m_window.SetCaption(FromQt(widget->windowTitle()));
    widget->setWindowTitle(LiteralTitle(m_window.Caption()));
}

void QtWindow::OnChange(const ModelChange& change) {
    QtControl::OnChange(change);
    if ((change.kind == ChangeKind::Properties || change.kind == ChangeKind::Reset) && widget()) {
        widget()->setWindowTitle(LiteralTitle(m_window.Caption()));
    }
}

}  // namespace marlin
