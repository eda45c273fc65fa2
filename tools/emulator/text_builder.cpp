#include "emulator/text_builder.h"

#include "emulator/hashing.h"

namespace marlin::emulator {

int TextBuilder::CodePoints(std::string_view utf8) {
    int n = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

int TextBuilder::ShownLength(std::string_view escaped) {
    int n = CodePoints(escaped);
    for (size_t at = escaped.find('&'); at != std::string_view::npos; at = escaped.find('&', at + 1)) {
        std::string_view rest = escaped.substr(at);
        if (rest.rfind("&amp;", 0) == 0)
            n -= 4;
        else if (rest.rfind("&lt;", 0) == 0 || rest.rfind("&gt;", 0) == 0)
            n -= 3;
    }
    return n;
}

namespace {
// The byte after the code point that starts at `at`, "&amp;" and the like counted as one.
size_t NextShown(std::string_view escaped, size_t at) {
    std::string_view rest = escaped.substr(at);
    if (rest.starts_with("&amp;")) return at + 5;
    if (rest.starts_with("&lt;") || rest.starts_with("&gt;")) return at + 4;
    ++at;
    while (at < escaped.size() && (static_cast<unsigned char>(escaped[at]) & 0xC0) == 0x80) ++at;
    return at;
}
}  // namespace

std::vector<size_t> TextBuilder::ShownOffsets(std::string_view escaped) {
    std::vector<size_t> offsets;
    offsets.reserve(escaped.size() + 1);
    for (size_t at = 0; at < escaped.size(); at = NextShown(escaped, at)) offsets.push_back(at);
    offsets.push_back(escaped.size());
    return offsets;
}

size_t TextBuilder::ShownOffset(std::string_view escaped, int n) {
    size_t at = 0;
    for (int k = 0; k < n && at < escaped.size(); ++k) at = NextShown(escaped, at);
    return at;
}

void TextBuilder::Append(std::string_view utf8) {
    m_text += utf8;
    m_length += ShownLength(utf8);
}

MentionEntity TextBuilder::AppendMention(int user, std::string_view atName) {
    int start = m_length;
    Append(atName);
    return {user, start, m_length};
}

HashtagEntity TextBuilder::AppendHashtag(std::string_view tag) {
    int start = m_length;
    Append("#");
    Append(tag);
    return {std::string(tag), start, m_length};
}

UrlEntity TextBuilder::AppendLink(uint64_t hash, const std::string& expanded) {
    UrlEntity link;
    link.url = "https://t.co/" + ShortCode(hash, 10);
    link.expanded = expanded;
    link.display = DisplayUrl(expanded);
    link.start = m_length;
    Append(link.url);
    link.end = m_length;
    return link;
}

std::string TextBuilder::EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string TextBuilder::ShortCode(uint64_t hash, int length) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string code;
    for (int k = 0; k < length; ++k) {
        hash = Mix(hash + static_cast<uint64_t>(k));
        code += kAlphabet[hash % 62];
    }
    return code;
}

std::string TextBuilder::DisplayUrl(const std::string& expanded) {
    std::string shown = expanded;
    for (const char* prefix : {"https://", "http://"})
        if (shown.rfind(prefix, 0) == 0) shown = shown.substr(std::string(prefix).size());
    if (shown.rfind("www.", 0) == 0) shown = shown.substr(4);
    if (shown.size() > 26) shown = shown.substr(0, 26) + "\u2026";
    return shown;
}

}  // namespace marlin::emulator
