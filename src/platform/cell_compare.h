#pragma once

#include <string_view>

namespace marlin {

// The order of two table cells. Cells are text and compare as text (letter case
// ignored first, then byte order as the tie-break), except that two cells that are
// both whole numbers once their padding blanks are trimmed compare as numbers of any
// length: a 19-digit id sorts above an 18-digit one however either is padded.
// Returns <0, 0 or >0.
int CompareCells(std::string_view a, std::string_view b);

// A cell prepared once for many comparisons (sorting classifies each cell only once).
// The view must outlive the key.
struct CellKey {
    std::string_view text;     // the cell as it is
    std::string_view trimmed;  // without padding blanks
    bool number = false;
};
CellKey MakeCellKey(std::string_view text);
int CompareCellKeys(const CellKey& a, const CellKey& b);

// True when the text, less its leading and trailing blanks, is an optional minus sign
// followed by one or more decimal digits.
bool IsWholeNumber(std::string_view text);

}  // namespace marlin
