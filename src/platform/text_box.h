#pragma once

#include <functional>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// A text box, single or multi-line: its text, a masking character (empty: shown in
// clear), a read-only switch, an action for every change of the text (typed or set by
// the program) and one for the focus leaving the box.
class TextBox : public ControlModel {
  public:
    const std::string& Text() const { return m_text; }
    void SetText(std::string text);  // runs the change action when the text changes

    const std::string& PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(std::string passwordChar);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly);

    void SetChangeAction(std::function<void()> action) { m_change = std::move(action); }
    void SetLostFocusAction(std::function<void()> action) { m_lostFocus = std::move(action); }
    void LostFocus();

  private:
    std::string m_text;
    std::string m_passwordChar;
    bool m_readOnly = false;
    std::function<void()> m_change;
    std::function<void()> m_lostFocus;
};

}  // namespace marlin
