#pragma once

#include <functional>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// A push button: caption, enabled (from the base), a click action, and press and
// release actions for buttons that act while held down ("Show" of the secret).
class Button : public ControlModel {
  public:
    Button() = default;
    explicit Button(std::string caption) : m_caption(std::move(caption)) {}

    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string caption);

    void SetClickAction(std::function<void()> action) { m_click = std::move(action); }
    void SetPressAction(std::function<void()> action) { m_press = std::move(action); }
    void SetReleaseAction(std::function<void()> action) { m_release = std::move(action); }
    // A disabled button ignores all three, as the real control would.
    void Click();
    void Press();
    void Release();

  private:
    std::string m_caption;
    std::function<void()> m_click;
    std::function<void()> m_press;
    std::function<void()> m_release;
};

}  // namespace marlin
