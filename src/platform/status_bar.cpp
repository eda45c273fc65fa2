#include "platform/status_bar.h"

#include <stdexcept>

namespace marlin {

const std::string& StatusBar::Panel(int number) const {
    return m_panels[Slot(number)];
}

void StatusBar::SetPanel(int number, std::string text) {
    std::string& panel = m_panels[Slot(number)];
    if (panel == text) return;
    panel = std::move(text);
    Notify(ChangeKind::RowsChanged, number, number);
}

std::size_t StatusBar::Slot(int number) {
    if (number < 1 || number > kPanelCount) throw std::out_of_range("StatusBar: panels are numbered 1 to 4");
    return static_cast<std::size_t>(number - 1);
}

}  // namespace marlin
