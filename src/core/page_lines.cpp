#include "core/page_lines.h"

#include <cstring>

namespace marlin {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr std::string_view kLineEnd = "\n";

std::string_view Trimmed(std::string_view raw) {
    while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
    return raw;
}

// memchr rather than find_first_of: this runs over every byte of every page.
bool SpansLines(std::string_view raw) {
    return std::memchr(raw.data(), '\n', raw.size()) != nullptr ||
           std::memchr(raw.data(), '\r', raw.size()) != nullptr;
}

}  // namespace

void PageLines::Clear() {
    m_pieces.clear();
    m_rewritten.clear();
    m_bytes = 0;
}

void PageLines::Add(std::string_view text) {
    if (text.empty()) return;  // writev would take an empty part for the end of the file
    m_pieces.push_back({text.data(), text.size(), kInPlace});
    m_bytes += text.size();
}

void PageLines::AddObject(std::string_view raw) {
    raw = Trimmed(raw);
    if (!SpansLines(raw)) {
        Add(raw);
    } else {
        const std::size_t offset = m_rewritten.size();
        AppendOneLine(m_rewritten, raw);
        m_pieces.push_back({nullptr, m_rewritten.size() - offset, offset});
        m_bytes += m_rewritten.size() - offset;
    }
    Add(kLineEnd);
}

std::vector<iovec>& PageLines::Parts() {
    m_parts.clear();
    m_parts.reserve(m_pieces.size());
    for (const Piece& piece : m_pieces) {
        const char* data = piece.offset == kInPlace ? piece.data : m_rewritten.data() + piece.offset;
        m_parts.push_back({const_cast<char*>(data), piece.size});
    }
    return m_parts;
}

// A raw line break cannot stand inside a JSON string, so an object that spans lines loses
// the whitespace between its tokens and no string content is touched.
void PageLines::AppendOneLine(std::string& out, std::string_view raw) {
    raw = Trimmed(raw);
    if (!SpansLines(raw)) {
        out.append(raw);
        return;
    }
    bool inString = false;
    bool escaped = false;
    for (char c : raw) {
        if (inString) {
            out += c;
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (!IsBlank(c)) {
            out += c;
            inString = c == '"';
        }
    }
}

}  // namespace marlin
