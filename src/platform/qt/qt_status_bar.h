#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

#include "platform/qt/qt_control.h"
#include "platform/status_bar.h"

namespace marlin {

// Binds a StatusBar to a QStatusBar by giving it four label panels (objectName
// "<bar>Panel1".."<bar>Panel4") at the right end, each as wide as its longest usual text,
// so that they keep their places while their texts change and show them whole.
class QtStatusBar : public QtControl {
    Q_OBJECT

  public:
    QtStatusBar(StatusBar& bar, QStatusBar* widget);

    QLabel* panel(int number) const { return m_panels.at(static_cast<std::size_t>(number - 1)); }

  protected:
    void OnChange(const ModelChange& change) override;

  private:
    void ApplyPanel(int number);

    StatusBar& m_bar;
    std::array<QLabel*, StatusBar::kPanelCount> m_panels{};
};

}  // namespace marlin
