#pragma once

#include <QApplication>

namespace marlin {

// The application object of the desktop program. A command that fails with an exception
// must not take the whole program (and a week of retrieved tweets) down with it: the
// exception is caught where Qt delivers the event, the user is told, and the window goes
// on. The workflows restore their own flags as the exception unwinds them.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;

    // The text shown for a command that ended by an exception.
    static QString FailureText(const char* what);
};

}  // namespace marlin
