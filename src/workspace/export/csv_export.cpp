#include "workspace/export/csv_export.h"

#include "core/atomic_file.h"
#include "platform/blank_trim.h"
#include "workspace/export/table_file_reader.h"

namespace marlin {

bool CsvExport::StartsFormula(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
        return false;
    // A plain number ("-1", a negative score) is read as the number it is, never run.
    return !CellKinds::Number(text);
}

std::string CsvExport::Field(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    std::string out;
    out.reserve(text.size() + 3);
    out += '"';
    if (StartsFormula(text)) out += '\'';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string CsvExport::DateField(std::string_view cell) {
    const std::optional<std::string> iso = CellKinds::IsoDate(cell);
    return iso ? Field(*iso) : Field(cell);
}

namespace {

// Writes the header record, then hands each row's record to `sink` once it is whole.
template <typename Sink>
bool EachRecord(const ReportList& table, const std::vector<CellKind>& kinds, Sink sink) {
    const int columns = table.ColumnCount();
    std::vector<bool> isDate(static_cast<std::size_t>(columns), false);
    for (std::size_t position = 0; position < kinds.size() && position < isDate.size(); ++position)
        isDate[position] = kinds[position] == CellKind::Date;

    std::string record;
    for (int position = 0; position < columns; ++position) {
        if (position > 0) record += ',';
        record += CsvExport::Field(table.Column(position).header);
    }
    record += "\r\n";
    if (!sink(record, -1)) return false;
    const int rows = table.RowCount();
    for (int row = 0; row < rows; ++row) {
        record.clear();
        for (int position = 0; position < columns; ++position) {
            if (position > 0) record += ',';
            const std::string_view cell = table.Cell(row, position);
            record += isDate[static_cast<std::size_t>(position)] ? CsvExport::DateField(cell)
                                                                 : CsvExport::Field(cell);
        }
        record += "\r\n";
        if (!sink(record, row)) return false;
    }
    return true;
}

}  // namespace

std::string CsvExport::Text(const ReportList& table, const std::vector<CellKind>& kinds) {
    std::string out(kByteOrderMark);
    EachRecord(table, kinds, [&out](const std::string& record, int) {
        out += record;
        return true;
    });
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

bool CsvExport::Write(const std::string& fileName, const ReportList& table,
                      const std::vector<CellKind>& kinds, const ExportOptions& options) {
    AtomicFile file(fileName);
    std::string chunk(kByteOrderMark);
    const bool whole = EachRecord(table, kinds, [&](const std::string& record, int row) {
        chunk += record;
        if (chunk.size() >= (1u << 20)) {
            file.Append(chunk);
            chunk.clear();
        }
        return file.Good() && (row % ExportOptions::kRowsPerCheck != 0 || !options.Stopped());
    });
    // A stopped export writes nothing: the temporary file goes with the writer.
    if (!whole || options.Stopped()) return false;
    file.Append(chunk);
    return file.Commit();
}

bool CsvExport::TweetsFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                    const ExportOptions& options) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table, options)) return false;
    return Write(csvFile, table, CellKinds::ForTweets(table), options);
}

bool CsvExport::UsersFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                   const ExportOptions& options) {
    ReportList table;
    if (!TableFileReader::ReadUsers(tableFile, table, options)) return false;
    return Write(csvFile, table, CellKinds::ForUsers(table), options);
}

}  // namespace marlin
