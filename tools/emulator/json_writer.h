#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlin::emulator {

// Writes compact JSON the way the service does: no blanks, "\/" for every slash and a lower-case
// "\uXXXX" escape (surrogate pairs above the basic plane) for every character outside ASCII.
// Keys are written in the order they are given, which is how the callers reproduce the service's order.
class JsonWriter {
  public:
    // The v1.1 pages escaped every slash and every character outside ASCII; the v2 answers send UTF-8 as it
    // is and escape only what JSON requires.
    enum class Escaping { Service, Minimal };

    explicit JsonWriter(std::string& out, Escaping escaping = Escaping::Service)
        : m_out(out), m_escaping(escaping) {}

    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    // A key that holds characters to escape, as the endpoint paths of the rate-limit status do.
    JsonWriter& EscapedKey(std::string_view key);

    JsonWriter& String(std::string_view utf8);
    JsonWriter& Int(int64_t value);
    JsonWriter& UInt(uint64_t value);
    // The number as a JSON string, as in "id_str".
    JsonWriter& UIntText(uint64_t value);
    // The shortest form that reads back as the same double, as in 51.50735.
    JsonWriter& Double(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // An already-encoded JSON value.
    JsonWriter& Raw(std::string_view json);

    // Shorthands for "key":value.
    JsonWriter& Field(std::string_view key, std::string_view utf8) { return Key(key).String(utf8); }
    JsonWriter& Field(std::string_view key, const char* utf8) { return Key(key).String(utf8); }
    JsonWriter& Field(std::string_view key, int64_t value) { return Key(key).Int(value); }
    JsonWriter& Field(std::string_view key, int value) { return Key(key).Int(value); }
    JsonWriter& Field(std::string_view key, bool value) { return Key(key).Bool(value); }
    JsonWriter& NullField(std::string_view key) { return Key(key).Null(); }

    // Appends a JSON string literal of the text to out (quotes included).
    static void AppendQuoted(std::string& out, std::string_view utf8);
    // The same with only quotes, backslashes and control characters escaped.
    static void AppendMinimallyQuoted(std::string& out, std::string_view utf8);

  private:
    void BeforeValue();
    void Open();

    static constexpr int kMaxDepth = 64;

    std::string& m_out;
    Escaping m_escaping;
    std::array<bool, kMaxDepth> m_first{};  // per open container: no element written yet
    int m_depth = 0;
    bool m_afterKey = false;
};

}  // namespace marlin::emulator
