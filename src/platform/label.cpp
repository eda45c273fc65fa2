#include "platform/label.h"

namespace marlin {

void Label::SetCaption(std::string caption) {
    SetProperty(m_caption, std::move(caption));
}

void Label::SetForeColor(std::optional<std::uint32_t> rgb) {
    SetProperty(m_foreColor, std::move(rgb));
}

}  // namespace marlin
