#include "core/code_page.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace marlin::CodePage {

namespace {

// Bytes 80-9F of Windows-1252. The undefined ones keep their own number, as the
// Windows conversion functions do, so such a byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

// The first byte from `from` on that is no ASCII, or the size. A table file is tens of
// megabytes of mostly ASCII: its bytes are looked at eight at a time.
std::size_t NextHighByte(std::string_view bytes, std::size_t from) {
    constexpr std::uint64_t kTopBits = 0x8080808080808080ull;
    for (; from + 8 <= bytes.size(); from += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + from, sizeof word);
        word &= kTopBits;
        if (word == 0) continue;
        const int bit =
            std::endian::native == std::endian::little ? std::countr_zero(word) : std::countl_zero(word);
        return from + static_cast<std::size_t>(bit) / 8;
    }
    while (from < bytes.size() && (static_cast<unsigned char>(bytes[from]) & 0x80) == 0) ++from;
    return from;
}

}  // namespace

char32_t CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

int ByteOf(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint) return static_cast<int>(0x80 + i);
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t cp) {
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

char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (s.size() - pos <= static_cast<std::size_t>(extra)) {
        ++pos;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(s[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += extra + 1;
    return cp;
}

std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const int byte = ByteOf(NextCodePoint(utf8, pos));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

std::string FromWindows1252(std::string_view bytes) {
    std::size_t size = bytes.size();
    for (std::size_t high = NextHighByte(bytes, 0); high < bytes.size(); high = NextHighByte(bytes, high + 1))
        size += CodePointOf(static_cast<unsigned char>(bytes[high])) < 0x800 ? 1 : 2;
    std::string out;
    out.reserve(size);  // exactly: a table file's text is tens of megabytes
    // ASCII reads the same in both, so runs of it are taken as they stand.
    std::size_t from = 0;
    while (from < bytes.size()) {
        const std::size_t high = NextHighByte(bytes, from);
        out.append(bytes.substr(from, high - from));
        if (high == bytes.size()) break;
        AppendUtf8(out, CodePointOf(static_cast<unsigned char>(bytes[high])));
        from = high + 1;
    }
    return out;
}

}  // namespace marlin::CodePage
