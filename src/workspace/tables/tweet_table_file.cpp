#include "workspace/tables/tweet_table_file.h"

#include <array>
#include <cstdlib>
#include <stdexcept>

#include "core/atomic_file.h"
#include "core/code_page.h"
#include "core/exact_text.h"
#include "platform/blank_trim.h"

namespace marlin {

namespace {

// A score field read as a number; anything that is not one makes the file unreadable.
double ScoreValue(std::string_view field) {
    const std::string_view trimmed = TrimBlanks(field);
    if (trimmed.empty()) throw std::invalid_argument("empty score");
    // strtod reads up to a NUL; a score of a few characters (every one of 200,000 rows has
    // two) is copied onto the stack rather than into a string of its own.
    std::array<char, 32> shortText{};
    std::string longText;
    const char* text = shortText.data();
    if (trimmed.size() < shortText.size()) {
        trimmed.copy(shortText.data(), trimmed.size());
    } else {
        longText = trimmed;
        text = longText.c_str();
    }
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end != text + trimmed.size())
        throw std::invalid_argument("score is not a number: " + std::string(trimmed));
    return value;
}

}  // namespace

bool TweetTableFile::Load(MarlinData& data, const std::string& fileName, bool* zeroScores) {
    if (!data.Load(fileName)) return false;
    // The zero check reads the first data record: record 2 under a header line, record 1
    // in a file saved without headers. A file with no data record, or scores that are not
    // numbers in any record, make the file unreadable (Value and ScoreValue throw).
    const int first = data.Value(1, 1) == "DateTime" ? 2 : 1;
    for (int record = first + 1; record <= data.RecordCount(); ++record) {
        ScoreValue(data.Cell(record, MarlinData::kPositiveColumn));
        ScoreValue(data.Cell(record, MarlinData::kNegativeColumn));
    }
    *zeroScores = ScoreValue(data.Cell(first, MarlinData::kPositiveColumn)) == 0 &&
                  ScoreValue(data.Cell(first, MarlinData::kNegativeColumn)) == 0;
    return true;
}

bool TweetTableFile::Write(const TweetTable& table, const std::string& fileName, bool headers) {
    const ReportList& rows = table.Rows();
    AtomicFile file(fileName);
    std::string text;
    // Exact texts keep every character: UTF-8, marked as such for the readers that tell.
    const bool utf8 = table.Utf8();
    if (utf8) file.Append(ExactText::kUtf8Mark);
    auto flush = [&] {
        file.Append(utf8 ? text : CodePage::ToWindows1252(text));
        text.clear();
    };
    if (headers) {
        for (int position = 0; position < TweetColumn::Count; ++position) {
            if (position > 0) text += '\t';
            text += TweetTable::kHeaders[position];
        }
        text += "\r\n";
    }
    const int count = rows.RowCount();
    for (int row = 0; row < count && file.Good(); ++row) {
        // The row text as shown; the padding of the numbers is not stored.
        text += rows.Text(row);
        text += '\t';
        for (int position = 1; position < TweetColumn::Count; ++position) {
            text += TrimBlanks(rows.Cell(row, position));
            text += '\t';
        }
        text += "\r\n";
        if (text.size() >= (1u << 20)) flush();
    }
    flush();
    return file.Commit();
}

}  // namespace marlin
