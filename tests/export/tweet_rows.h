#pragma once

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin::testing {

// One Tweets table row by the fields the exports read; the rest stay empty.
struct TweetRow {
    std::string dateTime{}, author{}, text{}, id{};
    std::string followers{}, friends{}, location{}, userTweets{};
    std::string positive = "1", negative = "-1";
    std::string link{};
};

// A table with the Tweets table's 16 columns holding the rows, numbers padded as shown.
inline void FillTweets(ReportList& table, const std::vector<TweetRow>& rows) {
    table.ClearRows();
    table.ClearColumns();
    for (int k = 0; k < TweetColumn::Count; ++k)
        table.AddColumn(TweetTable::kHeaders[k], 1000, TweetTable::ColumnAlignment(k));
    for (const TweetRow& r : rows) {
        std::vector<std::string> cells(TweetColumn::Count);
        cells[TweetColumn::DateTime] = r.dateTime;
        cells[TweetColumn::UserScreenName] = r.author;
        cells[TweetColumn::Tweet] = r.text;
        cells[TweetColumn::TweetID] = r.id;
        cells[TweetColumn::UserFollowers] = r.followers;
        cells[TweetColumn::UserFriends] = r.friends;
        cells[TweetColumn::UserLocation] = r.location;
        cells[TweetColumn::UserTweets] = r.userTweets;
        cells[TweetColumn::SentPositive] = r.positive;
        cells[TweetColumn::SentNegative] = r.negative;
        cells[TweetColumn::LinkURL] = r.link;
        for (int k = 1; k < TweetColumn::Count; ++k) cells[k] = SKDFuncs::PadNumber(cells[k], 7);
        table.AddRow(cells);
    }
}

}  // namespace marlin::testing
