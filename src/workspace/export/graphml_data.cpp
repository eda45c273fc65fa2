#include "workspace/export/graphml_data.h"

#include "core/xml_text.h"

namespace marlin {

void GraphmlData::OpenNode(std::string& out, std::string_view id) {
    out += "    <node id=\"";
    XmlText::AppendEscaped(out, id);
    out += "\">\n";
}

void GraphmlData::OpenEdge(std::string& out, std::string_view source, std::string_view target) {
    out += "    <edge source=\"";
    XmlText::AppendEscaped(out, source);
    out += "\" target=\"";
    XmlText::AppendEscaped(out, target);
    out += "\">\n";
}

void GraphmlData::Append(std::string& out, const char* key, std::string_view value) {
    out += "      <data key=\"";
    out += key;
    out += "\">";
    XmlText::AppendEscaped(out, value);
    out += "</data>\n";
}

void GraphmlData::AppendUnlessEmpty(std::string& out, const char* key, std::string_view value) {
    if (!value.empty()) Append(out, key, value);
}

}  // namespace marlin
