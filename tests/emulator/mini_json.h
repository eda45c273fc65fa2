#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace marlin::emulator::testing {

// A small JSON reader for the tests: keeps the order of keys and numbers as their text, so that a
// test can compare shapes key by key and ids without rounding.
struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    std::string text;  // number text, decoded string, "true"/"false"
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;

    // Declared here and defaulted below the struct: with clang the pairs of `members` need
    // JsonValue complete before any of these is generated.
    JsonValue();
    JsonValue(const JsonValue&);
    JsonValue(JsonValue&&) noexcept;
    JsonValue& operator=(const JsonValue&);
    JsonValue& operator=(JsonValue&&) noexcept;
    ~JsonValue();

    const JsonValue& operator[](const std::string& key) const;
    bool Has(const std::string& key) const;
    const JsonValue& operator[](size_t index) const { return items.at(index); }
    size_t size() const;
    bool IsNull() const { return type == Type::Null; }
};

inline JsonValue::JsonValue() = default;
inline JsonValue::JsonValue(const JsonValue&) = default;
inline JsonValue::JsonValue(JsonValue&&) noexcept = default;
inline JsonValue& JsonValue::operator=(const JsonValue&) = default;
inline JsonValue& JsonValue::operator=(JsonValue&&) noexcept = default;
inline JsonValue::~JsonValue() = default;

inline const JsonValue& JsonValue::operator[](const std::string& key) const {
    for (const auto& [name, value] : members)
        if (name == key) return value;
    throw std::out_of_range("no key " + key);
}

inline size_t JsonValue::size() const {
    return type == Type::Array ? items.size() : members.size();
}

inline bool JsonValue::Has(const std::string& key) const {
    for (const auto& member : members)
        if (member.first == key) return true;
    return false;
}

class JsonParser {
  public:
    static JsonValue Parse(const std::string& text) {
        JsonParser p(text);
        JsonValue v = p.Value();
        p.Blank();
        if (p.m_at != text.size()) throw std::runtime_error("trailing text");
        return v;
    }

  private:
    explicit JsonParser(const std::string& text) : m_text(text) {}

    void Blank() {
        while (m_at < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    }
    char Peek() {
        Blank();
        if (m_at >= m_text.size()) throw std::runtime_error("unexpected end");
        return m_text[m_at];
    }
    void Expect(char c) {
        if (Peek() != c)
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(m_at));
        ++m_at;
    }

    JsonValue Value() {
        char c = Peek();
        JsonValue v;
        if (c == '{') {
            v.type = JsonValue::Type::Object;
            ++m_at;
            if (Peek() == '}') return ++m_at, v;
            do {
                std::string key = String();
                Expect(':');
                v.members.emplace_back(std::move(key), Value());
            } while (Peek() == ',' && ++m_at);
            Expect('}');
        } else if (c == '[') {
            v.type = JsonValue::Type::Array;
            ++m_at;
            if (Peek() == ']') return ++m_at, v;
            do v.items.push_back(Value());
            while (Peek() == ',' && ++m_at);
            Expect(']');
        } else if (c == '"') {
            v.type = JsonValue::Type::String;
            v.text = String();
        } else {
            size_t start = m_at;
            while (m_at < m_text.size() && std::string(",}] \n\r\t").find(m_text[m_at]) == std::string::npos)
                ++m_at;
            v.text = m_text.substr(start, m_at - start);
            if (v.text == "null")
                v.type = JsonValue::Type::Null;
            else if (v.text == "true" || v.text == "false")
                v.type = JsonValue::Type::Bool;
            else
                v.type = JsonValue::Type::Number;
            if (v.text.empty()) throw std::runtime_error("empty value at " + std::to_string(start));
        }
        return v;
    }

    static void AppendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    unsigned Hex4() {
        if (m_at + 4 > m_text.size()) throw std::runtime_error("short escape");
        unsigned v = static_cast<unsigned>(std::stoul(m_text.substr(m_at, 4), nullptr, 16));
        m_at += 4;
        return v;
    }

    std::string String() {
        Expect('"');
        std::string out;
        while (true) {
            if (m_at >= m_text.size()) throw std::runtime_error("open string");
            char c = m_text[m_at++];
            if (c == '"') break;
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = m_text.at(m_at++);
            switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    unsigned cp = Hex4();
                    if (cp >= 0xD800 && cp < 0xDC00 && m_text.compare(m_at, 2, "\\u") == 0) {
                        m_at += 2;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (Hex4() - 0xDC00);
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default:
                    out += e;  // \" \\ \/
            }
        }
        return out;
    }

    const std::string& m_text;
    size_t m_at = 0;
};

}  // namespace marlin::emulator::testing
