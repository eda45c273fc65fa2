#include "platform/text_box.h"

namespace marlin {

void TextBox::SetText(std::string text) {
    if (m_text == text) return;
    m_text = std::move(text);
    Notify(ChangeKind::Properties);
    if (m_change) m_change();
}

void TextBox::SetPasswordChar(std::string passwordChar) {
    if (m_passwordChar == passwordChar) return;
    m_passwordChar = std::move(passwordChar);
    Notify(ChangeKind::Properties);
}

void TextBox::SetReadOnly(bool readOnly) {
    if (m_readOnly == readOnly) return;
    m_readOnly = readOnly;
    Notify(ChangeKind::Properties);
}

void TextBox::LostFocus() {
    if (m_lostFocus) m_lostFocus();
}

}  // namespace marlin
