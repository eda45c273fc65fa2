#include "spending/page_reads.h"

#include <simdjson.h>

#include "spending/utc_date.h"

namespace marlin {

namespace ondemand = simdjson::ondemand;

namespace {

// The id and creation time of one object of `data`; the other fields are skipped over, not read.
simdjson::error_code ReadObject(ondemand::object object, ReadKind kind, std::vector<Ledger::Read>& reads) {
    Ledger::Read read{kind, {}, {}, 0};
    for (auto field : object) {
        ondemand::raw_json_string key;
        if (auto error = field.key().get(key)) return error;
        std::string_view text;
        if (key == "id" && !field.value().get_string().get(text))
            read.object = text;
        else if (key == "created_at" && kind == ReadKind::Post && !field.value().get_string().get(text))
            read.postedMs = UtcDate::Milliseconds(text);
    }
    if (!read.object.empty()) reads.push_back(std::move(read));
    return simdjson::SUCCESS;
}

// `data`: a list of objects, or one object (a look-up of one user).
simdjson::error_code ReadData(ondemand::value data, ReadKind kind, std::vector<Ledger::Read>& reads) {
    ondemand::json_type type;
    if (auto error = data.type().get(type)) return error;
    if (type == ondemand::json_type::object) {
        ondemand::object object;
        if (auto error = data.get_object().get(object)) return error;
        return ReadObject(object, kind, reads);
    }
    ondemand::array list;
    if (auto error = data.get_array().get(list)) return error;
    for (auto element : list) {
        ondemand::object object;
        if (auto error = element.get_object().get(object)) return error;
        if (auto error = ReadObject(object, kind, reads)) return error;
    }
    return simdjson::SUCCESS;
}

}  // namespace

std::vector<Ledger::Read> PageReads::Of(std::string_view body, ReadKind kind) {
    std::vector<Ledger::Read> reads;
    if (ChargedPerRequest(kind)) {
        reads.push_back({kind, {}, {}, 0});
        return reads;
    }
    // One pass over the body; a parser kept per thread keeps its buffers between pages.
    thread_local ondemand::parser parser;
    const simdjson::padded_string padded(body);
    ondemand::document document;
    ondemand::object top;
    if (parser.iterate(padded).get(document) || document.get_object().get(top)) return reads;
    for (auto field : top) {
        ondemand::raw_json_string key;
        ondemand::value value;
        if (field.key().get(key) || key != "data" || field.value().get(value)) continue;
        // A body that breaks off inside data is no answer: nothing of it counts as read.
        if (ReadData(value, kind, reads)) reads.clear();
        break;
    }
    return reads;
}

}  // namespace marlin
