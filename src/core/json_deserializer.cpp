#include "core/json_deserializer.h"

namespace marlin {

JSONDeserializer::JSONDeserializer(Toolkit& toolkit) : m_toolkit(toolkit), m_entries(2), m_ownTexts(1) {}
int JSONDeserializer::ObjectCount(const std::string&) const {
    return 0;
}
std::string JSONDeserializer::ObjectName(int) const {
    return {};
}
std::uint8_t JSONDeserializer::ObjectLevel(int) const {
    return 0;
}
int JSONDeserializer::ObjectParent(int) const {
    return 0;
}
std::string JSONDeserializer::ObjectText(int) const {
    return {};
}
bool JSONDeserializer::Read(const std::string&, bool) {
    return false;
}
std::string JSONDeserializer::GetElementInObject(int, const std::string&) const {
    return {};
}
std::vector<std::string> JSONDeserializer::GetAllElementsInObject(int, const std::string&) const {
    return {};
}
int JSONDeserializer::ObjectIndex(const std::string&, int) const {
    return 0;
}
int JSONDeserializer::LastChild(int) const {
    return 0;
}
std::string JSONDeserializer::GetLastElementInObject(int, const std::string&) const {
    return {};
}
const std::string& JSONDeserializer::OwnText(int) const {
    return m_ownTexts[0];
}

}  // namespace marlin
