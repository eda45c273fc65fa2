// At a laptop's size and a little more, every control of the window is in sight without
// scrolling, on every tab of the lower pane, and no text of a button or the status bar is cut.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include "gui_window_test.h"

namespace marlin::testing {
namespace {

class WindowFitTest : public GuiWindowTest {
  protected:
    // The named controls in sight (those of the current tab) that are not wholly in sight, or
    // whose text is cut, and the panes of controls that scroll.
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
            const QRect inWindow(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
            if (!window->rect().contains(inWindow) ||
                widget->visibleRegion().boundingRect() != widget->rect())
                faults.push_back(name + " out of sight");
            else if (!list && widget->width() < widget->minimumSizeHint().width())
                faults.push_back(name + " cut");
            if (qobject_cast<QScrollArea*>(widget) && widget->findChild<QScrollBar*>() &&
                static_cast<QScrollArea*>(widget)->verticalScrollBar()->maximum() > 0)
                faults.push_back(name + " scrolls");
        }
        return faults;
    }
};

TEST_F(WindowFitTest, EveryControlIsInSightOnEveryTabAtALaptopsSize) {
    StartGui(SmallCorpus(), false);
    Authenticate();
    W().InfoBar.SetPanel(1, "200000 tweets displayed");
    W().InfoBar.SetPanel(2, "5000 users displayed (5000 checked)");
    W().InfoBar.SetPanel(3, "180 SEARCH requests remaining");
    W().InfoBar.SetPanel(4, "Next reset: 09/12/2026 17:35:00");
    auto* tabs = Find<QTabWidget>("BottomTabs");
    for (const QSize size : {QSize(1366, 768), QSize(1600, 1000)}) {
        window->showNormal();
        window->resize(size);
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
