// The prefs reader on arbitrary file contents: the tagged lines, the rebuilt history
// entries and the column widths, read from text and from the file alike.

#include "core/code_page.h"
#include "core/tweet_column.h"
#include "fuzz_support.h"
#include "workspace/session/preferences.h"

using marlin::Preferences;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = marlin::fuzz::Text(data, size);
    const auto lines = Preferences::Read(marlin::fuzz::WriteScratch("prefs", bytes));
    FUZZ_CHECK(lines.has_value());
    const auto parsed = Preferences::Parse(marlin::CodePage::FromWindows1252(bytes));
    FUZZ_CHECK(lines->size() == parsed.size());

    std::vector<std::string> queries, timelines;
    std::string language;
    for (const Preferences::Line& line : *lines) {
        switch (line.tag) {
            case Preferences::Tag::Query: {
                queries.push_back(line.value);
                const auto [query, file] = Preferences::SplitQueryEntry(line.value);
                FUZZ_CHECK(line.value.rfind(query, 0) == 0);
                break;
            }
            case Preferences::Tag::Timeline:
                timelines.push_back(line.value);
                break;
            case Preferences::Tag::Language:
                language = line.value;
                break;
            case Preferences::Tag::Widths:
                for (int columns : {1, 3, TweetColumn::Count}) {
                    if (const auto widths = Preferences::ParseWidths(line.value, columns)) {
                        FUZZ_CHECK(static_cast<int>(widths->size()) == columns);
                        for (int w : *widths) FUZZ_CHECK(w >= 0);
                    }
                }
                break;
        }
    }
    // What was read can be written again and reads back as many lines.
    const std::string text = Preferences::Format(queries, timelines, language, {});
    const auto again = Preferences::Parse(text);
    FUZZ_CHECK(again.size() >= queries.size() + timelines.size() + 1);
    return 0;
}
