#include "workspace/tweets/live_tweet_rows.h"

#include "core/skd_funcs.h"
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

std::string Padded(std::string field) {
    return SKDFuncs::PadNumber(field, TweetTableView::kPadWidth);
}

}  // namespace

LiveTweetRows::LiveTweetRows(MainWindowState& window, Clock clock)
    : m_window(window), m_clock(std::move(clock)) {}

bool LiveTweetRows::SetReplaced() const {
    const TweetSet& tweets = m_window.Twitter.Tweets;
    if (m_inTable == 0) return false;
    return m_inTable > tweets.Count() || tweets.TweetID(m_inTable) != m_lastInTableId;
}

void LiveTweetRows::ShowArrived() {
    const auto now = m_clock();
    if (m_refreshed && now - m_lastRefresh < kEvery) return;
    const TweetSet& tweets = m_window.Twitter.Tweets;
    if (SetReplaced()) {
        m_inTable = 0;
        m_lastInTableId.clear();
    }
    if (tweets.Count() <= m_inTable) return;
    m_refreshed = true;
    m_lastRefresh = now;

    ReportList& table = m_window.OutTable;
    table.BeginUpdate();
    table.ReserveRows(tweets.Count() - m_inTable);
    for (int record = m_inTable + 1; record <= tweets.Count(); ++record) {
        table.AddRow(Cells(record));
        ++m_shownIds[tweets.TweetID(record)];
    }
    table.EndUpdate();
    m_inTable = tweets.Count();
    m_lastInTableId = tweets.TweetID(m_inTable);
    m_window.ShowTweetCount();
}

std::vector<std::string> LiveTweetRows::Cells(int record) const {
    const TweetSet& tweets = m_window.Twitter.Tweets;
    std::vector<std::string> cells(TweetColumn::Count);
    cells[0] = tweets.VBDateTimes() ? tweets.DateTime(record) : WithoutSigns(tweets.DateTime(record));
    cells[1] = Padded(tweets.ScreenName(record));
    cells[2] = Padded(tweets.Text(record));
    cells[3] = Padded(tweets.TweetID(record));
    cells[4] = Padded(tweets.RealName(record));
    cells[5] = Padded(std::to_string(tweets.Followers(record)));
    cells[6] = Padded(std::to_string(tweets.Following(record)));
    cells[7] = Padded(tweets.Location(record));
    cells[8] = Padded(tweets.UTC_Offset(record));
    cells[9] = Padded(tweets.GeoCoords(record));
    cells[10] = Padded(std::to_string(tweets.UserTweets(record)));
    cells[11] = Padded(std::to_string(tweets.Retweeted(record)));
    cells[12] = Padded(tweets.LinkURL(record));
    // Sent+ and Sent- stay empty: a 0 there would read as a score.
    cells[15] = Padded(tweets.Description(record));
    return cells;
}

void LiveTweetRows::Withdraw() {
    if (m_shownIds.empty()) return;
    ReportList& table = m_window.OutTable;
    table.RemoveRowsIf([&](int row) {
        const auto found = m_shownIds.find(Trimmed(table.Cell(row, TweetColumn::TweetID)));
        if (found == m_shownIds.end() || found->second == 0) return false;
        --found->second;
        return true;
    });
    m_shownIds.clear();
}

void LiveTweetRows::Settled() {
    const TweetSet& tweets = m_window.Twitter.Tweets;
    m_shownIds.clear();
    m_inTable = tweets.Count();
    m_lastInTableId = m_inTable > 0 ? tweets.TweetID(m_inTable) : std::string();
    m_refreshed = false;
}

}  // namespace marlin
