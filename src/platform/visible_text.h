#pragma once

#include <string>
#include <string_view>

namespace marlin {

// A line made safe to show: text from the service (a reason phrase, a header value, an
// error message) may hold control characters, and an ESC reaching a terminal can rewrite
// what the user sees. Line breaks and TABs become blanks; every other control character
// (C0, DEL, and the C1 range in its UTF-8 form) is shown as \xNN per byte.
class VisibleText {
  public:
    static std::string Of(std::string_view text);
    // True when Of would change nothing (the common case, checked first).
    static bool Clean(std::string_view text);
};

}  // namespace marlin
