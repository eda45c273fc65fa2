#pragma once

#include <string>
#include <vector>

#include "core/skd_funcs.h"
#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "workspace/tables/user_table.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin::testing {

// One Tweets table row by the fields the exports read; the rest stay empty.
struct TweetRow {
    std::string dateTime{}, author{}, text{}, id{};
    std::string followers{}, friends{}, location{}, userTweets{};
    std::string positive = "1", negative = "-1";
    std::string link{};
    std::string geo{};
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
        cells[TweetColumn::GeoCoords] = r.geo;
        for (int k = 1; k < TweetColumn::Count; ++k) cells[k] = SKDFuncs::PadNumber(cells[k], 7);
        table.AddRow(cells);
    }
}

// Rows of a placeholder ("null" coordinates, the "/web" of no banner), a real value beside it
// and the placeholder's text in a column that has none: a tweets table and a user table.
struct PlaceholderTables {
    static constexpr int kBanner = 18;
    ReportList tweets, users;
    PlaceholderTables() {
        TweetRow none, some;
        none.text = "null";
        none.geo = "null";
        some.geo = "[52.52,13.40]";
        FillTweets(tweets, {none, some});
        UserTable::CreateColumns(users);
        for (const char* banner : {"/web", "https://pbs.twimg.com/profile_banners/7/1/web"}) {
            std::vector<std::string> cells(UserTable::kColumnCount);
            cells[UserTable::kScreenName] = "/web";
            cells[kBanner] = banner;
            users.AddRow(cells);
        }
    }
};

}  // namespace marlin::testing
