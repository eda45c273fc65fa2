#pragma once

// Drives the real main window in GUI tests: widgets are found by their objectName and
// used the way a researcher would, with Qt's test input.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <functional>
#include <string>

#include "emulator/emulator.h"
#include "workspace/ui/main_window.h"

namespace marlin::testing {

// Lets events run until the condition holds; false when two seconds pass first.
inline bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 2000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A widget of the main window or of its credentials dialog.
template <typename T>
T* FindWidget(MainWindow& window, const char* name) {
    T* widget = window.findChild<T*>(name);
    if (!widget) widget = window.aboutDialog()->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

inline QAction* FindAction(MainWindow& window, const char* name) {
    auto* action = window.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
}

// Replaces a text box's text by typing, so its edit handlers run.
inline void TypeInto(MainWindow& window, const char* name, const std::string& text) {
    auto* edit = FindWidget<QLineEdit>(window, name);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
}

// Presses a splitter handle, moves it by `by` with the button held, and lets go.
inline void DragHandle(QWidget* handle, QPoint by) {
    const QPoint from(handle->width() / 2, handle->height() / 2);
    const QPoint to = from + by;
    QMouseEvent press(QEvent::MouseButtonPress, from, handle->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &press);
    QMouseEvent move(QEvent::MouseMove, to, handle->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, handle->mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &release);
    QCoreApplication::processEvents();
}

// Types the emulator's demo credentials into the dialog and presses OK.
inline void TypeCredentialsAndOk(MainWindow& window, const emulator::Emulator& service) {
    const auto& c = service.Config();
    TypeInto(window, "tbCred(0)", c.appName);
    TypeInto(window, "tbCred(1)", c.consumerKey);
    TypeInto(window, "tbCred(2)", c.consumerSecret);
    QTest::mouseClick(FindWidget<QAbstractButton>(window, "cmdOK"), Qt::LeftButton);
}

}  // namespace marlin::testing
