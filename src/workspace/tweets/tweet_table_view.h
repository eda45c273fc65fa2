#pragma once

#include <array>
#include <string>
#include <vector>
#include "core/tweet_column.h"

#include "platform/report_row.h"
#include "sentiment/marlin_data.h"
#include "workspace/main_window_state.h"
#include "workspace/tweets/live_tweet_rows.h"

namespace marlin {

// The Tweets table (`OutTable`): its 16 columns, the rows a retrieval or a file puts in
// it, and its sorting switches.
class TweetTableView {
  public:
    // Numbers are padded to this width so the text sort orders them as numbers.
    static constexpr int kPadWidth = 7;
    static const std::array<const char*, TweetColumn::Count> kHeaders;
    // Numbers sit on the right (the exports write those columns' cells as numbers).
    static Alignment ColumnAlignment(int position);

    explicit TweetTableView(MainWindowState& window);

    // The columns and the table's starting state: TweetID the sort key, newest first,
    // automatic sorting on ("Sort Tweets Table" checked).
    void CreateColumns();

    // Copies the tweet set of `Twitter` into the table, scored. With append the rows
    // already there stay and the new ones are added.
    void ShowTweets(bool append);
    // While a retrieval runs: the tweets that arrived since the last look, appended.
    void ShowArrivedTweets() {
        if (m_showArrived) m_live.ShowArrived();
    }
    // Off, the table stays as it was until the retrieval ends (the benchmark compares the two).
    void SetShowArrived(bool on) { m_showArrived = on; }

    // Adds one record of a MarlinData table as a row: the DateTime as it stands, every
    // other field padded.
    void AddRecord(const MarlinData& data, int record);
    static std::vector<std::string> RowCells(const MarlinData& data, int record);
    static ReportRow Row(const MarlinData& data, int record);
    // The row of these 16 cells as a table file's record shows them.
    static ReportRow Row(std::array<std::string_view, TweetColumn::Count> fields);

    // The newest TweetID among the rows, for an update's since_id; empty for no rows.
    std::string NewestTweetId() const;
    // The smallest TweetID of the table, without padding; empty for an empty table.
    std::string OldestTweetId() const;

    // Puts a failed scorer run into the request log: zeros in Sent+/Sent- look like scores.
    void LogScorerFailure(const MarlinData& data);

    // Settings › "Sort Tweets Table": flips the check mark; sorting follows it.
    void mSortDT_Click();
    // A header click: that column becomes the sort key; the order is kept.
    void OutTable_ColumnClick(int position);
    // Settings › "Save Tweets With Headers": flips the check mark.
    void mHeaders_Click();

  private:
    MainWindowState& m_window;
    LiveTweetRows m_live;
    bool m_showArrived = true;
};

}  // namespace marlin
