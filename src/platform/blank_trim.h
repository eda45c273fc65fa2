#pragma once

#include <string>
#include <string_view>

namespace marlin {

// Table cells carry blanks as padding (numbers are right-aligned by leading blanks); every
// reader of a cell takes them off the same way. Only the blank (space) counts: a tab or
// line end inside a cell is content.
std::string_view TrimBlanks(std::string_view text);
std::string Trimmed(std::string_view text);

// The number of characters of a UTF-8 text: every byte that does not continue a character.
std::size_t CharacterCount(std::string_view utf8);

}  // namespace marlin
