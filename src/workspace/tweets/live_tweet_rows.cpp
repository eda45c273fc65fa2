#include "workspace/tweets/live_tweet_rows.h"

#include "core/tweet_column.h"
#include "platform/blank_trim.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin {

namespace {

std::string WithoutSigns(const std::string& dateTime) {
    std::string out;
    for (char ch : dateTime)
        if (ch != '+' && ch != '-') out += ch;
    return out;
}

}  // namespace

LiveTweetRows::LiveTweetRows(MainWindowState& window, Clock clock)
    : m_window(window), m_clock(std::move(clock)) {}

bool LiveTweetRows::SetReplaced() const {
    const TweetSet& tweets = m_window.Engine.Tweets();
    if (m_inTable == 0) return false;
    return m_inTable > tweets.Count() || tweets.TweetID(m_inTable) != m_lastInTableId;
}

void LiveTweetRows::ShowArrived() {
    const auto now = m_clock();
    if (m_refreshed && now - m_lastRefresh < kEvery) return;
    const TweetSet& tweets = m_window.Engine.Tweets();
    if (SetReplaced()) {
        m_inTable = 0;
        m_lastInTableId.clear();
    }
    if (tweets.Count() <= m_inTable) return;
    m_refreshed = true;
    m_lastRefresh = now;

    ReportList& table = m_window.TweetsTable.Rows();
    table.BeginUpdate();
    table.ReserveRows(tweets.Count() - m_inTable);
    for (int record = m_inTable + 1; record <= tweets.Count(); ++record) {
        table.AddRow(Row(record));
        ++m_shownIds[tweets.Item(record).TweetID];
    }
    table.EndUpdate();
    m_inTable = tweets.Count();
    m_lastInTableId = tweets.TweetID(m_inTable);
    m_window.ShowTweetCount();
}

ReportRow LiveTweetRows::Row(int record) const {
    const TweetSet& tweets = m_window.Engine.Tweets();
    const TweetSet::Record& tweet = tweets.Item(record);
    const std::string dateTime = tweets.VBDateTimes() ? tweet.DateTime : WithoutSigns(tweet.DateTime);
    const std::array<std::string, 5> numbers = {
        std::to_string(tweet.Followers), std::to_string(tweet.Following), std::to_string(tweet.UTC_Offset),
        std::to_string(tweets.UserTweets(record)), std::to_string(tweet.Retweeted)};
    // Sent+ and Sent- stay empty: a 0 there would read as a score.
    return TweetTable::Row({dateTime, tweet.ScreenName, tweet.Text, tweet.TweetID, tweet.RealName, numbers[0],
                            numbers[1], tweet.Location, numbers[2], tweet.GeoCoords, numbers[3], numbers[4],
                            tweet.LinkURL, "", "", tweet.Description});
}

void LiveTweetRows::Withdraw() {
    if (m_shownIds.empty()) return;
    ReportList& table = m_window.TweetsTable.Rows();
    table.RemoveRowsIf([&](int row) {
        const auto found = m_shownIds.find(Trimmed(table.Cell(row, TweetColumn::TweetID)));
        if (found == m_shownIds.end() || found->second == 0) return false;
        --found->second;
        return true;
    });
    m_shownIds.clear();
}

void LiveTweetRows::Settled() {
    const TweetSet& tweets = m_window.Engine.Tweets();
    m_shownIds.clear();
    m_inTable = tweets.Count();
    m_lastInTableId = m_inTable > 0 ? tweets.TweetID(m_inTable) : std::string();
    m_refreshed = false;
}

}  // namespace marlin
