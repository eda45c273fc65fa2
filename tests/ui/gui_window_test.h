#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QTest>
#include <memory>
#include <string>

#include "window_driver.h"
#include "window_harness.h"
#include "workspace/ui/main_window.h"

namespace marlin::testing {

// The real desktop window over the harness's frmMain: questions and file dialogs are
// answered by the script, the widgets are real and every pending-events call of the
// program runs Qt's events.
class GuiWindowTest : public WindowHarness {
  protected:
    ~GuiWindowTest() override {
        window.reset();
        frm.reset();
    }

    // Starts the service and opens the window on it (again, when one is open), at its first
    // start on a screen of the given size when one is given.
    void OpenWindow(QSize firstSize = {}) {
        window.reset();
        OpenForm();
        window = std::make_unique<MainWindow>(*frm);
        frm->Session().SetEndProgramAction([this] { ++programEnded; });
        if (firstSize.isValid()) window->resize(firstSize);
        window->Start();
        QCoreApplication::processEvents();
    }
    void StartGui(emulator::EmulatorConfig config, bool withScorer) {
        StartService(std::move(config), withScorer);
        tk.onDoEvents = [] { QCoreApplication::processEvents(); };
        OpenWindow();
    }

    template <typename T>
    T* Find(const char* name) {
        return FindWidget<T>(*window, name);
    }
    QAction* Action(const char* name) { return FindAction(*window, name); }
    void Type(const char* name, const std::string& text) { TypeInto(*window, name, text); }
    void Click(const char* name) { QTest::mouseClick(Find<QAbstractButton>(name), Qt::LeftButton); }
    void Authenticate() { TypeCredentialsAndOk(*window, Emu()); }

    std::unique_ptr<MainWindow> window;
    int programEnded = 0;
};

}  // namespace marlin::testing
