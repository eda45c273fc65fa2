#include "platform/menu_item.h"

namespace marlin {

void MenuItem::SetCaption(std::string caption) {
    SetProperty(m_caption, std::move(caption));
}

void MenuItem::SetChecked(bool checked) {
    SetProperty(m_checked, checked);
}

void MenuItem::Click() {
    if (!Enabled() || !Visible()) return;
    if (m_action) m_action();
}

void MenuItem::ShowPopup() {
    ++m_popupCount;
    Notify(ChangeKind::Popup);
}

}  // namespace marlin
