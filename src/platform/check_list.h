#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/control_model.h"

namespace marlin {

// A list box of text items, each with a check box (switchable off for a plain list
// box), one selected item, a bold switch and the tooltip of the base. Indices from 0;
// -1 means "none".
class CheckList : public ControlModel {
  public:
    int Count() const { return static_cast<int>(m_items.size()); }
    const std::string& Item(int index) const;
    std::vector<std::string> Items() const;
    // Index of the first item equal to the text (exact, letter case counts), or -1.
    int Find(std::string_view text) const;

    void AddItem(std::string text, bool checked = false);
    void InsertItem(int index, std::string text, bool checked = false);
    void SetItem(int index, std::string text);
    // Removing the selected item leaves nothing selected; the selection otherwise follows its item.
    void RemoveItem(int index);
    void Clear();
    // Replaces every item at once (one change for the views), all unchecked, nothing selected.
    void SetItems(std::vector<std::string> items);

    bool Checked(int index) const;
    void SetChecked(int index, bool checked);  // runs the item-check action when it changes
    void SetAllChecked(bool checked);
    int CheckedCount() const;

    // Selecting an item, by the user or the program, runs the click action (the list's
    // "click" handler shows the selected user's summary).
    int SelectedIndex() const { return m_selected; }
    void SetSelectedIndex(int index);
    std::string SelectedText() const;

    bool CheckBoxes() const { return m_checkBoxes; }
    void SetCheckBoxes(bool on);
    bool Bold() const { return m_bold; }
    void SetBold(bool bold);

    void SetClickAction(std::function<void()> action) { m_click = std::move(action); }
    void SetItemCheckAction(std::function<void(int index)> action) { m_itemCheck = std::move(action); }
    void SetDoubleClickAction(std::function<void()> action) { m_doubleClick = std::move(action); }
    void DoubleClick();
    // A click on the entry already selected: no change of selection, but the click
    // action runs as for any other entry.
    void ClickSelected();

  private:
    struct Entry {
        std::string text;
        bool checked = false;
    };
    void CheckIndex(int index) const;

    std::vector<Entry> m_items;
    int m_selected = -1;
    bool m_checkBoxes = true;
    bool m_bold = false;
    std::function<void()> m_click;
    std::function<void(int)> m_itemCheck;
    std::function<void()> m_doubleClick;
};

}  // namespace marlin
