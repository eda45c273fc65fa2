#include "workspace/export/table_file_rows.h"

#include <vector>

#include "core/byte_search.h"
#include "core/table_file_lines.h"
#include "platform/blank_trim.h"
#include "workspace/tables/tweet_table.h"
#include "workspace/tables/user_table.h"

namespace marlin {
namespace {

// The 16 cells of a tweet table line; false when it has fewer. Pieces beyond the 16th (the
// empty one after the trailing tab among them) are no part of the row.
bool SplitTweet(std::string_view line, TableFileRows::TweetCells& cells) {
    std::size_t start = 0;
    for (std::size_t column = 0; column < cells.size(); ++column) {
        if (start > line.size()) return false;
        // Cells are short: an inline search costs less than a library call per cell.
        const std::size_t tab = ByteSearch::First(line.data(), line.size(), start, '\t');
        const std::string_view cell = line.substr(start, tab - start);
        cells[column] = column == 0 ? cell : TrimBlanks(cell);
        start = tab + 1;
    }
    return true;
}

void SplitTabs(std::string_view line, std::vector<std::string_view>& cells) {
    cells.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(
            line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
}

bool TimeToLook(long long line) {
    return line % ExportOptions::kRowsPerCheck == 0;
}

}  // namespace

bool TableFileRows::EachTweet(const std::string& fileName, const TweetRow& row,
                              const ExportOptions& options) {
    TableFileLines lines(fileName, TableFileLines::LineEnds::FirstEnd);
    std::string_view line;
    TweetCells cells;
    for (long long number = 1; lines.Next(line); ++number) {
        if (TimeToLook(number) && options.Stopped()) return false;
        if (!SplitTweet(line, cells)) return false;
        if (number == 1 && cells[0] == "DateTime") continue;  // the header line
        if (!row(cells)) return false;
    }
    return lines.Good() && !options.Stopped();
}

bool TableFileRows::EachUser(const std::string& fileName, const UserRow& row, const ExportOptions& options) {
    TableFileLines lines(fileName, TableFileLines::LineEnds::LineFeed);
    std::string_view line;
    std::vector<std::string_view> cells;
    for (long long number = 1; lines.Next(line); ++number) {
        if (TimeToLook(number) && options.Stopped()) return false;
        SplitTabs(line, cells);
        if (!row(cells)) return false;
    }
    return lines.Good() && !options.Stopped();
}

void TableFileRows::AddTweetColumns(ReportList& table) {
    for (int position = 0; position < TweetColumn::Count; ++position)
        table.AddColumn(TweetTable::kHeaders[position], 1000, TweetTable::ColumnAlignment(position));
}

void TableFileRows::AddUserColumns(ReportList& table) {
    UserTable::CreateColumns(table);
}

}  // namespace marlin
