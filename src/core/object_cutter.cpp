#include "core/object_cutter.h"

#include <array>
#include <cstring>

#include <simdjson.h>

namespace marlin {

namespace {

// What each structural character does to the depth: a lookup rather than a branch per
// character, as the objects' own brackets are most of what a walk meets.
constexpr std::array<std::int8_t, 256> kDepthStep = [] {
    std::array<std::int8_t, 256> step{};
    step['{'] = step['['] = 1;
    step['}'] = step[']'] = -1;
    return step;
}();

bool IsStructure(char c) {
    return c == ',' || c == ':' || c == '}' || c == ']';
}

}  // namespace

ObjectCutter::ObjectCutter() = default;
ObjectCutter::~ObjectCutter() = default;

ObjectCutter::Shape ObjectCutter::Read(std::string_view paddedBody, std::vector<Cut>& cuts) {
    cuts.clear();
    if (!Index(paddedBody) || m_count < 2) return Shape::Unsure;
    std::size_t array = 0;
    if (At(0) == '[') {
        if (At(m_count - 1) != ']') return Shape::Unsure;
    } else if (At(0) == '{') {
        if (At(m_count - 1) != '}') return Shape::Unsure;
        const Shape shape = RecordsArray(array);
        if (shape != Shape::Records) return shape;
    } else {
        return Shape::Unsure;
    }
    if (ReadArray(array, cuts)) return Shape::Records;
    cuts.clear();
    return Shape::Unsure;
}

// The processor's own kernel builds the index: the implementation simdjson picks at run
// time, whatever the kernel this program was compiled for.
bool ObjectCutter::Index(std::string_view paddedBody) {
    if (paddedBody.empty()) return false;
    const std::size_t size = paddedBody.size();
    simdjson::error_code ready = simdjson::SUCCESS;
    if (!m_stage1) {
        ready = simdjson::get_active_implementation()->create_dom_parser_implementation(
            size, simdjson::DEFAULT_MAX_DEPTH, m_stage1);
    } else if (m_stage1->capacity() < size) {
        ready = m_stage1->set_capacity(size);
    }
    if (ready != simdjson::SUCCESS) {
        m_stage1.reset();
        return false;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(paddedBody.data());
    if (m_stage1->stage1(bytes, size, simdjson::stage1_mode::regular) != simdjson::SUCCESS) return false;
    m_text = paddedBody.data();
    m_index = m_stage1->structural_indexes.get();
    m_count = m_stage1->n_structural_indexes;
    return true;
}

// The closing bracket of the one at `open`, or m_count when the text ends first.
std::size_t ObjectCutter::Close(std::size_t open) const {
    int depth = 0;
    for (std::size_t i = open; i < m_count; ++i) {
        depth += kDepthStep[static_cast<unsigned char>(At(i))];
        if (depth == 0) return i;
    }
    return m_count;
}

// The token after the value at `value`, or m_count when it is no value.
std::size_t ObjectCutter::After(std::size_t value) const {
    const char c = At(value);
    if (IsStructure(c)) return m_count;
    if (c != '{' && c != '[') return value + 1;
    const std::size_t close = Close(value);
    return close < m_count ? close + 1 : m_count;
}

// Whether the key at `key` reads `name` as the full parser compares keys: byte for byte,
// without decoding escapes.
bool ObjectCutter::KeyIs(std::size_t key, std::string_view name) const {
    const char* text = m_text + m_index[key] + 1;
    return std::memcmp(text, name.data(), name.size()) == 0 && text[name.size()] == '"';
}

// The array of a top-level object's records: the first "statuses" field, or without one
// the first "users" field.
ObjectCutter::Shape ObjectCutter::RecordsArray(std::size_t& array) const {
    std::size_t users = 0;
    for (std::size_t pos = 1;;) {
        if (pos + 2 >= m_count || At(pos) != '"' || At(pos + 1) != ':') return Shape::Unsure;
        const std::size_t value = pos + 2;
        if (KeyIs(pos, "statuses")) {
            array = value;
            return At(value) == '[' ? Shape::Records : Shape::Unsure;
        }
        if (users == 0 && KeyIs(pos, "users")) users = value;
        pos = After(value);
        if (pos >= m_count) return Shape::Unsure;
        if (At(pos) == '}') break;
        if (At(pos) != ',') return Shape::Unsure;
        ++pos;
    }
    if (users == 0) return Shape::Other;
    array = users;
    return At(users) == '[' ? Shape::Records : Shape::Unsure;
}

// The objects of the array at `array`; false where the full parser could read otherwise.
bool ObjectCutter::ReadArray(std::size_t array, std::vector<Cut>& cuts) const {
    std::size_t pos = array + 1;
    if (pos < m_count && At(pos) == ']') return true;
    while (pos < m_count) {
        if (!ReadObject(pos, cuts)) return false;
        if (At(pos) == ']') return true;
        if (At(pos) != ',') return false;
        ++pos;
    }
    return false;
}

// One element of the records array: an object with a plain id_str string among its
// fields. Leaves pos at the token after the object.
bool ObjectCutter::ReadObject(std::size_t& pos, std::vector<Cut>& cuts) const {
    if (At(pos) != '{') return false;
    const std::size_t open = pos;
    std::string_view id;
    for (std::size_t field = open + 1; id.data() == nullptr;) {
        if (field + 3 >= m_count || At(field) != '"' || At(field + 1) != ':') return false;
        const std::size_t value = field + 2;
        if (KeyIs(field, "id_str")) {
            // A string before a colon the full parser would skip as a key.
            if (At(value) != '"' || (At(value + 1) != ',' && At(value + 1) != '}')) return false;
            const char* first = m_text + m_index[value] + 1;
            const char* end = m_text + m_index[value + 1];
            const auto* quote = static_cast<const char*>(std::memchr(first, '"', end - first));
            // An escape would need decoding: the full parser does that.
            if (quote == nullptr || std::memchr(first, '\\', quote - first) != nullptr) return false;
            id = std::string_view(first, static_cast<std::size_t>(quote - first));
            break;
        }
        field = After(value);
        if (field >= m_count || At(field) != ',') return false;
        ++field;
    }
    const std::size_t close = Close(open);
    if (close + 1 >= m_count) return false;
    // The text runs to the next token, as the full parser cuts it.
    cuts.push_back({id, std::string_view(m_text + m_index[open], m_index[close + 1] - m_index[open])});
    pos = close + 1;
    return true;
}

}  // namespace marlin
