// The tweet table file reader on arbitrary file contents: a file is either read whole,
// every record holding its 16 columns, or refused with the table as it was.

#include <stdexcept>

#include "fuzz_support.h"
#include "platform/testing/scripted_toolkit.h"
#include "sentiment/marlin_data.h"

using marlin::MarlinData;

namespace {

// A table file of two records the reader must accept: the state a refused file keeps.
const std::string& GoodFile() {
    static const std::string path = [] {
        std::string line;
        for (int c = 1; c <= MarlinData::kColumns; ++c) line += "f" + std::to_string(c) + "\t";
        return marlin::fuzz::WriteScratch("good.txt", line + "\r\n" + line + "\r\n").string();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    marlin::testing::ScriptedToolkit toolkit;
    MarlinData table(toolkit, marlin::fuzz::ScratchFolder());
    FUZZ_CHECK(table.Load(GoodFile()) && table.RecordCount() == 2);

    const std::string path =
        marlin::fuzz::WriteScratch("tweets.txt", marlin::fuzz::Text(data, size)).string();
    if (!table.Load(path)) {
        FUZZ_CHECK(table.RecordCount() == 2 && table.Value(2, 16) == "f16");
        return 0;
    }
    FUZZ_CHECK(toolkit.messages.empty());
    const auto records = table.Data();
    FUZZ_CHECK(static_cast<std::int32_t>(records.size()) == table.RecordCount());
    for (std::int32_t r = 1; r <= table.RecordCount(); ++r) {
        for (std::uint8_t c = 1; c <= MarlinData::kColumns; ++c) {
            const std::string value = table.Value(r, c);
            FUZZ_CHECK(value.find('\t') == std::string::npos);
        }
    }
    bool thrown = false;
    try {
        table.Value(1, 0);  // a loaded table has no column 0
    } catch (const std::out_of_range&) {
        thrown = true;
    }
    FUZZ_CHECK(thrown || table.RecordCount() == 0);
    return 0;
}
