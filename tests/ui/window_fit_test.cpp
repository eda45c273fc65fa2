// At a laptop's size and a little more, every control of the window is in sight without
// scrolling, on every tab, and no text of a control or of the status bar is cut.
#include <QPushButton>
#include <QTabWidget>

#include "gui_window_test.h"

namespace marlin::testing {
namespace {

// The named controls of the current tab not wholly inside each widget they lie in, or
// whose text is cut (a push button needs room for its text only, not its style's least width).
std::vector<std::string> OutOfSight(QWidget* window) {
    const auto inSight = [window](QWidget* widget) {
        for (QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
            if (!outer->rect().contains(QRect(widget->mapTo(outer, QPoint()), widget->size()))) return false;
            if (outer == window) return true;
        }
        return false;
    };
    std::vector<std::string> faults;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const std::string name = widget->objectName().toStdString();
        const bool list = widget->inherits("QAbstractScrollArea");
        const bool control = list || widget->inherits("QAbstractButton") || widget->inherits("QLabel") ||
                             widget->inherits("QComboBox") || widget->inherits("QLineEdit") ||
                             widget->inherits("QAbstractSpinBox");
        if (!control || name.empty() || name.starts_with("qt_") || !widget->isVisibleTo(window)) continue;
        auto* button = qobject_cast<QPushButton*>(widget);
        const int least = button ? button->fontMetrics().horizontalAdvance(button->text()) + 6
                                 : widget->minimumSizeHint().width();
        if (!inSight(widget)) faults.push_back(name + " out of sight");
        if (!list && widget->width() < least) faults.push_back(name + " cut");
    }
    return faults;
}

TEST_F(GuiWindowTest, EveryControlIsInSightOnEveryTabAtALaptopsSize) {
    StartService(SmallCorpus(), false);
    tk.onDoEvents = [] { QCoreApplication::processEvents(); };
    for (const QSize size : {QSize(1366, 768), QSize(1600, 1000)}) {
        OpenWindow(size);
        Authenticate();
        W().InfoBar.SetPanel(2, "5000 users displayed (5000 checked)");
        W().InfoBar.SetPanel(4, "Next reset: 09/12/2026 17:35:00");
        auto* tabs = Find<QTabWidget>("BottomTabs");
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            SCOPED_TRACE(std::to_string(size.width()) + " " + tabs->tabText(tab).toStdString());
            EXPECT_THAT(OutOfSight(window.get()), IsEmpty());
        }
    }
}

}  // namespace
}  // namespace marlin::testing
