#include "platform/visible_text.h"

namespace marlin {

namespace {

bool Control(unsigned char c) {
    return c < 0x20 || c == 0x7f;
}

// The second byte of a C1 character in UTF-8 (U+0080 to U+009F is C2 80 to C2 9F).
bool C1At(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

void AppendEscaped(std::string& out, unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

}  // namespace

bool VisibleText::Clean(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (Control(static_cast<unsigned char>(text[i])) || C1At(text, i)) return false;
    return true;
}

std::string VisibleText::Of(std::string_view text) {
    if (Clean(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\t' || c == '\r' || c == '\n') {
            out += ' ';
        } else if (Control(c)) {
            AppendEscaped(out, c);
        } else if (C1At(text, i)) {
            AppendEscaped(out, c);
            AppendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace marlin
