#pragma once

#include <functional>
#include <string>
#include <utility>

#include "platform/change_notifier.h"

namespace marlin {

// What every control has, whatever its kind: enabled, visible, a tooltip, a context
// menu request, and the observer list its views subscribe to. A plain ControlModel
// also serves for frames and panels whose only state is being enabled or visible.
//
// Actions (callbacks the window sets) run for changes made by the program as well as
// by the user, as the windows' event handlers expect; views never run them directly
// but go through the same setters the program uses.
class ControlModel {
  public:
    ControlModel() = default;
    ControlModel(const ControlModel&) = delete;
    ControlModel& operator=(const ControlModel&) = delete;
    virtual ~ControlModel() = default;

    [[nodiscard]] Subscription Subscribe(ChangeNotifier::Callback callback) {
        return m_notifier.Subscribe(std::move(callback));
    }

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    const std::string& ToolTip() const { return m_toolTip; }
    void SetToolTip(std::string toolTip);

    // The right mouse button was released over the control (views call this); the
    // window's handler usually shows a popup menu from here.
    void SetContextMenuAction(std::function<void()> action) { m_contextMenuAction = std::move(action); }
    void ContextMenu();

    // The program gives the control the input focus; views honour it, tests count it.
    void SetFocus();
    int FocusRequests() const { return m_focusRequests; }

  protected:
    // Where a list's selection goes when entry `removed` is taken out: the removed entry
    // leaves nothing selected, a later one moves up with its text.
    static int SelectionAfterRemoval(int selected, int removed) {
        if (selected == removed) return -1;
        return selected > removed ? selected - 1 : selected;
    }

    void Notify(ChangeKind kind, int first = -1, int last = -1) const {
        m_notifier.Notify(ModelChange{kind, first, last});
    }
    // Gives a property its new value and tells the views, unless the value is the same.
    template <typename T>
    void SetProperty(T& property, T value, ChangeKind kind = ChangeKind::Properties) {
        if (property == value) return;
        property = std::move(value);
        Notify(kind);
    }

  private:
    ChangeNotifier m_notifier;
    bool m_enabled = true;
    bool m_visible = true;
    std::string m_toolTip;
    int m_focusRequests = 0;
    std::function<void()> m_contextMenuAction;
};

}  // namespace marlin
