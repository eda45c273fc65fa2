#include "workspace/export/cell_kinds.h"

#include <charconv>

#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/tables/tweet_time.h"
#include "workspace/tables/user_table.h"

namespace marlin {
namespace {

// A spreadsheet keeps this many significant digits of a number.
constexpr std::size_t kSpreadsheetDigits = 15;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::vector<CellKind> CellKinds::ByAlignment(const ReportList& table, int idColumn, int dateColumn) {
    std::vector<CellKind> kinds;
    for (int position = 0; position < table.ColumnCount(); ++position) {
        if (position == idColumn)
            kinds.push_back(CellKind::Id);
        else if (position == dateColumn)
            kinds.push_back(CellKind::Date);
        else
            kinds.push_back(table.Column(position).alignment == Alignment::Right ? CellKind::Number
                                                                                 : CellKind::Text);
    }
    return kinds;
}

std::vector<CellKind> CellKinds::ForTweets(const ReportList& tweets) {
    return ByAlignment(tweets, TweetColumn::TweetID, TweetColumn::DateTime);
}

std::vector<CellKind> CellKinds::ForUsers(const ReportList& users) {
    return ByAlignment(users, UserTable::kId, UserTable::kCreatedAt);
}

std::optional<double> CellKinds::Number(std::string_view cell) {
    const std::string_view text = TrimBlanks(cell);
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::size_t integerStart = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    const std::size_t integerDigits = at - integerStart;
    if (integerDigits == 0 || (integerDigits > 1 && text[integerStart] == '0')) return std::nullopt;
    std::size_t fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) ++at, ++fractionDigits;
        if (fractionDigits == 0) return std::nullopt;
    }
    if (at != text.size() || integerDigits + fractionDigits > kSpreadsheetDigits) return std::nullopt;
    // from_chars, unlike strtod, reads the point whatever the user's locale says.
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::optional<std::string> CellKinds::IsoDate(std::string_view cell) {
    const std::optional<long long> seconds = TweetTime::Seconds(cell);
    if (!seconds) return std::nullopt;
    return TweetTime::Iso(*seconds) + "Z";
}

}  // namespace marlin
