#include "core/page_check.h"

#include <cstring>

#include <simdjson.h>

#include "core/json_deserializer.h"

namespace marlin {

namespace ondemand = simdjson::ondemand;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether the escapes of a string token (from its opening quote) are JSON's: \" \\ \/ \b \f
// \n \r \t, and \u with four hex digits, whatever code unit they name. simdjson refuses a
// lone surrogate (\ud800) while decoding, yet the grammar allows it and the exact-text
// reader turns it into U+FFFD; a page must not be lost for one.
bool EscapesValid(std::string_view token) {
    for (std::size_t k = 1; k < token.size(); ++k) {
        if (token[k] == '"') return true;
        if (token[k] != '\\') continue;
        if (++k >= token.size()) return false;
        const char c = token[k];
        if (c == 'u') {
            if (k + 4 >= token.size()) return false;
            for (std::size_t h = 1; h <= 4; ++h)
                if (!IsHex(token[k + h])) return false;
            k += 4;
        } else if (std::strchr("\"\\/bfnrt", c) == nullptr || c == '\0') {
            return false;
        }
    }
    return false;
}

// Whether a key reads `name` byte for byte, escapes undecoded, as the archive compares keys.
// The key's closing quote is always there to read.
bool RawKeyIs(ondemand::raw_json_string key, std::string_view name) {
    const char* text = key.raw();
    return std::memcmp(text, name.data(), name.size()) == 0 && text[name.size()] == '"';
}

// One candidate records array while it is read: the spans of its objects.
struct RecordList {
    std::vector<PageRecords::Span> spans;
    bool seen = false;
    bool regular = true;  // every element an object with a plain id_str
};

struct Walk {
    std::optional<std::string> problem;
    long long records = -1;  // the record list's length, once found

    // Set when the records' places are wanted.
    ondemand::document* document = nullptr;
    std::string_view body;
    RecordList top, statuses, users;

    bool Fail(std::string why) {
        if (!problem) problem = std::move(why);
        return false;
    }
    bool Fail(simdjson::error_code code) {
        return Fail(std::string("not complete JSON (") + simdjson::error_message(code) + ")");
    }

    // Reads every value so that simdjson checks every byte; depth counts open brackets.
    // `list`: the records whose places are wanted, when this value is their array;
    // `record`: the span of the record object this value is.
    bool Value(ondemand::value value, int depth, bool recordList, RecordList* list = nullptr,
               PageRecords::Span* record = nullptr) {
        ondemand::json_type type;
        if (auto error = value.type().get(type)) return Fail(error);
        if (list && type != ondemand::json_type::array) list->regular = false;
        switch (type) {
            case ondemand::json_type::object:
                return Object(value.get_object(), depth + 1, record);
            case ondemand::json_type::array:
                return Array(value.get_array(), depth + 1, recordList, list);
            case ondemand::json_type::string: {
                std::string_view text;
                auto error = value.get_string().get(text);
                if (error == simdjson::STRING_ERROR && EscapesValid(value.raw_json_token().data()))
                    return true;
                return !error || Fail(error);
            }
            case ondemand::json_type::number:
                // The token as it stands: a number past every machine type (an id over
                // 2^64) is still JSON.
                return !value.raw_json_token().empty() || Fail("not complete JSON");
            case ondemand::json_type::boolean: {
                bool flag;
                if (auto error = value.get_bool().get(flag)) return Fail(error);
                return true;
            }
            case ondemand::json_type::null: {
                bool isNull;
                if (auto error = value.is_null().get(isNull)) return Fail(error);
                return isNull || Fail("not complete JSON");
            }
            default:
                return Fail("not complete JSON");
        }
    }

    bool Object(simdjson::simdjson_result<ondemand::object> result, int depth, PageRecords::Span* record) {
        if (depth > PageCheck::kMaxDepth) return Fail("nested too deep");
        ondemand::object object;
        if (auto error = std::move(result).get(object)) return Fail(error);
        for (auto field : object) {
            if (auto error = field.error()) return Fail(error);
            // The key as it stands goes when it is decoded.
            const ondemand::raw_json_string rawKey = field.key();
            std::string_view key;
            if (auto error = field.unescaped_key().get(key)) {
                // Decoded only to be compared with the names of the record lists.
                if (error != simdjson::STRING_ERROR || !EscapesValid(rawKey.raw() - 1)) return Fail(error);
                key = {};
            }
            const bool list = depth == 1 && (key == "statuses" || key == "users" || key == "data");
            ondemand::value value;
            if (auto error = field.value().get(value)) return Fail(error);
            RecordList* places = document && depth == 1 ? CandidateList(rawKey) : nullptr;
            if (record && record->idSize == 0 && RawKeyIs(rawKey, "id_str")) TakeId(value, *record);
            if (!Value(value, depth, list, places)) return false;
        }
        return true;
    }

    bool Array(simdjson::simdjson_result<ondemand::array> result, int depth, bool recordList,
               RecordList* list) {
        if (depth > PageCheck::kMaxDepth) return Fail("nested too deep");
        ondemand::array array;
        if (auto error = std::move(result).get(array)) return Fail(error);
        long long count = 0;
        for (auto element : array) {
            ondemand::value value;
            if (auto error = element.get(value)) return Fail(error);
            PageRecords::Span* record = list ? StartRecord(value, *list) : nullptr;
            if (!Value(value, depth, false, nullptr, record)) return false;
            if (record && record->idSize == 0) list->regular = false;
            if (recordList && ++count > JSONDeserializer::kMaxPageRecords)
                return Fail("more than " + std::to_string(JSONDeserializer::kMaxPageRecords) + " records");
        }
        if (list) EndRecords(*list);
        return true;
    }

    // The first "statuses" and the first "users" of the top-level object.
    RecordList* CandidateList(ondemand::raw_json_string key) {
        for (RecordList* list : {&statuses, &users}) {
            if (list->seen || !RawKeyIs(key, list == &statuses ? "statuses" : "users")) continue;
            list->seen = true;
            return list;
        }
        return nullptr;
    }

    PageRecords::Span* StartRecord(ondemand::value value, RecordList& list) {
        const std::string_view token = value.raw_json_token();
        if (token.empty() || token.front() != '{') {
            list.regular = false;
            return nullptr;
        }
        list.spans.push_back({0, 0, static_cast<std::size_t>(token.data() - body.data()), 0});
        return &list.spans.back();
    }

    // A plain id: a string without escapes (an escaped one needs decoding).
    void TakeId(ondemand::value value, PageRecords::Span& record) {
        const std::string_view token = value.raw_json_token();
        const char* first = token.data() + 1;
        const auto* quote = token.size() < 2 || token.front() != '"'
                                ? nullptr
                                : static_cast<const char*>(std::memchr(first, '"', token.size() - 1));
        if (quote == nullptr || quote == first || std::memchr(first, '\\', quote - first) != nullptr) {
            record.idSize = 0;
            record.rawAt = std::string_view::npos;  // marks the record irregular
            return;
        }
        record.idAt = static_cast<std::size_t>(first - body.data());
        record.idSize = static_cast<std::size_t>(quote - first);
    }

    // Each object ends at the last "}" before the next element's "," (or the array's "]").
    void EndRecords(RecordList& list) {
        const char* after = nullptr;
        if (document->current_location().get(after) != simdjson::SUCCESS) after = body.data() + body.size();
        std::size_t bound = Before(static_cast<std::size_t>(after - body.data()));
        if (bound == std::string_view::npos || body[bound] != ']') {
            list.regular = false;
            return;
        }
        for (std::size_t i = list.spans.size(); i-- > 0;) {
            PageRecords::Span& span = list.spans[i];
            std::size_t close = Before(bound);
            if (i + 1 < list.spans.size())
                close = close != std::string_view::npos && body[close] == ',' ? Before(close)
                                                                              : std::string_view::npos;
            if (span.rawAt == std::string_view::npos || close == std::string_view::npos ||
                close < span.rawAt || body[close] != '}') {
                list.regular = false;
                return;
            }
            span.rawSize = close + 1 - span.rawAt;
            bound = span.rawAt;
        }
    }

    // The last byte before `at` that is no blank.
    std::size_t Before(std::size_t at) const {
        while (at > 0 && IsBlank(body[at - 1])) --at;
        return at == 0 ? std::string_view::npos : at - 1;
    }

    void Place(PageRecords& records, bool topArray) {
        RecordList* chosen = topArray ? &top : statuses.seen ? &statuses : users.seen ? &users : nullptr;
        records.found = chosen != nullptr && chosen->regular;
        if (records.found) records.spans = std::move(chosen->spans);
    }
};

}  // namespace

static_assert(PageCheck::kReadPastEnd >= simdjson::SIMDJSON_PADDING);

std::optional<std::string> PageCheck::Problem(std::string_view body, std::size_t room, PageRecords* records) {
    // One parser for the thread: its buffers grow to the largest page and stay.
    thread_local ondemand::parser parser;
    thread_local std::string padded;
    simdjson::padded_string_view text(body.data(), body.size(), body.size() + room);
    if (room < kReadPastEnd) {
        padded.assign(body);
        padded.resize(body.size() + kReadPastEnd, ' ');
        text = simdjson::padded_string_view(padded.data(), body.size(), padded.size());
    }
    if (records) *records = PageRecords{};
    ondemand::document document;
    Walk walk;
    if (records) {
        walk.document = &document;
        walk.body = text;
    }
    if (auto error = parser.iterate(text).get(document))
        return "not complete JSON (" + std::string(simdjson::error_message(error)) + ")";
    ondemand::json_type type;
    if (auto error = document.type().get(type))
        return "not JSON (" + std::string(simdjson::error_message(error)) + ")";
    if (type == ondemand::json_type::object) {
        walk.Object(document.get_object(), 1, nullptr);
    } else if (type == ondemand::json_type::array) {
        walk.Array(document.get_array(), 1, true, records ? &walk.top : nullptr);
    } else {
        return "not a list or an object of records";
    }
    if (walk.problem) return walk.problem;
    if (document.current_location().error() == simdjson::SUCCESS)
        return "not complete JSON (text after the end)";
    if (records) walk.Place(*records, type == ondemand::json_type::array);
    return std::nullopt;
}

}  // namespace marlin
