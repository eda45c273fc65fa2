// At a laptop's size and a little more, every control of the window is in sight without
// scrolling, on every tab of the lower pane, and no text of a button or the status bar is cut.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "gui_window_test.h"

namespace marlin::testing {
namespace {

class WindowFitTest : public GuiWindowTest {
  protected:
    // A first start on a screen of this size.
    void OpenAt(QSize size) {
        window.reset();
        OpenForm();
        window = std::make_unique<MainWindow>(*frm);
        window->resize(size);
        window->Start();
        Authenticate();
        QCoreApplication::processEvents();
    }
    // The named controls in sight (those of the current tab) that some pane cuts off or
    // that lie outside the window, and those whose text is cut.
    std::vector<std::string> OutOfSight() {
        std::vector<std::string> faults;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            const std::string name = widget->objectName().toStdString();
            const bool list = qobject_cast<QAbstractScrollArea*>(widget) != nullptr;
            const bool control = list || qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QLabel*>(widget) || qobject_cast<QComboBox*>(widget) ||
                                 widget->inherits("QAbstractSpinBox") || widget->inherits("QLineEdit");
            if (!control || name.empty() || name.starts_with("qt_") || !widget->isVisibleTo(window.get()))
                continue;
            if (!InSight(widget))
                faults.push_back(name + " out of sight");
            else if (!list && widget->width() < LeastWidth(widget))
                faults.push_back(name + " cut");
        }
        return faults;
    }
    // A push button holds a short text in less than its style's width.
    static int LeastWidth(QWidget* widget) {
        if (auto* button = qobject_cast<QPushButton*>(widget))
            return button->fontMetrics().horizontalAdvance(button->text()) +
                   button->fontMetrics().height() / 2;
        return widget->minimumSizeHint().width();
    }
    // Wholly inside each widget it lies in, up to the window.
    bool InSight(QWidget* widget) {
        for (QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
            if (!outer->rect().contains(QRect(widget->mapTo(outer, QPoint(0, 0)), widget->size())))
                return false;
            if (outer == window.get()) return true;
        }
        return false;
    }
};

TEST_F(WindowFitTest, EveryControlIsInSightOnEveryTabAtALaptopsSize) {
    StartService(SmallCorpus(), false);
    tk.onDoEvents = [] { QCoreApplication::processEvents(); };
    for (const QSize size : {QSize(1366, 768), QSize(1600, 1000)}) {
        OpenAt(size);
        W().InfoBar.SetPanel(1, "200000 tweets displayed");
        W().InfoBar.SetPanel(2, "5000 users displayed (5000 checked)");
        W().InfoBar.SetPanel(3, "180 SEARCH requests remaining");
        W().InfoBar.SetPanel(4, "Next reset: 09/12/2026 17:35:00");
        auto* tabs = Find<QTabWidget>("BottomTabs");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            SCOPED_TRACE(std::to_string(size.width()) + " " + tabs->tabText(tab).toStdString());
            EXPECT_THAT(OutOfSight(), IsEmpty());
        }
    }
}

}  // namespace
}  // namespace marlin::testing
