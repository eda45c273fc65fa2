#include "platform/button.h"

namespace marlin {

void Button::SetCaption(std::string caption) {
    SetProperty(m_caption, std::move(caption));
}

void Button::Click() {
    if (Enabled() && m_click) m_click();
}

void Button::Press() {
    if (Enabled() && m_press) m_press();
}

void Button::Release() {
    if (Enabled() && m_release) m_release();
}

}  // namespace marlin
