#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace marlin {

// How a tweet table file's text splits into records and fields, for the reader that holds
// the whole text (MarlinData) and the one that reads it a piece at a time.
//
// Tweet table files are written with CR LF, but files made by other tools on other systems
// end their lines in a line feed alone. The first line end decides which kind a file is; in
// a CR file a line feed is part of its field, as our own writer leaves it. Empty lines are
// no records.
class TableText {
  public:
    static constexpr int kFields = 16;

    // True when the text's first line end is a line feed alone; `decided` false when the
    // text holds no line end yet.
    static bool LineFeedFile(std::string_view text, bool* decided = nullptr);

    // Calls `line(text)` for every non-empty line of `text` whose end is known: every line
    // when `atEnd`, else those followed by more text (a CR at the very end may yet be
    // followed by its LF). Returns where the lines not yet passed begin.
    template <typename Line>
    static std::size_t Lines(std::string_view text, bool lineFeedFile, bool atEnd, Line&& line) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(lineFeedFile ? '\n' : '\r', start);
            if (end == std::string_view::npos || (!atEnd && !lineFeedFile && end + 1 == text.size())) {
                if (!atEnd) return start;
                end = text.size();
            }
            std::string_view found = text.substr(start, end - start);
            const std::size_t next = end + 1;
            if (lineFeedFile && !found.empty() && found.back() == '\r') found.remove_suffix(1);
            start = !lineFeedFile && next < text.size() && text[next] == '\n' ? next + 1 : next;
            if (!found.empty()) line(found);
        }
        return text.size();
    }

    // The starts of fields 1 to 16 of one line (at, within the whole text) and where field
    // 16 ends, one past its separator; false when the line has fewer. Pieces beyond the 16th
    // (the empty one after the trailing tab among them) are ignored.
    static bool FieldStarts(std::string_view line, std::size_t at, std::uint32_t* starts);
};

}  // namespace marlin
