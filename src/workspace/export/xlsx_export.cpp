#include "workspace/export/xlsx_export.h"

#include <xlsxwriter.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/atomic_file.h"
#include "core/code_page.h"
#include "core/xml_text.h"
#include "platform/blank_trim.h"
#include "workspace/export/table_file_rows.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

// Excel counts days from 1899-12-30; 1970-01-01 is day 25569.
constexpr double kUnixEpochSerial = 25569.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kDefaultColumnWidth = 14;
constexpr double kWideColumnWidth = 60;

// Printable ASCII needs no cleaning; anything else goes through XmlText.
bool PlainAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80 || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

struct Formats {
    lxw_format* header = nullptr;
    lxw_format* date = nullptr;
    lxw_format* text = nullptr;  // the "@" number format: a cell typed into stays a text
};

// "Tweets", then "Tweets (2)", "Tweets (3)"… for the rows a sheet cannot hold.
std::string ContinuedName(const std::string& name, int part) {
    if (part == 1) return name;
    const std::string suffix = " (" + std::to_string(part) + ")";
    return XlsxExport::SheetName(name).substr(0, 31 - suffix.size()) + suffix;
}

std::string Thousands(long long number) {
    const std::string digits = std::to_string(number);
    std::string out;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) out += ',';
        out += digits[at];
    }
    return out;
}

class WorkbookWriter {
  public:
    WorkbookWriter(lxw_workbook* book) : m_book(book) {
        m_formats.header = workbook_add_format(book);
        format_set_bold(m_formats.header);
        m_formats.date = workbook_add_format(book);
        format_set_num_format(m_formats.date, "yyyy-mm-dd hh:mm:ss");
        m_formats.text = workbook_add_format(book);
        format_set_num_format(m_formats.text, "@");
    }

    // A sheet of that name with the header row; the rows follow by WriteRow, and EndSheet
    // finishes it. False when the sheet could not be added.
    bool BeginSheet(const std::string& name, const ReportList& shape, const std::vector<CellKind>& kinds) {
        m_sheet = workbook_add_worksheet(m_book, XlsxExport::SheetName(name).c_str());
        if (!m_sheet) return false;
        m_kinds = kinds;
        m_kinds.resize(static_cast<std::size_t>(shape.ColumnCount()), CellKind::Text);
        m_rows = 0;
        SetColumns();
        for (int position = 0; position < shape.ColumnCount(); ++position)
            worksheet_write_string(m_sheet, 0, static_cast<lxw_col_t>(position),
                                   XlsxExport::CellText(shape.Column(position).header).c_str(),
                                   m_formats.header);
        return true;
    }

    // The next row, cellOf(k) giving the cell of column k. False when a cell could not be written.
    template <typename CellOf>
    bool WriteRow(CellOf cellOf) {
        ++m_rows;
        for (std::size_t position = 0; position < m_kinds.size(); ++position)
            if (!WriteCell(static_cast<lxw_row_t>(m_rows), static_cast<lxw_col_t>(position),
                           m_kinds[position], cellOf(position)))
                return false;
        return true;
    }

    // The header stays in sight and filters the rows written.
    void EndSheet() {
        worksheet_freeze_panes(m_sheet, 1, 0);
        if (!m_kinds.empty())
            worksheet_autofilter(m_sheet, 0, 0, static_cast<lxw_row_t>(m_rows),
                                 static_cast<lxw_col_t>(m_kinds.size() - 1));
    }

    // A table in as many sheets as its rows need: "Tweets", "Tweets (2)"…
    bool BeginTable(const std::string& name, const ReportList& shape, const std::vector<CellKind>& kinds,
                    int sheetRows) {
        m_name = name;
        m_shape = &shape;
        m_tableKinds = kinds;
        m_part = 1;
        m_tableRows = 0;
        m_perSheet = std::max(sheetRows - 1, 1);
        return BeginSheet(ContinuedName(name, 1), shape, kinds);
    }

    template <typename CellOf>
    bool AddRow(CellOf cellOf) {
        if (m_rows == m_perSheet) {
            EndSheet();
            if (!BeginSheet(ContinuedName(m_name, ++m_part), *m_shape, m_tableKinds)) return false;
        }
        ++m_tableRows;
        return WriteRow(cellOf);
    }

    // Ends the last sheet of the table; the user hears when its rows needed more than one.
    void EndTable(const std::string& fileName, const ExportOptions& options) {
        EndSheet();
        if (m_tableRows > m_perSheet)
            options.Tell(fileName + ": " + Thousands(m_tableRows) + " rows of " +
                         XlsxExport::SheetName(m_name) + " are more than a sheet holds (" +
                         Thousands(options.sheetRows) +
                         " rows, the header included); the rest follow in the sheets " +
                         ContinuedName(m_name, 2) + " onwards");
    }

  private:
    void SetColumns() const {
        for (std::size_t position = 0; position < m_kinds.size(); ++position) {
            const CellKind kind = m_kinds[position];
            const double width = CellKinds::Textual(kind) ? kWideColumnWidth / 2 : kDefaultColumnWidth;
            const auto column = static_cast<lxw_col_t>(position);
            worksheet_set_column(m_sheet, column, column, kind == CellKind::Date ? 20 : width,
                                 kind == CellKind::Id ? m_formats.text : nullptr);
        }
    }

    bool WriteCell(lxw_row_t row, lxw_col_t column, CellKind kind, std::string_view cell) {
        lxw_worksheet* out = m_sheet;
        const std::string_view text = TrimBlanks(CellKinds::Value(cell, kind));
        if (text.empty()) return true;
        if (kind == CellKind::Number) {
            if (const std::optional<double> number = CellKinds::Number(text))
                return worksheet_write_number(out, row, column, *number, nullptr) == LXW_NO_ERROR;
        } else if (kind == CellKind::Date) {
            if (const std::optional<long long> seconds = TweetTime::Seconds(text)) {
                const double serial = static_cast<double>(*seconds) / kSecondsPerDay + kUnixEpochSerial;
                return worksheet_write_number(out, row, column, serial, m_formats.date) == LXW_NO_ERROR;
            }
        }
        lxw_format* format = kind == CellKind::Id ? m_formats.text : nullptr;
        if (text.size() <= XlsxExport::kMaxCellBytes && PlainAscii(text))
            m_buffer.assign(text);
        else
            m_buffer = XlsxExport::CellText(text);
        return worksheet_write_string(out, row, column, m_buffer.c_str(), format) == LXW_NO_ERROR;
    }

    lxw_workbook* m_book;
    Formats m_formats;
    std::string m_buffer;
    lxw_worksheet* m_sheet = nullptr;
    std::vector<CellKind> m_kinds;
    int m_rows = 0;  // of the sheet, the header not counted
    std::string m_name;
    const ReportList* m_shape = nullptr;
    std::vector<CellKind> m_tableKinds;
    int m_part = 1;
    long long m_tableRows = 0;
    int m_perSheet = 1;
};

bool Exited(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Packs the workbook into its file. libxlsxwriter's close zips the sheets, which takes
// most of a big export's time (13 of 21 s for 400,000 rows) and has no way to be
// interrupted. When the caller can ask for a stop, the close runs in a child process
// that the stop ends at once; the file it was filling is then removed with the writer.
bool CloseWorkbook(lxw_workbook* book, const ExportOptions& options) {
    if (!options.stop) return workbook_close(book) == LXW_NO_ERROR;
    const pid_t child = ::fork();
    if (child < 0) return workbook_close(book) == LXW_NO_ERROR;
    if (child == 0) ::_exit(workbook_close(book) == LXW_NO_ERROR ? 0 : 1);
    constexpr useconds_t kPollMicroseconds = 20000;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) break;
        if ((done < 0 && errno != EINTR) || options.Stopped()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            status = -1;
            break;
        }
        ::usleep(kPollMicroseconds);
    }
    // This process's copy of the workbook was never closed: its memory and its own
    // handles on the sheets' temporary files go.
    lxw_workbook_free(book);
    return status != -1 && Exited(status);
}

}  // namespace

XlsxExport::Sheet XlsxExport::TweetsSheet(const ReportList& tweets) {
    return Sheet{"Tweets", &tweets, CellKinds::ForTweets(tweets)};
}

XlsxExport::Sheet XlsxExport::UsersSheet(const ReportList& users, const std::string& name) {
    return Sheet{name, &users, CellKinds::ForUsers(users)};
}

std::string XlsxExport::SheetName(std::string_view name) {
    std::string out;
    for (std::size_t at = 0; at < name.size() && CharacterCount(out) < 31;) {
        const char32_t code = CodePage::NextCodePoint(name, at);
        if (std::u32string_view(U"[]:*?/\\'").find(code) != std::u32string_view::npos || code < 0x20 ||
            !XmlText::Allowed(code))
            out += '_';
        else
            CodePage::AppendUtf8(out, code);
    }
    return out.empty() ? "Sheet" : out;
}

std::string XlsxExport::CellText(std::string_view cell) {
    std::string out;
    out.reserve(std::min(cell.size(), kMaxCellBytes));
    for (std::size_t at = 0; at < cell.size();) {
        const std::size_t before = out.size();
        const char32_t character = CodePage::NextCodePoint(cell, at);
        if (!XmlText::Allowed(character)) continue;
        CodePage::AppendUtf8(out, character);
        if (out.size() > kMaxCellBytes) {
            out.resize(before);
            break;
        }
    }
    return out;
}

namespace {

// Makes the workbook's file through the atomic writer: `sheets` adds the sheets to the
// writer, and the workbook is packed and committed when it says they are whole.
template <typename Sheets>
bool WriteWorkbook(const std::string& fileName, const ExportOptions& options, Sheets sheets) {
    AtomicFile file(fileName);
    if (!file.Good()) return false;
    const std::filesystem::path target(fileName);
    std::string folder = target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    lxw_workbook_options settings{};
    // Rows go straight to a temporary file rather than staying in memory: a table of any
    // size is written in one pass and the same memory.
    settings.constant_memory = LXW_TRUE;
    settings.tmpdir = folder.data();
    lxw_workbook* book = workbook_new_opt(file.TemporaryPath().c_str(), &settings);
    if (!book) return false;
    WorkbookWriter writer(book);
    if (!sheets(writer) || options.Stopped()) {
        // Nothing is packed: the temporary file goes with the writer.
        lxw_workbook_free(book);
        return false;
    }
    return CloseWorkbook(book, options) && file.Commit();
}

bool TimeToLook(long long row) {
    return row % ExportOptions::kRowsPerCheck == 0;
}

// A table file's rows as one table of the workbook, under the header of `shape`.
template <typename EachRow>
bool WriteFileRows(const std::string& xlsxFile, const std::string& name, const ReportList& shape,
                   const std::vector<CellKind>& kinds, const ExportOptions& options, EachRow eachRow) {
    return WriteWorkbook(xlsxFile, options, [&](WorkbookWriter& writer) {
        if (!writer.BeginTable(name, shape, kinds, options.sheetRows)) return false;
        long long row = 0;
        const bool whole = eachRow([&](const auto& cells) {
            if (TimeToLook(row++) && options.Stopped()) return false;
            return writer.AddRow([&cells](std::size_t position) {
                return position < cells.size() ? cells[position] : std::string_view();
            });
        });
        if (whole) writer.EndTable(xlsxFile, options);
        return whole;
    });
}

}  // namespace

bool XlsxExport::Write(const std::string& fileName, const std::vector<Sheet>& sheets,
                       const ExportOptions& options) {
    return WriteWorkbook(fileName, options, [&](WorkbookWriter& writer) {
        for (const Sheet& sheet : sheets) {
            if (!sheet.table) return false;
            const ReportList& table = *sheet.table;
            if (!writer.BeginTable(sheet.name, table, sheet.kinds, options.sheetRows)) return false;
            for (int row = 0; row < table.RowCount(); ++row) {
                if (TimeToLook(row) && options.Stopped()) return false;
                if (!writer.AddRow(
                        [&](std::size_t position) { return table.Cell(row, static_cast<int>(position)); }))
                    return false;
            }
            writer.EndTable(fileName, options);
        }
        return true;
    });
}

bool XlsxExport::TweetsFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                     const ExportOptions& options) {
    ReportList shape;
    TableFileRows::AddTweetColumns(shape);
    return WriteFileRows(xlsxFile, "Tweets", shape, CellKinds::ForTweets(shape), options,
                         [&](const auto& row) { return TableFileRows::EachTweet(tableFile, row, options); });
}

bool XlsxExport::UsersFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                    const ExportOptions& options) {
    ReportList shape;
    TableFileRows::AddUserColumns(shape);
    const std::string name = std::filesystem::path(tableFile).stem().string();
    return WriteFileRows(xlsxFile, name, shape, CellKinds::ForUsers(shape), options,
                         [&](const auto& row) { return TableFileRows::EachUser(tableFile, row, options); });
}

}  // namespace marlin
