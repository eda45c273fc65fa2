#include "platform/label.h"

namespace marlin {

void Label::SetCaption(std::string caption) {
    if (m_caption == caption) return;
    m_caption = std::move(caption);
    Notify(ChangeKind::Properties);
}

void Label::SetForeColor(std::optional<std::uint32_t> rgb) {
    if (m_foreColor == rgb) return;
    m_foreColor = rgb;
    Notify(ChangeKind::Properties);
}

}  // namespace marlin
