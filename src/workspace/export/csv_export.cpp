#include "workspace/export/csv_export.h"

#include <algorithm>

#include "core/atomic_file.h"
#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/export/table_file_reader.h"
#include "workspace/users/user_profile_table.h"

namespace marlin {
namespace {

// A spreadsheet keeps this many significant digits of a number.
constexpr std::size_t kSpreadsheetDigits = 15;

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

bool CsvExport::LongDigitRun(std::string_view text) {
    return text.size() > kSpreadsheetDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string CsvExport::Field(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    if (LongDigitRun(text)) return IdField(text);
    std::string out;
    out.reserve(text.size() + 2);
    AppendQuoted(out, text);
    return out;
}

std::string CsvExport::IdField(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    if (text.empty()) return "\"\"";
    std::string formula = "=\"";
    formula += text;
    formula += '"';
    std::string out;
    AppendQuoted(out, formula);
    return out;
}

std::string CsvExport::Text(const ReportList& table, const std::vector<int>& idColumns) {
    const int columns = table.ColumnCount();
    std::vector<bool> isId(static_cast<std::size_t>(columns), false);
    for (const int position : idColumns)
        if (position >= 0 && position < columns) isId[static_cast<std::size_t>(position)] = true;

    std::string out(kByteOrderMark);
    for (int position = 0; position < columns; ++position) {
        if (position > 0) out += ',';
        out += Field(table.Column(position).header);
    }
    out += "\r\n";
    const int rows = table.RowCount();
    for (int row = 0; row < rows; ++row) {
        for (int position = 0; position < columns; ++position) {
            if (position > 0) out += ',';
            const std::string_view cell = table.Cell(row, position);
            out += isId[static_cast<std::size_t>(position)] ? IdField(cell) : Field(cell);
        }
        out += "\r\n";
    }
    return out;
}

std::string CsvExport::TweetsText(const ReportList& tweets) {
    return Text(tweets, {TweetColumn::TweetID});
}

std::string CsvExport::UsersText(const ReportList& users) {
    return Text(users, {UserProfileTable::kId});
}

bool CsvExport::Write(const std::string& fileName, const std::string& text) {
    return AtomicFile::Write(fileName, text);
}

bool CsvExport::TweetsFromTableFile(const std::string& tableFile, const std::string& csvFile) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table)) return false;
    return Write(csvFile, TweetsText(table));
}

bool CsvExport::UsersFromTableFile(const std::string& tableFile, const std::string& csvFile) {
    ReportList table;
    if (!TableFileReader::ReadUsers(tableFile, table)) return false;
    return Write(csvFile, UsersText(table));
}

}  // namespace marlin
