#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/control_model.h"

namespace marlin {

// A text label with an optional text colour (0xRRGGBB; none: the desktop's own).
class Label : public ControlModel {
  public:
    Label() = default;
    explicit Label(std::string caption) : m_caption(std::move(caption)) {}

    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string caption);
    std::optional<std::uint32_t> ForeColor() const { return m_foreColor; }
    void SetForeColor(std::optional<std::uint32_t> rgb);

    static constexpr std::uint32_t Rgb(unsigned red, unsigned green, unsigned blue) {
        return ((red & 0xFFu) << 16) | ((green & 0xFFu) << 8) | (blue & 0xFFu);
    }

  private:
    std::string m_caption;
    std::optional<std::uint32_t> m_foreColor;
};

}  // namespace marlin
