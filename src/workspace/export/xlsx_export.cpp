#include "workspace/export/xlsx_export.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/code_page.h"
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

bool Ascii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
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

    bool AddSheet(const XlsxExport::Sheet& sheet) {
        const ReportList& table = *sheet.table;
        if (table.RowCount() + 1 > XlsxExport::kMaxRows) return false;
        lxw_worksheet* out = workbook_add_worksheet(m_book, XlsxExport::SheetName(sheet.name).c_str());
        if (!out) return false;
        const int columns = table.ColumnCount();
        SetColumns(out, sheet, columns);
        for (int position = 0; position < columns; ++position)
            worksheet_write_string(out, 0, static_cast<lxw_col_t>(position),
                                   XlsxExport::CellText(table.Column(position).header).c_str(),
                                   m_formats.header);
        bool good = true;
        for (int row = 0; row < table.RowCount() && good; ++row)
            for (int position = 0; position < columns && good; ++position)
                good = WriteCell(out, static_cast<lxw_row_t>(row + 1), static_cast<lxw_col_t>(position),
                                 KindOf(sheet, position), table.Cell(row, position));
        worksheet_freeze_panes(out, 1, 0);
        if (columns > 0)
            worksheet_autofilter(out, 0, 0, static_cast<lxw_row_t>(table.RowCount()),
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
        if (text.size() <= XlsxExport::kMaxCellBytes && Ascii(text))
            m_buffer.assign(text);
        else
            m_buffer = XlsxExport::CellText(text);
        return worksheet_write_string(out, row, column, m_buffer.c_str(), format) == LXW_NO_ERROR;
    }

    lxw_workbook* m_book;
    Formats m_formats;
    std::string m_buffer;
};

// A name for the workbook beside the target that no other writer has.
std::string TemporaryBeside(const std::filesystem::path& target) {
    // Built in steps: GCC 12 warns of a false overlap in the one-expression form.
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    std::string pattern = (target.parent_path() / name).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return {};
    // mkstemp makes the file for its owner alone; the workbook gets what a plain create gives.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return pattern;
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
        const std::size_t start = at;
        const char32_t code = CodePage::NextCodePoint(name, at);
        if (std::u32string_view(U"[]:*?/\\'").find(code) != std::u32string_view::npos || code < 0x20)
            out += '_';
        else
            out.append(name.substr(start, at - start));
    }
    return out.empty() ? "Sheet" : out;
}

std::string XlsxExport::CellText(std::string_view cell) {
    std::string out;
    out.reserve(std::min(cell.size(), kMaxCellBytes));
    for (std::size_t at = 0; at < cell.size();) {
        const std::size_t before = out.size();
        CodePage::AppendUtf8(out, CodePage::NextCodePoint(cell, at));
        if (out.size() > kMaxCellBytes) {
            out.resize(before);
            break;
        }
    }
    return out;
}

bool XlsxExport::Write(const std::string& fileName, const std::vector<Sheet>& sheets) {
    const std::filesystem::path target(fileName);
    const std::string temporary = TemporaryBeside(target);
    if (temporary.empty()) return false;
    std::string folder = target.parent_path().empty() ? std::string(".") : target.parent_path().string();
    lxw_workbook_options options{};
    // Rows go straight to a temporary file rather than staying in memory: a 200,000-row
    // table is written in one pass.
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    lxw_workbook* book = workbook_new_opt(temporary.c_str(), &options);
    bool good = book != nullptr;
    if (good) {
        WorkbookWriter writer(book);
        for (const Sheet& sheet : sheets) good = good && sheet.table && writer.AddSheet(sheet);
        good = workbook_close(book) == LXW_NO_ERROR && good;
    }
    std::error_code renameError, removeError;
    if (good) std::filesystem::rename(temporary, target, renameError);
    if (!good || renameError) std::filesystem::remove(temporary, removeError);
    return good && !renameError;
}

bool XlsxExport::TweetsFromTableFile(const std::string& tableFile, const std::string& xlsxFile) {
    ReportList table;
    if (!TableFileReader::ReadTweets(tableFile, table)) return false;
    return Write(xlsxFile, {TweetsSheet(table)});
}

bool XlsxExport::UsersFromTableFile(const std::string& tableFile, const std::string& xlsxFile) {
    ReportList table;
    if (!TableFileReader::ReadUsers(tableFile, table)) return false;
    const std::string name = std::filesystem::path(tableFile).stem().string();
    return Write(xlsxFile, {UsersSheet(table, name)});
}

}  // namespace marlin
