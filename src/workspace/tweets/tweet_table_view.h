#pragma once

#include <array>
#include <string>
#include <vector>

#include "sentiment/marlin_data.h"
#include "workspace/main_window_state.h"
#include "workspace/tweets/live_tweet_rows.h"

namespace marlin {

// The window's side of the Tweets table: its menu switches, the rows shown while a
// retrieval runs, and the scored rows at its end. The rows are the workspace's TweetTable.
class TweetTableView {
  public:
    explicit TweetTableView(MainWindowState& window, TweetControls& tweetCtl);

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
    TweetControls& m_tweetCtl;
    LiveTweetRows m_live;
    bool m_showArrived = true;
};

}  // namespace marlin
