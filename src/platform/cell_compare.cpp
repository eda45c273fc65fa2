#include "platform/cell_compare.h"

namespace marlin {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldCase(a[i]));
        const auto y = static_cast<unsigned char>(FoldCase(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int exact = a.compare(b);
    return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

// Magnitudes of any length, compared without converting: fewer significant digits is smaller.
int CompareMagnitudes(std::string_view a, std::string_view b) {
    while (a.size() > 1 && a.front() == '0') a.remove_prefix(1);
    while (b.size() > 1 && b.front() == '0') b.remove_prefix(1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool IsZero(std::string_view digits) {
    return digits.find_first_not_of('0') == std::string_view::npos;
}

int CompareNumbers(std::string_view a, std::string_view b) {
    bool negA = a.front() == '-';
    bool negB = b.front() == '-';
    if (negA) a.remove_prefix(1);
    if (negB) b.remove_prefix(1);
    // "-0" is zero, not below it.
    if (negA && IsZero(a)) negA = false;
    if (negB && IsZero(b)) negB = false;
    if (negA != negB) return negA ? -1 : 1;
    const int magnitude = CompareMagnitudes(a, b);
    return negA ? -magnitude : magnitude;
}

}  // namespace

bool IsWholeNumber(std::string_view text) {
    return MakeCellKey(text).number;
}

CellKey MakeCellKey(std::string_view text) {
    CellKey key;
    key.text = text;
    key.trimmed = TrimBlanks(text);
    std::string_view digits = key.trimmed;
    if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
    key.number = AllDigits(digits);
    return key;
}

int CompareCellKeys(const CellKey& a, const CellKey& b) {
    if (a.number && b.number) {
        const int byValue = CompareNumbers(a.trimmed, b.trimmed);
        if (byValue != 0) return byValue;
        // Equal values written differently ("007" and "7") still need a fixed order.
    }
    return CompareText(a.text, b.text);
}

int CompareCells(std::string_view a, std::string_view b) {
    return CompareCellKeys(MakeCellKey(a), MakeCellKey(b));
}

}  // namespace marlin
