#pragma once

#include <string>
#include <string_view>

namespace marlin::CodePage {

// The single-byte code page of the program's own files is Windows-1252. Inside the
// program every text is UTF-8; these convert at the file boundary.

// UTF-8 to Windows-1252. A character the code page lacks, and any byte that is not
// part of a valid UTF-8 sequence, becomes "?".
std::string ToWindows1252(std::string_view utf8);
// Windows-1252 to UTF-8. The five bytes the code page leaves undefined (81, 8D, 8F, 90,
// 9D) map to the control characters of the same number, as Windows does.
std::string FromWindows1252(std::string_view bytes);

// The code point of one Windows-1252 byte.
char32_t CodePointOf(unsigned char byte);
// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int ByteOf(char32_t codePoint);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t codePoint);
// Decodes the UTF-8 sequence at pos and advances pos past it. An invalid byte gives
// U+FFFD and advances by one.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);

}  // namespace marlin::CodePage
