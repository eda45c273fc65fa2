#pragma once

#include <array>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// A status bar of four text panels, numbered 1 to 4 as the windows name them. Views
// share the width one sixth, one sixth, one third, one third.
class StatusBar : public ControlModel {
  public:
    static constexpr int kPanelCount = 4;

    // Panels 1..4; any other number throws std::out_of_range.
    const std::string& Panel(int number) const;
    void SetPanel(int number, std::string text);

  private:
    static std::size_t Slot(int number);
    std::array<std::string, kPanelCount> m_panels;
};

}  // namespace marlin
