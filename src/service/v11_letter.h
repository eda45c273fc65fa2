#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace marlin::V11Letter {

// Writes the letter beyond ASCII that starts at `at` of `text` as the first service's v1.1 writes it:
// a \u escape, a pair of them beyond the first plane. Returns the bytes it took, never past the end of
// `text`: a sequence cut short or a stray continuation byte is one replacement character (U+FFFD), so
// that what is no UTF-8 cannot run on into what follows it.
std::size_t Append(std::string& out, std::string_view text, std::size_t at);

// One UTF-16 code unit as a \u escape.
void AppendUnit(std::string& out, unsigned unit);

}  // namespace marlin::V11Letter
