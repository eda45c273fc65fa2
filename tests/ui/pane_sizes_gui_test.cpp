// The splitters of the desktop window keep the sizes the user dragged them to from one
// run to the next.
#include <QSplitter>

#include "gui_window_test.h"

namespace marlin::testing {
namespace {

class PaneSizesGuiTest : public GuiWindowTest {
  protected:
    // A laptop-sized window, so every pane has room to give.
    void AuthenticateAtLaptopSize() {
        window->resize(1366, 740);
        QCoreApplication::processEvents();
        Authenticate();
    }
};

TEST_F(PaneSizesGuiTest, DraggedSplittersComeBackWhenTheWindowIsClosedAndOpenedAgain) {
    StartGui(SmallCorpus(), false);
    AuthenticateAtLaptopSize();
    const std::vector<const char*> names = {"MainSplitter", "TopSplitter"};
    std::vector<QList<int>> dragged;
    for (const char* name : names) {
        auto* splitter = Find<QSplitter>(name);
        const QList<int> before = splitter->sizes();
        DragHandle(splitter->handle(1),
                   splitter->orientation() == Qt::Vertical ? QPoint(0, 30) : QPoint(-40, 0));
        ASSERT_NE(splitter->sizes(), before) << name;
        dragged.push_back(splitter->sizes());
    }
    ASSERT_TRUE(window->close());

    OpenWindow();
    AuthenticateAtLaptopSize();
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(Find<QSplitter>(names[i])->sizes(), dragged[i]) << names[i];
}

}  // namespace
}  // namespace marlin::testing
