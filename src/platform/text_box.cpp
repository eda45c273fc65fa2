#include "platform/text_box.h"

namespace marlin {

void TextBox::SetText(std::string text) {
    if (m_text == text) return;
    m_text = std::move(text);
    Notify(ChangeKind::Properties);
    if (m_change) m_change();
}

void TextBox::SetPasswordChar(std::string passwordChar) {
    SetProperty(m_passwordChar, std::move(passwordChar));
}

void TextBox::SetReadOnly(bool readOnly) {
    SetProperty(m_readOnly, readOnly);
}

void TextBox::LostFocus() {
    if (m_lostFocus) m_lostFocus();
}

}  // namespace marlin
