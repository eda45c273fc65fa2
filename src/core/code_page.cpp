#include "core/code_page.h"

namespace marlin::CodePage {

std::string ToWindows1252(std::string_view utf8) {
    return std::string(utf8);
}
std::string FromWindows1252(std::string_view bytes) {
    return std::string(bytes);
}
char32_t CodePointOf(unsigned char byte) {
    return byte;
}
int ByteOf(char32_t codePoint) {
    return codePoint < 128 ? static_cast<int>(codePoint) : -1;
}
void AppendUtf8(std::string& out, char32_t codePoint) {
    out += static_cast<char>(codePoint);
}
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos) {
    return static_cast<unsigned char>(utf8[pos++]);
}

}  // namespace marlin::CodePage
