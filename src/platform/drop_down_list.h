#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/control_model.h"

namespace marlin {

// A drop-down list of text entries with one selected index (-1: none). Selecting an
// entry, by the user or by the program, runs the open action with its index: the
// histories reopen their file that way, also when the same entry is chosen again.
class DropDownList : public ControlModel {
  public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& Item(int index) const;
    const std::vector<std::string>& Items() const { return m_items; }

    void AddItem(std::string text);
    void InsertItem(int index, std::string text);  // the selection follows its entry
    void RemoveItem(int index);                    // removing the selected entry selects none
    void Clear();

    int SelectedIndex() const { return m_selected; }
    // Runs the open action for any index >= 0; -1 only clears the selection.
    void SetSelectedIndex(int index);
    // Marks an entry selected without opening it: the entry names what is already shown.
    void ShowAsSelected(int index);
    std::string SelectedText() const;

    void SetOpenAction(std::function<void(int index)> action) { m_open = std::move(action); }

  private:
    void CheckIndex(int index) const;

    std::vector<std::string> m_items;
    int m_selected = -1;
    std::function<void(int)> m_open;
};

}  // namespace marlin
