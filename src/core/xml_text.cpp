#include "core/xml_text.h"

#include "core/code_page.h"

namespace marlin {
namespace {

bool NonCharacter(char32_t c) {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// Appends the characters of text that XML may hold; `escape` decides what a markup
// character becomes. ASCII that needs nothing is copied in runs.
template <typename Escape>
void AppendClean(std::string& out, std::string_view text, Escape escape) {
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x20 && byte < 0x80) {
            if (!escape(out, text[at])) out += text[at];
            ++at;
            continue;
        }
        const std::size_t start = at;
        const char32_t character = CodePage::NextCodePoint(text, at);
        if (!XmlText::Allowed(character)) continue;
        if (character == 0xFFFD && at - start == 1 && byte >= 0x80)
            CodePage::AppendUtf8(out, character);  // a stray byte, not the character itself
        else
            out.append(text.substr(start, at - start));
    }
}

}  // namespace

bool XmlText::Allowed(char32_t c) {
    if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c <= 0x10FFFF && !NonCharacter(c);
}

std::string XmlText::Clean(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendClean(out, utf8, [](std::string&, char) { return false; });
    return out;
}

void XmlText::AppendEscaped(std::string& out, std::string_view utf8) {
    AppendClean(out, utf8, [](std::string& to, char c) {
        switch (c) {
            case '&':
                to += "&amp;";
                return true;
            case '<':
                to += "&lt;";
                return true;
            case '>':
                to += "&gt;";
                return true;
            case '"':
                to += "&quot;";
                return true;
            case '\'':
                to += "&apos;";
                return true;
            default:
                return false;
        }
    });
}

}  // namespace marlin
