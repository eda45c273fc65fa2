#pragma once

#include <string>
#include <string_view>

namespace marlin {

// Text that any XML 1.0 reader accepts. XML 1.0 cannot carry the C0 control codes other
// than tab, line feed and carriage return at all, not even as character references, and
// readers refuse the non-characters (U+FFFE, U+FFFF, U+FDD0..U+FDEF and the last two code
// points of every plane); a tweet or a profile may hold any of them. They are dropped, and
// a byte that is no part of a UTF-8 character becomes U+FFFD. Every XML file the program
// writes, by hand or through a library, takes its texts from here.
class XmlText {
  public:
    // True for a character an XML 1.0 document may hold.
    static bool Allowed(char32_t character);
    // The text with what XML cannot hold dropped, for a library that escapes the markup
    // characters itself (the workbook writer).
    static std::string Clean(std::string_view utf8);
    // Appends the text as the content of an element or a quoted attribute value: cleaned,
    // and & < > " ' escaped.
    static void AppendEscaped(std::string& out, std::string_view utf8);
};

}  // namespace marlin
