// The page check on arbitrary text, with the places of the records it finds: wherever it
// finds them, the objects and ids they point at are those the raw archive reads from the
// body by itself, so an archive written from them is the same file.

#include <string>
#include <vector>

#include "core/page_check.h"
#include "core/page_lines.h"
#include "core/raw_archive.h"
#include "fuzz_support.h"

using marlin::PageCheck;
using marlin::PageLines;
using marlin::PageRecords;
using marlin::RawArchive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body = marlin::fuzz::Text(data, size);
    PageRecords records;
    const bool readable = !PageCheck::Problem(body, 0, &records).has_value();
    FUZZ_CHECK(readable || !records.found);
    if (!records.found) return 0;

    static RawArchive archive("unused.jsonl");  // Objects reads, never writes
    const std::vector<RawArchive::Object> objects = archive.Objects(body);
    FUZZ_CHECK(objects.size() == records.spans.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        const PageRecords::Span& span = records.spans[i];
        FUZZ_CHECK(span.idAt + span.idSize <= body.size() && span.rawAt + span.rawSize <= body.size());
        FUZZ_CHECK(body.compare(span.idAt, span.idSize, objects[i].id) == 0);
        std::string line;
        PageLines::AppendOneLine(line, std::string_view(body).substr(span.rawAt, span.rawSize));
        FUZZ_CHECK(line == objects[i].line);
    }
    return 0;
}
