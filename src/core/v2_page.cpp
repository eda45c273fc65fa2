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

// One pass over the whole body that files the fields of every object and the elements of
// every array, each value's raw text cut as RawValue cuts it. Objects are filed by where they
// start; the scratch lists are kept per depth, so that a nested object's fields do not mix
// with its parent's.
struct V2Page::Walk {
    V2Page& page;
    ondemand::document& document;
    std::vector<std::vector<Field>> fields;
    std::vector<std::vector<std::string_view>> items;

    // The raw text of a value that ended just before the next token.
    bool Ended(const char* start, std::string_view& raw) {
        const char* next = nullptr;
        if (document.current_location().get(next)) return false;
        raw = TrimmedEnd(std::string_view(start, static_cast<std::size_t>(next - start)));
        return true;
    }

    // The walk follows the text byte by byte between the tokens simdjson hands out: simdjson
    // reads on past some broken structure (a member without its opening brace), which the
    // reading object by object would see differently, so every separator is checked here.
    static const char* Blanks(const char* at) {
        while (*at == ' ' || *at == '\n' || *at == '\r' || *at == '\t') ++at;
        return at;
    }
    static const char* After(const char* at, char separator) {
        at = Blanks(at);
        return *at == separator ? Blanks(at + 1) : nullptr;
    }
    // Past the closing quote of the string whose text starts at `text`.
    const char* StringEnd(const char* text) const {
        const char* end = page.m_parser->buffer.data() + page.m_parser->used;
        while (text < end && *text != '"') text += *text == '\\' ? 2 : 1;
        return text < end ? text + 1 : nullptr;
    }
    // The raw text from `start` through the closing bracket at `at`, as simdjson ends it.
    bool Closed(const char* start, const char* at, char bracket, std::string_view* raw) {
        at = Blanks(at);
        if (*at != bracket) return false;
        if (!raw) return true;
        return Ended(start, *raw) && raw->data() + raw->size() == at + 1;
    }

    bool Object(ondemand::object object, std::size_t depth, const char* start, std::string_view* raw) {
        if (fields.size() <= depth) fields.resize(depth + 1);
        fields[depth].clear();
        const char* at = Blanks(start + 1);
        for (auto field : object) {
            ondemand::raw_json_string key;
            ondemand::value value;
            std::string_view child;
            if (field.key().get(key)) return false;
            const char* name = reinterpret_cast<const char*>(key.raw());
            if (!fields[depth].empty()) at = After(at, ',');
            if (at != name - 1 || !(at = StringEnd(name)) || !(at = After(at, ':'))) return false;
            if (field.value().get(value) || !Value(value, depth + 1, child) || child.data() != at)
                return false;
            at = child.data() + child.size();
            fields[depth].push_back({name, child});
        }
        if (!Closed(start, at, '}', raw)) return false;
        const std::size_t size = raw ? raw->size() : page.m_top.size();
        Run run{static_cast<std::uint32_t>(page.m_fields.size()), 0, size, true};
        page.m_fields.insert(page.m_fields.end(), fields[depth].begin(), fields[depth].end());
        run.end = static_cast<std::uint32_t>(page.m_fields.size());
        page.File(start, run);
        return true;
    }

    bool Array(ondemand::array array, std::size_t depth, const char* start, std::string_view& raw) {
        if (items.size() <= depth) items.resize(depth + 1);
        items[depth].clear();
        const char* at = Blanks(start + 1);
        for (auto element : array) {
            ondemand::value value;
            std::string_view child;
            if (!items[depth].empty()) at = After(at, ',');
            if (!at || element.get(value) || !Value(value, depth + 1, child) || child.data() != at)
                return false;
            at = child.data() + child.size();
            items[depth].push_back(child);
        }
        if (!Closed(start, at, ']', &raw)) return false;
        Run run{static_cast<std::uint32_t>(page.m_items.size()), 0, raw.size(), false};
        page.m_items.insert(page.m_items.end(), items[depth].begin(), items[depth].end());
        run.end = static_cast<std::uint32_t>(page.m_items.size());
        page.File(start, run);
        return true;
    }

    bool Value(ondemand::value value, std::size_t depth, std::string_view& raw) {
        ondemand::json_type type;
        if (value.type().get(type)) return false;
        const std::string_view token = value.raw_json_token();
        if (type == ondemand::json_type::object) {
            ondemand::object object;
            return !value.get_object().get(object) && Object(object, depth, token.data(), &raw);
        }
        if (type == ondemand::json_type::array) {
            ondemand::array array;
            return !value.get_array().get(array) && Array(array, depth, token.data(), raw);
        }
        raw = TrimmedEnd(token);
        return true;
    }
};

V2Page::V2Page(Reading reading) : m_reading(reading), m_parser(std::make_unique<Parser>()) {}
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
    m_indexed = false;
    m_fields.clear();
    m_items.clear();
    for (const Run& run : m_runs) m_runAt[run.at] = 0;
    m_runs.clear();
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
    const std::string_view text(p.buffer.data(), body.size());
    std::string_view data, includes, errors;
    if (m_reading == Reading::Indexed && IndexWhole(text)) {
        const std::vector<std::string_view> v =
            Pick(m_top, {"data", "includes", "errors", "meta", "title", "detail"});
        data = v[0];
        includes = v[1];
        errors = v[2];
        m_meta = v[3];
        m_title = v[4];
        m_detail = v[5];
    } else if (!ReadTopParsing(text, data, includes, errors)) {
        return false;
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

bool V2Page::IndexWhole(std::string_view text) {
    ondemand::document document;
    ondemand::object top;
    if (m_parser->Iterate(text, document) || document.get_object().get(top)) return false;
    m_top = TrimmedEnd(text);
    while (!m_top.empty() && m_top.front() != '{') m_top.remove_prefix(1);
    if (m_runAt.size() < text.size() + 1) m_runAt.resize(text.size() + 1, 0);
    Walk walk{*this, document, {}, {}};
    if (!walk.Object(top, 0, m_top.data(), nullptr)) return false;
    m_indexed = true;
    return true;
}

bool V2Page::ReadTopParsing(std::string_view text, std::string_view& data, std::string_view& includes,
                            std::string_view& errors) {
    Clear();
    ondemand::document document;
    ondemand::object top;
    if (m_parser->Iterate(text, document) || document.get_object().get(top)) return false;
    m_top = TrimmedEnd(text);
    while (!m_top.empty() && m_top.front() != '{') m_top.remove_prefix(1);
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
    return true;
}

void V2Page::Index(std::string_view array, ById& map) {
    if (array.empty() || array.front() != '[') return;
    for (std::string_view object : Elements(array)) {
        const std::string_view id = Unquoted(Pick(object, {"id"})[0]);
        if (!id.empty()) map.emplace(id, object);
    }
}

void V2Page::File(const char* start, const Run& run) {
    Run& filed = m_runs.emplace_back(run);
    filed.at = static_cast<std::size_t>(start - m_parser->buffer.data());
    m_runAt[filed.at] = static_cast<std::uint32_t>(m_runs.size());
}

const V2Page::Run* V2Page::Filed(std::string_view value, bool object) const {
    if (!m_indexed || !m_parser->Holds(value)) return nullptr;
    const std::uint32_t index = m_runAt[static_cast<std::size_t>(value.data() - m_parser->buffer.data())];
    if (index == 0) return nullptr;
    const Run& run = m_runs[index - 1];
    return run.object == object && run.size == value.size() ? &run : nullptr;
}

std::vector<std::string_view> V2Page::Pick(std::string_view object,
                                           std::initializer_list<std::string_view> names) {
    const Run* run = Filed(object, true);
    if (!run) return PickParsing(object, names);
    std::vector<std::string_view> values(names.size());
    for (std::uint32_t k = run->begin; k < run->end; ++k) {
        const ondemand::raw_json_string key(reinterpret_cast<const uint8_t*>(m_fields[k].key));
        std::size_t slot = 0;
        for (std::string_view name : names) {
            if (key == name) break;
            ++slot;
        }
        if (slot < names.size()) values[slot] = m_fields[k].value;
    }
    return values;
}

std::vector<std::string_view> V2Page::Elements(std::string_view array) {
    const Run* run = Filed(array, false);
    if (!run) return ElementsParsing(array);
    return std::vector<std::string_view>(m_items.begin() + run->begin, m_items.begin() + run->end);
}

std::vector<std::string_view> V2Page::PickParsing(std::string_view object,
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

std::vector<std::string_view> V2Page::ElementsParsing(std::string_view array) {
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
