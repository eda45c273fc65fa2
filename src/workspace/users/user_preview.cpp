#include "workspace/users/user_preview.h"

#include "platform/blank_trim.h"
#include "workspace/tables/user_table.h"

namespace marlin {

namespace {

// Positions of the user table's columns the strip shows, beside those the table names.
enum : int { kRealName = 2, kDescription = 3, kUrl = 4, kLocation = 6, kFavourites = 13 };

}  // namespace

std::string UserPreview::Text(const ReportList& table, int row) {
    if (row < 0 || row >= table.RowCount() || table.ColumnCount() < UserTable::kColumnCount) return {};
    const auto cell = [&](int column) { return Trimmed(table.Cell(row, column)); };
    std::string text = "@";
    text += cell(UserTable::kScreenName);
    if (const std::string name = cell(kRealName); !name.empty()) text += " (" + name + ")";
    text += " \xE2\x80\x94 since " + cell(UserTable::kCreatedAt) + "\n\n";
    if (const std::string description = cell(kDescription); !description.empty())
        text += description + "\n\n";
    for (const int column : {kUrl, kLocation})
        if (const std::string value = cell(column); !value.empty()) text += value + "\n";
    text += cell(UserTable::kFollowers) + " followers \xC2\xB7 " + cell(UserTable::kFriends) +
            " friends \xC2\xB7 " + cell(UserTable::kStatusCount) + " tweets \xC2\xB7 " + cell(kFavourites) +
            " favourites";
    return text;
}

}  // namespace marlin
