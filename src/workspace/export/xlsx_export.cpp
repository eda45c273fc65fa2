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
#include "workspace/export/table_file_reader.h"
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

    // The sheet's rows from `first` on, as many as a sheet holds, under the given name.
    // False when a cell could not be written or the stop flag was raised.
    bool AddSheet(const XlsxExport::Sheet& sheet, const std::string& name, int first,
                  const ExportOptions& options) {
        const ReportList& table = *sheet.table;
        const int rows = std::min(table.RowCount() - first, options.sheetRows - 1);
        lxw_worksheet* out = workbook_add_worksheet(m_book, XlsxExport::SheetName(name).c_str());
        if (!out) return false;
        const int columns = table.ColumnCount();
        SetColumns(out, sheet, columns);
        for (int position = 0; position < columns; ++position)
            worksheet_write_string(out, 0, static_cast<lxw_col_t>(position),
                                   XlsxExport::CellText(table.Column(position).header).c_str(),
                                   m_formats.header);
        bool good = true;
        for (int row = 0; row < rows && good; ++row) {
            if (row % ExportOptions::kRowsPerCheck == 0 && options.Stopped()) return false;
            for (int position = 0; position < columns && good; ++position)
                good = WriteCell(out, static_cast<lxw_row_t>(row + 1), static_cast<lxw_col_t>(position),
                                 KindOf(sheet, position), table.Cell(first + row, position));
        }
        worksheet_freeze_panes(out, 1, 0);
        if (columns > 0)
            worksheet_autofilter(out, 0, 0, static_cast<lxw_row_t>(rows),
                                 static_cast<lxw_col_t>(columns - 1));
        return good;
    }

  private:
    static CellKind KindOf(const XlsxExport::Sheet& sheet, int position) {
        const auto at = static_cast<std::size_t>(position);
        return at < sheet.kinds.size() ? sheet.kinds[at] : CellKind::Text;
    }

    void SetColumns(lxw_worksheet* out, const XlsxExport::Sheet& sheet, int columns) const {
        for (int position = 0; position < columns; ++position) {
            const CellKind kind = KindOf(sheet, position);
            const double width = kind == CellKind::Text ? kWideColumnWidth / 2 : kDefaultColumnWidth;
            const auto column = static_cast<lxw_col_t>(position);
            worksheet_set_column(out, column, column, kind == CellKind::Date ? 20 : width,
                                 kind == CellKind::Id ? m_formats.text : nullptr);
        }
    }

    bool WriteCell(lxw_worksheet* out, lxw_row_t row, lxw_col_t column, CellKind kind,
                   std::string_view cell) {
        const std::string_view text = TrimBlanks(cell);
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

bool XlsxExport::Write(const std::string& fileName, const std::vector<Sheet>& sheets,
                       const ExportOptions& options) {
    AtomicFile file(fileName);
    if (!file.Good()) return false;
    const std::filesystem::path target(fileName);
    std::string folder = target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    lxw_workbook_options settings{};
    // Rows go straight to a temporary file rather than staying in memory: a 200,000-row
    // table is written in one pass.
    settings.constant_memory = LXW_TRUE;
    settings.tmpdir = folder.data();
    lxw_workbook* book = workbook_new_opt(file.TemporaryPath().c_str(), &settings);
    if (!book) return false;
    WorkbookWriter writer(book);
    bool good = true;
    for (const Sheet& sheet : sheets) {
        good = good && sheet.table;
        if (!good) break;
        const int rows = sheet.table->RowCount();
        const int perSheet = std::max(options.sheetRows - 1, 1);
        for (int first = 0, part = 1; good && (first < rows || part == 1); first += perSheet, ++part)
            good = writer.AddSheet(sheet, ContinuedName(sheet.name, part), first, options);
        if (good && rows > perSheet)
            options.Tell(fileName + ": " + Thousands(rows) + " rows of " + SheetName(sheet.name) +
                         " are more than a sheet holds (" + Thousands(options.sheetRows) +
                         " rows, the header included); the rest follow in the sheets " +
                         ContinuedName(sheet.name, 2) + " onwards");
    }
    if (!good || options.Stopped()) {
        // Nothing is packed: the temporary file goes with the writer.
        lxw_workbook_free(book);
        return false;
    }
    return CloseWorkbook(book, options) && file.Commit();
}

bool XlsxExport::TweetsFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                     const ExportOptions& options) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table, options)) return false;
    return Write(xlsxFile, {TweetsSheet(table)}, options);
}

bool XlsxExport::UsersFromTableFile(const std::string& tableFile, const std::string& xlsxFile,
                                    const ExportOptions& options) {
    ReportList table;
    if (!TableFileReader::ReadUsers(tableFile, table, options)) return false;
    const std::string name = std::filesystem::path(tableFile).stem().string();
    return Write(xlsxFile, {UsersSheet(table, name)}, options);
}

}  // namespace marlin
