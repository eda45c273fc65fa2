#include "core/page_check.h"

#include <simdjson.h>

#include "core/json_deserializer.h"

namespace marlin {

namespace ondemand = simdjson::ondemand;

namespace {

struct Walk {
    std::optional<std::string> problem;
    long long records = -1;  // the record list's length, once found

    bool Fail(std::string why) {
        if (!problem) problem = std::move(why);
        return false;
    }
    bool Fail(simdjson::error_code code) {
        return Fail(std::string("not complete JSON (") + simdjson::error_message(code) + ")");
    }

    // Reads every value so that simdjson checks every byte; depth counts open brackets.
    bool Value(ondemand::value value, int depth, bool recordList) {
        ondemand::json_type type;
        if (auto error = value.type().get(type)) return Fail(error);
        switch (type) {
            case ondemand::json_type::object:
                return Object(value.get_object(), depth + 1);
            case ondemand::json_type::array:
                return Array(value.get_array(), depth + 1, recordList);
            case ondemand::json_type::string: {
                std::string_view text;
                if (auto error = value.get_string().get(text)) return Fail(error);
                return true;
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

    bool Object(simdjson::simdjson_result<ondemand::object> result, int depth) {
        if (depth > PageCheck::kMaxDepth) return Fail("nested too deep");
        ondemand::object object;
        if (auto error = std::move(result).get(object)) return Fail(error);
        for (auto field : object) {
            std::string_view key;
            if (auto error = field.unescaped_key().get(key)) return Fail(error);
            const bool list = depth == 1 && (key == "statuses" || key == "users" || key == "data");
            ondemand::value value;
            if (auto error = field.value().get(value)) return Fail(error);
            if (!Value(value, depth, list)) return false;
        }
        return true;
    }

    bool Array(simdjson::simdjson_result<ondemand::array> result, int depth, bool recordList) {
        if (depth > PageCheck::kMaxDepth) return Fail("nested too deep");
        ondemand::array array;
        if (auto error = std::move(result).get(array)) return Fail(error);
        long long count = 0;
        for (auto element : array) {
            ondemand::value value;
            if (auto error = element.get(value)) return Fail(error);
            if (!Value(value, depth, false)) return false;
            if (recordList && ++count > JSONDeserializer::kMaxPageRecords)
                return Fail("more than " + std::to_string(JSONDeserializer::kMaxPageRecords) + " records");
        }
        return true;
    }
};

}  // namespace

std::optional<std::string> PageCheck::Problem(std::string_view body) {
    // One parser for the thread: its buffers grow to the largest page and stay.
    thread_local ondemand::parser parser;
    thread_local std::string padded;
    padded.assign(body);
    padded.resize(body.size() + simdjson::SIMDJSON_PADDING, ' ');
    ondemand::document document;
    Walk walk;
    if (auto error = parser.iterate(simdjson::padded_string_view(padded.data(), body.size(), padded.size()))
                         .get(document))
        return "not complete JSON (" + std::string(simdjson::error_message(error)) + ")";
    ondemand::json_type type;
    if (auto error = document.type().get(type))
        return "not JSON (" + std::string(simdjson::error_message(error)) + ")";
    if (type == ondemand::json_type::object) {
        walk.Object(document.get_object(), 1);
    } else if (type == ondemand::json_type::array) {
        walk.Array(document.get_array(), 1, true);
    } else {
        return "not a list or an object of records";
    }
    if (walk.problem) return walk.problem;
    if (document.current_location().error() == simdjson::SUCCESS)
        return "not complete JSON (text after the end)";
    return std::nullopt;
}

}  // namespace marlin
