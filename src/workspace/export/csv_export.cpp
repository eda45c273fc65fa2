#include "workspace/export/csv_export.h"

#include "core/atomic_file.h"
#include "core/byte_search.h"
#include "platform/blank_trim.h"
#include "workspace/export/table_file_rows.h"

namespace marlin {

bool CsvExport::StartsFormula(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r").find(text.front()) == std::string_view::npos)
        return false;
    // A plain number ("-1", a negative score) is read as the number it is, never run.
    return !CellKinds::Number(text);
}

std::string CsvExport::Field(std::string_view cell) {
    std::string out;
    out.reserve(cell.size() + 3);
    AppendField(out, cell);
    return out;
}

void CsvExport::AppendField(std::string& out, std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    out += '"';
    if (StartsFormula(text)) out += '\'';
    for (std::size_t from = 0;;) {
        // Cells are short: an inline search costs less than a library call per cell.
        const std::size_t quote = ByteSearch::First(text.data(), text.size(), from, '"');
        out.append(text.substr(from, quote == text.size() ? std::string_view::npos : quote + 1 - from));
        if (quote == text.size()) break;
        out += '"';
        from = quote + 1;
    }
    out += '"';
}

std::string CsvExport::DateField(std::string_view cell) {
    const std::optional<std::string> iso = CellKinds::IsoDate(cell);
    return iso ? Field(*iso) : Field(cell);
}

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

void AppendHeader(std::string& out, const ReportList& table) {
    for (int position = 0; position < table.ColumnCount(); ++position) {
        if (position > 0) out += ',';
        CsvExport::AppendField(out, table.Column(position).header);
    }
    out += "\r\n";
}

// One record of `kinds.size()` fields, cellOf(k) giving the cell of column k.
template <typename CellOf>
void AppendRecord(std::string& out, const std::vector<CellKind>& kinds, CellOf cellOf) {
    for (std::size_t position = 0; position < kinds.size(); ++position) {
        if (position > 0) out += ',';
        const std::string_view cell = CellKinds::Value(cellOf(position), kinds[position]);
        if (kinds[position] == CellKind::Date)
            out += CsvExport::DateField(cell);
        else
            CsvExport::AppendField(out, cell);
    }
    out += "\r\n";
}

// The kind of every column of the table (a column without a kind is text).
std::vector<CellKind> EveryKind(const ReportList& table, std::vector<CellKind> kinds) {
    kinds.resize(static_cast<std::size_t>(table.ColumnCount()), CellKind::Text);
    return kinds;
}

// Writes the mark, then what `records` appends to the text, a chunk at a time: `records`
// calls next(row) after each record, which hands a full chunk to the file and says whether
// to go on. A failed or stopped export writes nothing: the temporary file goes with the writer.
template <typename Records>
bool WriteInChunks(const std::string& fileName, const ExportOptions& options, Records records) {
    AtomicFile file(fileName);
    std::string chunk(CsvExport::kByteOrderMark);
    chunk.reserve(kChunkBytes + (kChunkBytes >> 2));
    const auto next = [&](long long row) {
        if (chunk.size() >= kChunkBytes) {
            file.Append(chunk);
            chunk.clear();
        }
        return file.Good() && (row % ExportOptions::kRowsPerCheck != 0 || !options.Stopped());
    };
    if (!records(chunk, next) || options.Stopped()) return false;
    file.Append(chunk);
    return file.Commit();
}

// The header and the table's rows; next(row) after each says whether to go on.
template <typename Next>
bool WriteRows(std::string& out, const ReportList& table, const std::vector<CellKind>& kinds,
               const Next& next) {
    AppendHeader(out, table);
    const std::vector<CellKind> every = EveryKind(table, kinds);
    for (int row = 0; row < table.RowCount(); ++row) {
        AppendRecord(out, every,
                     [&](std::size_t position) { return table.Cell(row, static_cast<int>(position)); });
        if (!next(row)) return false;
    }
    return true;
}

// A table file's rows to CSV under the header of `shape`, as Write gives the same rows.
template <typename EachRow>
bool WriteFileRows(const std::string& csvFile, const ReportList& shape, const std::vector<CellKind>& kinds,
                   const ExportOptions& options, EachRow eachRow) {
    const std::vector<CellKind> every = EveryKind(shape, kinds);
    return WriteInChunks(csvFile, options, [&](std::string& out, const auto& next) {
        AppendHeader(out, shape);
        long long row = 0;
        return eachRow([&](const auto& cells) {
            AppendRecord(out, every, [&cells](std::size_t position) {
                return position < cells.size() ? cells[position] : std::string_view();
            });
            return next(row++);
        });
    });
}

}  // namespace

std::string CsvExport::Text(const ReportList& table, const std::vector<CellKind>& kinds) {
    std::string out(kByteOrderMark);
    WriteRows(out, table, kinds, [](long long) { return true; });
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
    return WriteInChunks(fileName, options, [&](std::string& out, const auto& next) {
        return WriteRows(out, table, kinds, next);
    });
}

bool CsvExport::TweetsFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                    const ExportOptions& options) {
    ReportList shape;
    TableFileRows::AddTweetColumns(shape);
    return WriteFileRows(csvFile, shape, CellKinds::ForTweets(shape), options, [&](const auto& record) {
        return TableFileRows::EachTweet(tableFile, record, options);
    });
}

bool CsvExport::UsersFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                   const ExportOptions& options) {
    ReportList shape;
    TableFileRows::AddUserColumns(shape);
    return WriteFileRows(csvFile, shape, CellKinds::ForUsers(shape), options, [&](const auto& record) {
        return TableFileRows::EachUser(tableFile, record, options);
    });
}

}  // namespace marlin
