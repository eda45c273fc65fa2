#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// Whether a 200 answer is a page of records at all, before any record is taken from it.
// A captive portal's HTML, a body cut short when the connection closed, a page nested
// deeper than any the service sends or longer than any page can be would otherwise be
// read as far as it goes (half a tweet without its user) or taken for the last page.
// The whole body is validated with simdjson, at memory speed.
class PageCheck {
  public:
    // Deeper than any service object; well inside what the record sets' reader follows.
    static constexpr int kMaxDepth = 64;

    // Why the body is not a readable page, or nothing when it is one: complete JSON, an
    // array or an object at the top, nested at most kMaxDepth deep, and no more records
    // than a page can hold (the top-level array, or the object's "statuses", "users" or
    // "data" array).
    static std::optional<std::string> Problem(std::string_view body);
};

}  // namespace marlin
