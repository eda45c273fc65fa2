#pragma once

#include <string>
#include <vector>

#include "platform/control_model.h"

namespace marlin {

// The sizes of the panes along one splitter, kept apart from the toolkit so they can
// be stored and put back. Empty until the user drags a handle or the program sets
// them; the view keeps its own sizes meanwhile. The name is what they are stored under.
class Splitter : public ControlModel {
  public:
    explicit Splitter(std::string name) : m_name(std::move(name)) {}

    const std::string& Name() const { return m_name; }
    // One size per pane, in the view's own units, in pane order.
    const std::vector<int>& Sizes() const { return m_sizes; }
    void SetSizes(std::vector<int> sizes);

  private:
    std::string m_name;
    std::vector<int> m_sizes;
};

}  // namespace marlin
