#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// Texts as the service sent them ("Keep Texts Exactly"). The documented clean-up turns
// every character beyond the single-byte code page into a placeholder and reads string
// values through the JSON reader, which drops quotes and brackets; here a string value is
// read with its own JSON rules and every character is kept as UTF-8. Only what a table
// row cannot hold changes: a line break, a tab or another control code becomes one blank.
class ExactText {
  public:
    // The first string element `name` of an object's own text, decoded; nullopt when the
    // text holds no such element or its value is not a string (null, a number).
    static std::optional<std::string> StringElement(std::string_view objectText, std::string_view name);

    // The body of a JSON string (between its quotes) decoded: each escape once, a "\u"
    // code (a surrogate pair joined into one character) as its UTF-8 character, control
    // codes as one blank, and the entities the service escapes texts with ("&amp;", "&lt;",
    // "&gt;") as their characters.
    static std::string Decode(std::string_view body);

    // The text as the documented clean-up would have made it of the same characters: each
    // character the single-byte code page lacks becomes the placeholder its "\u" code gets
    // (an emoji, two codes, "[?][?]"). For readers that know only that code page (the scorer).
    static std::string WithPlaceholders(std::string_view utf8);

    // A table file's bytes: exact texts as UTF-8 after a byte-order mark, which tells
    // readers so; other texts in the single-byte code page, as the files have always been.
    static constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    static std::string TableFileBytes(std::string_view text, bool exact);
    // A table file's text: UTF-8 after the mark, the single-byte code page without it.
    static std::string TableFileText(std::string_view bytes);
};

}  // namespace marlin
