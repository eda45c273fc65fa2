#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/report_list.h"

namespace marlin {

// A table as CSV that spreadsheets open without harm: RFC 4180 (a header row, records
// ended by CR LF, every field in double quotes with inner quotes doubled, line breaks kept
// inside their field), UTF-8 behind a byte-order mark so the characters come out right, and
// the padding of the numbers removed.
//
// Ids of 18 and 19 digits are more than a spreadsheet's number keeps (15 significant
// digits), so an id field is written as the formula ="<digits>", which Excel and Google
// Sheets (and LibreOffice Calc when it evaluates formulas on import) turn into the text of
// every digit; it then sorts and matches as text.
// A plain digit field in quotes would not help: the quotes only group the field and the
// spreadsheet still reads a number. Any other field that is a run of more than 15 digits
// gets the same form.
class CsvExport {
  public:
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    // One quoted field, padding removed.
    static std::string Field(std::string_view cell);
    // One id field: ="<digits>" in quotes; an empty cell stays an empty field.
    static std::string IdField(std::string_view cell);

    // The whole table with its column headers as the first record. idColumns are the
    // positions written with IdField.
    static std::string Text(const ReportList& table, const std::vector<int>& idColumns);
    // The Tweets table (TweetID as an id) and a user table (ID as an id).
    static std::string TweetsText(const ReportList& tweets);
    static std::string UsersText(const ReportList& users);

    // Writes the text through the atomic writer; false when the file could not be written
    // (an earlier file is then left as it was).
    static bool Write(const std::string& fileName, const std::string& text);

    // A saved tweet table file (".txt"/".mtwt") or a whole user table file (".mut") to CSV.
    // False when the table file cannot be read or the CSV cannot be written.
    static bool TweetsFromTableFile(const std::string& tableFile, const std::string& csvFile);
    static bool UsersFromTableFile(const std::string& tableFile, const std::string& csvFile);

  private:
    static bool LongDigitRun(std::string_view text);
};

}  // namespace marlin
