#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "workspace/export/export_options.h"

namespace marlin {

// The rows of a saved table file handed over one at a time, for the exports that run on a
// file: they hold a piece of the file and one row, never the table, so a file of any size
// is exported in the same memory. The rows are those TableFileReader gives (the same
// files are refused, a tweet table's header line is skipped), with the cells as the
// exports read them: without the blanks that pad a number in the window.
class TableFileRows {
  public:
    using TweetCells = std::array<std::string_view, TweetColumn::Count>;
    // The views hold until the callback returns; false from it ends the reading.
    using TweetRow = std::function<bool(const TweetCells&)>;
    using UserRow = std::function<bool(std::span<const std::string_view>)>;

    // False when the file is missing, cannot be read or is not a tweet table (a line of
    // fewer than 16 cells), when `row` said false, or when the stop flag was raised.
    static bool EachTweet(const std::string& fileName, const TweetRow& row,
                          const ExportOptions& options = {});
    // Each line of a user table file cut at its tabs (the empty piece after a trailing tab
    // too). False when the file cannot be read, `row` said false or the stop flag was raised.
    static bool EachUser(const std::string& fileName, const UserRow& row, const ExportOptions& options = {});

    // The columns of the Tweets table and of a user table, added to an empty table for the
    // headers and the kinds of the cells.
    static void AddTweetColumns(ReportList& table);
    static void AddUserColumns(ReportList& table);
};

}  // namespace marlin
