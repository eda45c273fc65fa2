#include "workspace/export/csv_export.h"

#include "core/atomic_file.h"
#include "platform/blank_trim.h"
#include "workspace/export/table_file_reader.h"

namespace marlin {
namespace {

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

}  // namespace

std::string CsvExport::Field(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    std::string out;
    out.reserve(text.size() + 2);
    AppendQuoted(out, text);
    return out;
}

std::string CsvExport::DateField(std::string_view cell) {
    const std::optional<std::string> iso = CellKinds::IsoDate(cell);
    return iso ? Field(*iso) : Field(cell);
}

std::string CsvExport::Text(const ReportList& table, const std::vector<CellKind>& kinds) {
    const int columns = table.ColumnCount();
    std::vector<bool> isDate(static_cast<std::size_t>(columns), false);
    for (std::size_t position = 0; position < kinds.size() && position < isDate.size(); ++position)
        isDate[position] = kinds[position] == CellKind::Date;

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
            const auto at = static_cast<std::size_t>(position);
            const std::string_view cell =
                CellKinds::Value(table.Cell(row, position), at < kinds.size() ? kinds[at] : CellKind::Text);
            out += isDate[at] ? DateField(cell) : Field(cell);
        }
        out += "\r\n";
    }
    return out;
}

std::string CsvExport::TweetsText(const ReportList& tweets) {
    return Text(tweets, CellKinds::ForTweets(tweets));
}

std::string CsvExport::UsersText(const ReportList& users) {
    return Text(users, CellKinds::ForUsers(users));
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
