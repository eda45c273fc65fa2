#include "core/exact_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/code_page.h"
#include "core/skd_funcs.h"

namespace marlin {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(unsigned unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The four hex digits after "\u" at `at` (the backslash), or nullopt.
std::optional<unsigned> CodeUnitAt(std::string_view body, std::size_t at) {
    if (at + 6 > body.size() || body[at] != '\\' || body[at + 1] != 'u') return std::nullopt;
    unsigned unit = 0;
    const char* first = body.data() + at + 2;
    const auto [end, error] = std::from_chars(first, first + 4, unit, 16);
    if (error != std::errc() || end != first + 4) return std::nullopt;
    return unit;
}

// Decodes the "\u" code at `at` (a pair when it is one) and returns the bytes it took.
std::size_t AppendUnicodeEscape(std::string& out, std::string_view body, std::size_t at) {
    const std::optional<unsigned> unit = CodeUnitAt(body, at);
    if (!unit) return 2;  // a malformed code: its "\u" goes, as the documented clean-up drops it
    if (IsHighSurrogate(*unit)) {
        const std::optional<unsigned> low = CodeUnitAt(body, at + 6);
        if (low && IsLowSurrogate(*low)) {
            CodePage::AppendUtf8(out, 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00));
            return 12;
        }
    }
    if (*unit == 0) return 6;
    CodePage::AppendUtf8(out, IsHighSurrogate(*unit) || IsLowSurrogate(*unit) ? kReplacement : *unit);
    return 6;
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// Control codes that arrive as UTF-8 (C1 codes, U+0080 to U+009F) are blanked as well.
std::string BlankControls(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t c = CodePage::NextCodePoint(text, pos);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            out += ' ';
        } else {
            out.append(text, start, pos - start);
        }
    }
    return out;
}

// The three entities the service writes into texts ("&amp;", "&lt;", "&gt;") as their
// characters, in one pass from the left: "&amp;lt;" stays "&lt;", as the writer typed it.
std::string WithoutEntities(const std::string& text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}};
    std::string out;
    out.reserve(text.size());
    const std::string_view rest(text);
    for (std::size_t at = 0; at < text.size();) {
        const auto* entity = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& e) {
            return text[at] == '&' && rest.substr(at).starts_with(e.first);
        });
        if (entity == std::end(kEntities)) {
            out += text[at++];
        } else {
            out += entity->second;
            at += entity->first.size();
        }
    }
    return out;
}

std::string Placeholder(unsigned unit) {
    char code[7];
    std::snprintf(code, sizeof code, "\\u%04X", unit & 0xFFFFu);
    return SKDFuncs::UnicodePlaceholder(code);
}

}  // namespace

std::optional<std::string> ExactText::StringElement(std::string_view objectText, std::string_view name) {
    std::string key(1, '"');
    key += name;
    key += "\":";
    const std::size_t at = objectText.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    std::size_t open = at + key.size();
    while (open < objectText.size() && objectText[open] == ' ') ++open;
    if (open >= objectText.size() || objectText[open] != '"') return std::nullopt;
    std::size_t close = open + 1;
    while (close < objectText.size() && objectText[close] != '"') close += objectText[close] == '\\' ? 2 : 1;
    if (close >= objectText.size()) return std::nullopt;
    return Decode(objectText.substr(open + 1, close - open - 1));
}

std::string ExactText::Decode(std::string_view body) {
    std::string out;
    out.reserve(body.size());
    for (std::size_t i = 0; i < body.size();) {
        const char c = body[i];
        if (c != '\\' || i + 1 >= body.size()) {
            out += IsControl(static_cast<unsigned char>(c)) ? ' ' : c;
            ++i;
            continue;
        }
        const char escaped = body[i + 1];
        if (escaped == 'u') {
            i += AppendUnicodeEscape(out, body, i);
            continue;
        }
        switch (escaped) {
            case 'n':
            case 'r':
            case 't':
            case 'b':
            case 'f':
                out += ' ';
                break;
            default:  // \\ \" \/ and anything else: the character itself
                out += escaped;
        }
        i += 2;
    }
    return BlankControls(WithoutEntities(out));
}

std::string ExactText::WithPlaceholders(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const char32_t c = CodePage::NextCodePoint(utf8, pos);
        if (c <= 0xFF || CodePage::ByteOf(c) >= 0) {
            out.append(utf8.substr(start, pos - start));
        } else if (c > 0xFFFF) {
            const char32_t v = c - 0x10000;
            out += Placeholder(0xD800 + (v >> 10));
            out += Placeholder(0xDC00 + (v & 0x3FF));
        } else {
            out += Placeholder(c);
        }
    }
    return out;
}

std::string ExactText::TableFileBytes(std::string_view text, bool exact) {
    if (!exact) return CodePage::ToWindows1252(text);
    std::string bytes(kUtf8Mark);
    bytes += text;
    return bytes;
}

std::string ExactText::TableFileText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) return std::string(bytes.substr(kUtf8Mark.size()));
    return CodePage::FromWindows1252(bytes);
}

}  // namespace marlin
