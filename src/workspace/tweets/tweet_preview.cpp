#include "workspace/tweets/tweet_preview.h"

#include "core/tweet_column.h"
#include "platform/blank_trim.h"

namespace marlin {

std::string TweetPreview::Text(const ReportList& table, int row) {
    if (row < 0 || row >= table.RowCount() || table.ColumnCount() < TweetColumn::Count) return {};
    const auto cell = [&](int column) { return Trimmed(table.Cell(row, column)); };
    const std::string screenName = cell(TweetColumn::UserScreenName);
    std::string text = "@";
    text += screenName;
    if (const std::string name = cell(TweetColumn::UserRealName); !name.empty()) text += " (" + name + ")";
    text += " \xE2\x80\x94 " + cell(TweetColumn::DateTime) + "\n\n" + cell(TweetColumn::Tweet) + "\n\n";
    if (const std::string link = cell(TweetColumn::LinkURL); !link.empty()) text += link + "\n";
    text += "https://twitter.com/" + screenName + "/status/" + cell(TweetColumn::TweetID) + "\n";
    text += cell(TweetColumn::Retweets) + " retweets \xC2\xB7 " + cell(TweetColumn::UserFollowers) +
            " followers \xC2\xB7 " + cell(TweetColumn::UserFriends) + " friends \xC2\xB7 " +
            cell(TweetColumn::UserTweets) + " tweets \xC2\xB7 sentiment " + cell(TweetColumn::SentPositive) +
            " / " + cell(TweetColumn::SentNegative);
    return text;
}

}  // namespace marlin
