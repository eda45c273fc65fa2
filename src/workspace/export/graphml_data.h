#pragma once

#include <string>
#include <string_view>

namespace marlin {

// One attribute of a GraphML node or edge, as every network file writes it: a `data`
// element at the depth of a node's or an edge's children, its value escaped for XML.
class GraphmlData {
  public:
    // "<node id=…>" and "<edge source=… target=…>" with their ids escaped; the caller writes
    // the attributes and the closing tag.
    static void OpenNode(std::string& out, std::string_view id);
    static void OpenEdge(std::string& out, std::string_view source, std::string_view target);
    static void Append(std::string& out, const char* key, std::string_view value);
    // Graph programs read a missing attribute as "not known"; an empty one would be read as
    // an empty text or fail as a number.
    static void AppendUnlessEmpty(std::string& out, const char* key, std::string_view value);
};

}  // namespace marlin
