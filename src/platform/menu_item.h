#pragma once

#include <functional>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// A menu item, a submenu or a popup menu: caption, check mark, and the enabled and
// visible switches of the base. The model holds the check mark; choosing a checkable
// item does not flip it by itself, the item's action decides (so a command that
// "flips its check mark" does so exactly once).
class MenuItem : public ControlModel {
  public:
    MenuItem() = default;
    explicit MenuItem(std::string caption) : m_caption(std::move(caption)) {}

    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string caption);
    bool Checked() const { return m_checked; }
    void SetChecked(bool checked);

    void SetAction(std::function<void()> action) { m_action = std::move(action); }
    // The user chose the item (views call this; tests too).
    void Click();

    // Shows this menu as a popup at the mouse. With a view bound the call returns when
    // the popup has closed; without one it only counts.
    void ShowPopup();
    int PopupCount() const { return m_popupCount; }

  private:
    std::string m_caption;
    bool m_checked = false;
    int m_popupCount = 0;
    std::function<void()> m_action;
};

}  // namespace marlin
