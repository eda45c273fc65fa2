#include "platform/cell_compare.h"

#include "platform/blank_trim.h"

namespace marlin {
namespace {

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

unsigned char FoldCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldCase(a[i]);
        const unsigned char y = FoldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return Sign(a.compare(b));
}

// Big-endian, so that comparing figures compares the first bytes as text does.
std::uint64_t TextFigure(std::string_view text) {
    std::uint64_t figure = 0;
    for (std::size_t i = 0; i < 8; ++i) figure = (figure << 8) | (i < text.size() ? FoldCase(text[i]) : 0u);
    return figure;
}

// Magnitudes of any length compared without converting: fewer digits is smaller.
int CompareDigits(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return Sign(a.compare(b));
}

int CompareNumbers(const CellKey& a, const CellKey& b) {
    if (a.negative != b.negative) return a.negative ? -1 : 1;
    int magnitude = 0;
    if (a.exact && b.exact) {
        magnitude = a.figure < b.figure ? -1 : (a.figure > b.figure ? 1 : 0);
    } else {
        magnitude = CompareDigits(a.digits, b.digits);
    }
    return a.negative ? -magnitude : magnitude;
}

}  // namespace

CellKey MakeCellKey(std::string_view text) {
    CellKey key;
    key.text = text;
    std::string_view number = TrimBlanks(text);
    const bool minus = !number.empty() && number.front() == '-';
    if (minus) number.remove_prefix(1);
    if (AllDigits(number)) {
        while (number.size() > 1 && number.front() == '0') number.remove_prefix(1);
        key.group = 1;
        key.digits = number;
        key.negative = minus && number != "0";  // minus zero is zero
        // 19 digits always fit 64 bits; every tweet id does.
        key.exact = number.size() <= 19;
        if (key.exact) {
            for (char c : number) key.figure = key.figure * 10 + static_cast<unsigned>(c - '0');
        }
        return key;
    }
    key.group = CompareText(text, "0") < 0 ? 0 : 2;
    key.figure = TextFigure(text);
    return key;
}

CellKey MakeTimeKey(std::string_view text, long long seconds) {
    CellKey key;
    key.text = text;
    key.group = 3;
    // Biased so that moments before the origin still order as unsigned figures.
    key.figure = static_cast<std::uint64_t>(seconds) + (std::uint64_t{1} << 63);
    return key;
}

int CompareCellKeys(const CellKey& a, const CellKey& b) {
    if (a.group != b.group) return a.group < b.group ? -1 : 1;
    if (a.group == 1) {
        const int byValue = CompareNumbers(a, b);
        if (byValue != 0) return byValue;
        // Equal values written differently ("007" and "7") still need a fixed order.
    } else if (a.figure != b.figure) {
        return a.figure < b.figure ? -1 : 1;
    }
    return CompareText(a.text, b.text);
}

int CompareCells(std::string_view a, std::string_view b) {
    return CompareCellKeys(MakeCellKey(a), MakeCellKey(b));
}

bool IsWholeNumber(std::string_view text) {
    return MakeCellKey(text).group == 1;
}

}  // namespace marlin
