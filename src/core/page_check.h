#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// Where the records of a page lie in its body, found while the page check reads it: the
// objects of the records array (the top-level array, or the first "statuses" array, else
// the first "users" array, of a top-level object), each with its id_str. Offsets, so they
// hold for the body wherever its string moves. `found` only when every record is an object
// with a plain id_str string, so that a reader may take them for its own reading.
struct PageRecords {
    struct Span {
        std::size_t idAt, idSize;    // the id_str text, between its quotes
        std::size_t rawAt, rawSize;  // the object, from its "{" to its "}"
    };
    bool found = false;
    std::vector<Span> spans;
};

// Whether a 200 answer is a page of records at all, before any record is taken from it.
// A captive portal's HTML, a body cut short when the connection closed, a page nested
// deeper than any the service sends or longer than any page can be would otherwise be
// read as far as it goes (half a tweet without its user) or taken for the last page.
// The whole body is validated with simdjson, at memory speed.
class PageCheck {
  public:
    // Deeper than any service object; well inside what the record sets' reader follows.
    static constexpr int kMaxDepth = 64;
    // The bytes the JSON readers read past a body's end. A body in a string with this much
    // spare capacity is read where it lies; any other is first copied into a padded buffer.
    static constexpr std::size_t kReadPastEnd = 64;

    // Why the body is not a readable page, or nothing when it is one: complete JSON, an
    // array or an object at the top, nested at most kMaxDepth deep, and no more records
    // than a page can hold (the top-level array, or the object's "statuses", "users" or
    // "data" array).
    // `room`: the bytes readable past the body's end. With `records`, also where the
    // records lie (found only for a readable page).
    static std::optional<std::string> Problem(std::string_view body, std::size_t room = 0,
                                              PageRecords* records = nullptr);
};

}  // namespace marlin
