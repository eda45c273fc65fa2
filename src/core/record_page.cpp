#include "core/record_page.h"

namespace marlin {

namespace {
constexpr const char* kNoRecords = "JSON response contained no records";
}  // namespace

std::optional<int> RecordPage::Count(JSONDeserializer& reader, std::string_view json, bool ignoreTopLevel) {
    if (!reader.ReadBorrowed(json, ignoreTopLevel)) return std::nullopt;
    const int entries = reader.ObjectCount();
    int records = 0;
    for (int k = 1; k <= entries; ++k) {
        if (reader.ObjectLevel(k) == 1 && !reader.ObjectNameIs(k, "search_metadata")) ++records;
    }
    if (records > JSONDeserializer::kMaxPageRecords) return std::nullopt;
    return records;
}

void RecordPage::ReportEmpty(const NoticeSink& sink) {
    if (sink) sink(kNoRecords);
}

}  // namespace marlin
