#include "core/v2_page.h"

#include <simdjson.h>

namespace marlin {

namespace ondemand = simdjson::ondemand;

namespace {

std::string_view TrimmedEnd(std::string_view text) {
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\n' || text.back() == '\r' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The value's exact text: an object or array whole, a scalar as its token.
simdjson::error_code RawValue(ondemand::value value, std::string_view& raw) {
    ondemand::json_type type;
    if (auto error = value.type().get(type)) return error;
    if (type == ondemand::json_type::object) {
        ondemand::object object;
        if (auto error = value.get_object().get(object)) return error;
        if (auto error = object.raw_json().get(raw)) return error;
        // A pretty-printed page: the blanks up to the next token are not the object's.
        raw = TrimmedEnd(raw);
        return simdjson::SUCCESS;
    }
    if (type == ondemand::json_type::array) {
        ondemand::array array;
        if (auto error = value.get_array().get(array)) return error;
        if (auto error = array.raw_json().get(raw)) return error;
        raw = TrimmedEnd(raw);
        return simdjson::SUCCESS;
    }
    raw = TrimmedEnd(value.raw_json_token());
    return simdjson::SUCCESS;
}

}  // namespace

// The body is copied once into a buffer with the padding the parser reads past the end;
// every view the page hands out points into that buffer, and each object or array of it
// can be parsed again on its own where it lies.
struct V2Page::Parser {
    ondemand::parser parser;
    std::string buffer;
    std::size_t used = 0;

    simdjson::error_code Iterate(std::string_view text, ondemand::document& document) {
        const std::size_t capacity = buffer.data() + buffer.size() - text.data();
        return parser.iterate(simdjson::padded_string_view(text.data(), text.size(), capacity)).get(document);
    }
    bool Holds(std::string_view text) const {
        return !text.empty() && text.data() >= buffer.data() &&
               text.data() + text.size() <= buffer.data() + used;
    }
};

V2Page::V2Page() : m_parser(std::make_unique<Parser>()) {}
V2Page::~V2Page() = default;

std::string_view V2Page::Unquoted(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view V2Page::Find(const ById& map, std::string_view id) {
    const auto found = map.find(id);
    return found == map.end() ? std::string_view() : found->second;
}

void V2Page::Clear() {
    m_data.clear();
    m_users.clear();
    m_tweets.clear();
    m_places.clear();
    m_errors.clear();
    m_top = m_dataValue = m_meta = m_title = m_detail = {};
}

V2Page::Type V2Page::TypeOf(std::string_view value) {
    if (value.empty()) return Type::Absent;
    switch (value.front()) {
        case '{':
            return Type::Object;
        case '[':
            return Type::Array;
        case '"':
            return Type::String;
        case 't':
        case 'f':
            return Type::Boolean;
        case 'n':
            return Type::Null;
        default:
            return Type::Number;
    }
}

const char* V2Page::TypeName(Type type) {
    switch (type) {
        case Type::Object:
            return "object";
        case Type::Array:
            return "array";
        case Type::String:
            return "text";
        case Type::Number:
            return "number";
        case Type::Boolean:
            return "true or false";
        case Type::Null:
            return "null";
        case Type::Absent:
            break;
    }
    return "";
}

bool V2Page::Read(std::string_view body) {
    Clear();
    Parser& p = *m_parser;
    p.buffer.assign(body);
    p.used = body.size();
    p.buffer.resize(body.size() + simdjson::SIMDJSON_PADDING, ' ');
    ondemand::document document;
    ondemand::object top;
    if (p.Iterate(std::string_view(p.buffer.data(), body.size()), document) || document.get_object().get(top))
        return false;
    m_top = TrimmedEnd(std::string_view(p.buffer.data(), body.size()));
    while (!m_top.empty() && m_top.front() != '{') m_top.remove_prefix(1);
    std::string_view data, includes, errors;
    for (auto field : top) {
        ondemand::raw_json_string key;
        std::string_view raw;
        if (field.key().get(key) || RawValue(field.value(), raw)) return false;
        if (key == "data")
            data = raw;
        else if (key == "includes")
            includes = raw;
        else if (key == "errors")
            errors = raw;
        else if (key == "meta")
            m_meta = raw;
        else if (key == "title")
            m_title = raw;
        else if (key == "detail")
            m_detail = raw;
    }
    m_dataValue = data;
    if (!data.empty() && data.front() == '{')
        m_data.push_back(data);
    else if (!data.empty())
        m_data = Elements(data);
    if (!errors.empty()) m_errors = Elements(errors);
    if (!includes.empty() && includes.front() == '{') {
        const std::vector<std::string_view> parts = Pick(includes, {"users", "tweets", "places"});
        Index(parts[0], m_users);
        Index(parts[1], m_tweets);
        Index(parts[2], m_places);
    }
    return true;
}

void V2Page::Index(std::string_view array, ById& map) {
    if (array.empty() || array.front() != '[') return;
    for (std::string_view object : Elements(array)) {
        const std::string_view id = Unquoted(Pick(object, {"id"})[0]);
        if (!id.empty()) map.emplace(id, object);
    }
}

std::vector<std::string_view> V2Page::Pick(std::string_view object,
                                           std::initializer_list<std::string_view> names) {
    std::vector<std::string_view> values(names.size());
    ondemand::document document;
    ondemand::object fields;
    if (!m_parser->Holds(object) || m_parser->Iterate(object, document) || document.get_object().get(fields))
        return values;
    for (auto field : fields) {
        ondemand::raw_json_string key;
        if (field.key().get(key)) break;
        std::size_t slot = 0;
        for (std::string_view name : names) {
            if (key == name) break;
            ++slot;
        }
        if (slot == names.size()) continue;
        if (RawValue(field.value(), values[slot])) break;
    }
    return values;
}

std::vector<std::string_view> V2Page::Elements(std::string_view array) {
    std::vector<std::string_view> elements;
    ondemand::document document;
    ondemand::array items;
    if (!m_parser->Holds(array) || m_parser->Iterate(array, document) || document.get_array().get(items))
        return elements;
    for (auto item : items) {
        std::string_view raw;
        ondemand::value value;
        if (item.get(value) || RawValue(value, raw)) break;
        elements.push_back(raw);
    }
    return elements;
}

}  // namespace marlin
