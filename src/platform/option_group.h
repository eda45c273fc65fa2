#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/control_model.h"

namespace marlin {

// A group of option (radio) buttons of which at most one is chosen; indices from 0.
// Choosing an option, by the user or the program, runs the click action with its index.
class OptionGroup : public ControlModel {
  public:
    OptionGroup() = default;
    explicit OptionGroup(std::vector<std::string> captions) : m_captions(std::move(captions)) {}

    int Count() const { return static_cast<int>(m_captions.size()); }
    const std::string& Caption(int index) const;
    void SetCaption(int index, std::string caption);
    int AddOption(std::string caption);

    int SelectedIndex() const { return m_selected; }
    void SetSelectedIndex(int index);

    void SetClickAction(std::function<void(int index)> action) { m_click = std::move(action); }

  private:
    std::vector<std::string> m_captions;
    int m_selected = -1;
    std::function<void(int)> m_click;
};

}  // namespace marlin
