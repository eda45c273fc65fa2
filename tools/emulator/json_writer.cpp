#include "emulator/json_writer.h"

#include <charconv>
#include <stdexcept>

namespace marlin::emulator {

namespace {

const char kHex[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned unit) {
    out += "\\u";
    out += kHex[(unit >> 12) & 0xF];
    out += kHex[(unit >> 8) & 0xF];
    out += kHex[(unit >> 4) & 0xF];
    out += kHex[unit & 0xF];
}

// Decodes one UTF-8 sequence at text[i]; a malformed byte stands for itself (as U+FFFD) so that
// a bad input never makes the writer loop or read past the end.
unsigned DecodeUtf8(std::string_view text, size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    unsigned cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = static_cast<unsigned char>(text[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// The characters that go out as they are.
struct PlainTable {
    bool plain[256] = {};
    constexpr PlainTable() {
        for (int c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\' && c != '/';
    }
};
constexpr PlainTable kPlain;

bool IsPlain(unsigned char c) {
    return kPlain.plain[c];
}

}  // namespace

void JsonWriter::AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (size_t i = 0; i < text.size();) {
        // Runs of characters that need no escape go in whole; most of a tweet is such a run.
        size_t run = i;
        while (run < text.size() && IsPlain(static_cast<unsigned char>(text[run]))) ++run;
        if (run > i) {
            out.append(text.data() + i, run - i);
            i = run;
            if (i == text.size()) break;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '/':
                    out += "\\/";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (c < 0x20)
                        AppendEscape(out, c);
                    else
                        out += static_cast<char>(c);
            }
            ++i;
            continue;
        }
        unsigned cp = DecodeUtf8(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendEscape(out, 0xD800 + (cp >> 10));
            AppendEscape(out, 0xDC00 + (cp & 0x3FF));
        } else {
            AppendEscape(out, cp);
        }
    }
    out += '"';
}

void JsonWriter::AppendMinimallyQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20) {
            AppendEscape(out, c);
        } else {
            out += ch;
        }
    }
    out += '"';
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_depth > 0) {
        if (!m_first[m_depth - 1]) m_out += ',';
        m_first[m_depth - 1] = false;
    }
}

void JsonWriter::Open() {
    if (m_depth == kMaxDepth) throw std::length_error("JSON nested too deeply");
    m_first[m_depth++] = true;
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    m_out += '{';
    Open();
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    m_out += '}';
    if (m_depth > 0) --m_depth;
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    m_out += '[';
    Open();
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    m_out += ']';
    if (m_depth > 0) --m_depth;
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    // Keys are the service's own names: plain ASCII that needs no escape.
    m_out += '"';
    m_out += key;
    m_out += "\":";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::EscapedKey(std::string_view key) {
    BeforeValue();
    AppendQuoted(m_out, key);
    m_out += ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view utf8) {
    BeforeValue();
    if (m_escaping == Escaping::Minimal)
        AppendMinimallyQuoted(m_out, utf8);
    else
        AppendQuoted(m_out, utf8);
    return *this;
}

namespace {
template <typename T>
void AppendNumber(std::string& out, T value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}
}  // namespace

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    AppendNumber(m_out, value);
    return *this;
}

JsonWriter& JsonWriter::UInt(uint64_t value) {
    BeforeValue();
    AppendNumber(m_out, value);
    return *this;
}

JsonWriter& JsonWriter::UIntText(uint64_t value) {
    BeforeValue();
    m_out += '"';
    AppendNumber(m_out, value);
    m_out += '"';
    return *this;
}

JsonWriter& JsonWriter::Double(double value) {
    BeforeValue();
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    m_out += "null";
    return *this;
}

JsonWriter& JsonWriter::Raw(std::string_view json) {
    BeforeValue();
    m_out += json;
    return *this;
}

}  // namespace marlin::emulator
