#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/v2_page.h"

namespace marlin {

// One answer of the second service (an XRPC JSON object) read with the v2 page's parser: the answer is
// held as the single object of a page, so every value is a view of the exact bytes the service sent.
class BskyPage {
  public:
    // False when the body is not a JSON object.
    bool Read(std::string_view body);
    // The answer's object.
    std::string_view Top() const { return m_top; }

    std::vector<std::string_view> Pick(std::string_view object,
                                       std::initializer_list<std::string_view> names) {
        return m_page.Pick(object, names);
    }
    std::string_view Member(std::string_view object, std::string_view name) {
        return Pick(object, {name})[0];
    }
    // The elements of an array value; none for any other value.
    std::vector<std::string_view> Elements(std::string_view array);

    // A string value decoded to UTF-8 (escapes undone, control codes as blanks); empty for any other value.
    static std::string Text(std::string_view raw);
    // A number value; `fallback` for any other.
    static long long Number(std::string_view raw, long long fallback = 0);

  private:
    V2Page m_page;
    std::string m_wrapped;
    std::string_view m_top;
};

}  // namespace marlin
