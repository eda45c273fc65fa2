#include "service/enc64.h"

#include <cstdint>

#include "core/code_page.h"

namespace marlin {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kGroupsPerLine = 18;

uint32_t SixBits(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<uint32_t>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<uint32_t>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<uint32_t>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0;
}

}  // namespace

std::string Base64Encode(std::string& text) {
    std::string bytes = CodePage::ToWindows1252(text);
    const size_t padding = (3 - bytes.size() % 3) % 3;
    text.append(padding, '\0');
    bytes.append(padding, '\0');

    std::string out;
    out.reserve(bytes.size() / 3 * 4 + bytes.size() / 54 * 2 + 2);
    for (size_t i = 0, groups = 0; i < bytes.size(); i += 3) {
        const uint32_t v = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 2]));
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
        if (++groups % kGroupsPerLine == 0) out += "\r\n";
    }

    // The "=" marks go on the last characters of data, never on a closing line
    // break.
    size_t end = out.size();
    if (end >= 2 && out.compare(end - 2, 2, "\r\n") == 0) end -= 2;
    for (size_t i = 0; i < padding; ++i) out[end - 1 - i] = '=';
    return out;
}

std::string Base64Decode(const std::string& text) {
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n') clean += c;
    if (clean.size() % 4 != 0) throw Base64Error();

    const size_t padding = clean.find("==") != std::string::npos  ? 2
                           : clean.find('=') != std::string::npos ? 1
                                                                  : 0;
    std::string bytes;
    bytes.reserve(clean.size() / 4 * 3);
    for (size_t i = 0; i < clean.size(); i += 4) {
        const uint32_t v = SixBits(clean[i]) << 18 | SixBits(clean[i + 1]) << 12 |
                           SixBits(clean[i + 2]) << 6 | SixBits(clean[i + 3]);
        bytes += static_cast<char>(v >> 16 & 255);
        bytes += static_cast<char>(v >> 8 & 255);
        bytes += static_cast<char>(v & 255);
    }
    bytes.resize(bytes.size() >= padding ? bytes.size() - padding : 0);
    return CodePage::FromWindows1252(bytes);
}

std::string Base64EncodeSingleLine(std::string text) {
    std::string encoded = Base64Encode(text);
    std::string out;
    out.reserve(encoded.size());
    for (char c : encoded)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

}  // namespace marlin
