#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/cell_kinds.h"
#include "workspace/export/export_options.h"

namespace marlin {

// A table as CSV that spreadsheets and programs read alike: RFC 4180 (a header row,
// records ended by CR LF, every field in double quotes with inner quotes doubled, line
// breaks kept inside their field), UTF-8 behind a byte-order mark so the characters come
// out right, and the padding of the numbers removed.
//
// Ids are written as their plain digits: pandas and R read them whole when told the
// column is a text, and a formula such as ="…" would reach such programs as the formula.
// Dates are ISO 8601 in UTC ("2026-12-09T08:28:09Z"), which every program parses.
//
// A cell that a spreadsheet would run as a formula (one that starts with "=", "+", "-", "@",
// a tab or a carriage return, once its padding is off) is written behind a single quote,
// as OWASP advises for CSV files: the spreadsheet shows the text, and a program reading
// the file sees the quote. Plain numbers ("-1") are numbers, not formulas, and stay as
// they are; ids and ISO dates never start with such a character.
class CsvExport {
  public:
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    // True for a text a spreadsheet would take for a formula.
    static bool StartsFormula(std::string_view text);
    // One quoted field, padding removed, behind a single quote when it starts a formula.
    static std::string Field(std::string_view cell);
    static void AppendField(std::string& out, std::string_view cell);
    // One field of a date column: the ISO form, or the cell as it stands when it holds no date.
    static std::string DateField(std::string_view cell);

    // The whole table with its column headers as the first record; kinds[k] says how
    // column k is written (a column without a kind is text).
    static std::string Text(const ReportList& table, const std::vector<CellKind>& kinds);
    // The Tweets table and a user table with their ids and dates (CellKinds).
    static std::string TweetsText(const ReportList& tweets);
    static std::string UsersText(const ReportList& users);

    // Writes the text through the atomic writer; false when the file could not be written
    // (an earlier file is then left as it was).
    static bool Write(const std::string& fileName, const std::string& text);
    // The table written as Text gives it, a piece at a time; false when the file could not
    // be written or the stop flag was raised (nothing is written then).
    static bool Write(const std::string& fileName, const ReportList& table,
                      const std::vector<CellKind>& kinds, const ExportOptions& options);

    // A saved tweet table file (".txt"/".mtwt") or a whole user table file (".mut") to CSV.
    // False when the table file cannot be read or the CSV cannot be written.
    static bool TweetsFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                    const ExportOptions& options = {});
    static bool UsersFromTableFile(const std::string& tableFile, const std::string& csvFile,
                                   const ExportOptions& options = {});
};

}  // namespace marlin
