#include "sentiment/table_text.h"

namespace marlin {

bool TableText::LineFeedFile(std::string_view text, bool* decided) {
    const std::size_t firstEnd = text.find_first_of("\r\n");
    if (decided) *decided = firstEnd != std::string_view::npos;
    return firstEnd != std::string_view::npos && text[firstEnd] == '\n';
}

bool TableText::FieldStarts(std::string_view line, std::size_t at, std::uint32_t* starts) {
    std::size_t start = 0;
    for (int field = 1; field <= kFields; ++field) {
        if (start > line.size()) return false;
        std::size_t tab = line.find('\t', start);
        if (tab == std::string_view::npos) tab = line.size();
        starts[field - 1] = static_cast<std::uint32_t>(at + start);
        starts[field] = static_cast<std::uint32_t>(at + tab + 1);  // one past the separator
        start = tab + 1;
    }
    return true;
}

}  // namespace marlin
