#include "workspace/export/network_graph.h"

#include <charconv>

#include "platform/blank_trim.h"

namespace marlin {

std::optional<double> NetworkGraph::Score(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace marlin
