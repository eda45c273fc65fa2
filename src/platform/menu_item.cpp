#include "platform/menu_item.h"

namespace marlin {

void MenuItem::SetCaption(std::string caption) {
    if (m_caption == caption) return;
    m_caption = std::move(caption);
    Notify(ChangeKind::Properties);
}

void MenuItem::SetChecked(bool checked) {
    if (m_checked == checked) return;
    m_checked = checked;
    Notify(ChangeKind::Properties);
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
