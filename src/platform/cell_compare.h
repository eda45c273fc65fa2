#pragma once

#include <cstdint>
#include <string_view>

namespace marlin {

// The order of table cells. Cells are text and compare as text (letter case ignored
// first, then byte order as the tie-break), except that two cells that are both whole
// numbers once their padding blanks are trimmed compare as numbers of any length: a
// 19-digit id sorts above an 18-digit one however either is padded.
//
// A whole number against a text cell: all whole numbers sit together where "0" would
// sit among the texts (after "", "#tag" or "-x", before "1.5", "abc" or "@user").
// Comparing such a pair character by character instead would make the order go round
// in circles ("9" < "10" as numbers, "10" < "5x" and "5x" < "9" as text), and a sort
// needs a consistent order.
//
// Returns <0, 0 or >0.
int CompareCells(std::string_view a, std::string_view b);

// True when the text, less its leading and trailing blanks, is an optional minus sign
// followed by one or more decimal digits.
bool IsWholeNumber(std::string_view text);

// A cell prepared once for many comparisons: sorting classifies each cell once and
// settles most comparisons on the 64-bit figure alone. The text must outlive the key.
struct CellKey {
    std::string_view text;     // the cell as it is
    std::string_view digits;   // whole numbers: the digits without sign, blanks or leading zeros
    std::uint64_t figure = 0;  // numbers: the value when exact; texts: the first 8 bytes, case folded
    std::uint8_t group = 0;    // 0 texts before "0", 1 whole numbers, 2 texts after "0", 3 times
    bool negative = false;
    bool exact = false;  // numbers: the value fits the figure
};
CellKey MakeCellKey(std::string_view text);
// A cell that a column's own reader took as a moment (seconds from any fixed origin):
// such cells order by time, after every cell that is not one.
CellKey MakeTimeKey(std::string_view text, long long seconds);
int CompareCellKeys(const CellKey& a, const CellKey& b);

}  // namespace marlin
