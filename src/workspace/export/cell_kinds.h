#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/report_list.h"

namespace marlin {

// Coordinates and Banner are texts whose table files hold a placeholder where there is no
// value: "null" (a tweet without coordinates) and "/web" (a user without a banner).
enum class CellKind { Text, Id, Date, Number, Coordinates, Banner };

// What the cells of a table's column are, for the exports that hand a table to other
// programs: ids stay texts of every digit, dates are read in whichever form the table holds
// them, and numbers are numbers only in the right-aligned columns (a tweet that reads "42"
// is still a text).
class CellKinds {
  public:
    // The Tweets table: TweetID an id, DateTime a date.
    static std::vector<CellKind> ForTweets(const ReportList& tweets);
    // A user table: ID an id, CreatedAt a date.
    static std::vector<CellKind> ForUsers(const ReportList& users);
    // Any table: the right-aligned columns numbers, the rest texts, and the columns named
    // (if any) an id and a date.
    static std::vector<CellKind> ByAlignment(const ReportList& table, int idColumn = -1, int dateColumn = -1);

    // The cell as an export for other programs holds it: a placeholder for no value is no
    // value there, while the table files keep it as they always have.
    static std::string_view Value(std::string_view cell, CellKind kind);
    // The kinds whose cells are texts in a workbook (a text width, no number format).
    static bool Textual(CellKind kind);

    // A cell of a number column as a number: an optional minus, digits and an optional
    // fraction, with no more digits than a spreadsheet keeps and no leading zero a number
    // would drop. Nothing for anything else.
    static std::optional<double> Number(std::string_view cell);
    // "2026-12-09T08:28:09Z": the table's times are the service's UTC times, whichever form
    // they are shown in. Nothing when the cell holds no date.
    static std::optional<std::string> IsoDate(std::string_view cell);
};

}  // namespace marlin
