#include "service/v11_letter.h"

namespace marlin::V11Letter {

void AppendUnit(std::string& out, unsigned unit) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

std::size_t Append(std::string& out, std::string_view text, std::size_t at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char lead = bytes[at];
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    unsigned cp = lead & (0x3F >> extra);
    int n = 1;
    for (; n <= extra && at + n < text.size() && (bytes[at + n] & 0xC0) == 0x80; ++n)
        cp = (cp << 6) | (bytes[at + n] & 0x3F);
    if (extra == 0 || n <= extra) cp = 0xFFFD;
    if (cp >= 0x10000) {
        cp -= 0x10000;
        AppendUnit(out, 0xD800 + (cp >> 10));
        AppendUnit(out, 0xDC00 + (cp & 0x3FF));
    } else {
        AppendUnit(out, cp);
    }
    return n;
}

}  // namespace marlin::V11Letter
