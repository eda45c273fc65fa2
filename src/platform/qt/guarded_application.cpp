#include "platform/qt/guarded_application.h"

#include <QMessageBox>
#include <exception>

#include "platform/toolkit.h"

namespace marlin {

QString GuardedApplication::FailureText(const char* what) {
    return QStringLiteral(
               "The command stopped because of an unexpected error: %1\n\n"
               "The tables keep what they held; save them before you go on.")
        .arg(QString::fromUtf8(what));
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        QMessageBox::critical(activeWindow(), QString::fromUtf8(kApplicationTitle),
                              FailureText(error.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), QString::fromUtf8(kApplicationTitle), FailureText("unknown"));
    }
    return false;
}

}  // namespace marlin
