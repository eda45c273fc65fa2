#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>

#include "workspace/main_window_state.h"

namespace marlin {

// The rows of a running retrieval, put into the Tweets table as the pages arrive so that
// a long capture is seen to grow. They are appended, never rebuilt, at most once every
// kEvery; they carry no scores (the scorer runs once, at the end). The end of the
// retrieval shows the table as it always did, so these rows are taken out before it.
class LiveTweetRows {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::seconds kEvery{2};

    explicit LiveTweetRows(
        MainWindowState& window, Clock clock = [] { return std::chrono::steady_clock::now(); });

    // Appends the tweets of the set that are not in the table yet, unless the last
    // refresh is less than kEvery ago.
    void ShowArrived();
    // Takes the rows shown so far out of the table, before the end of the retrieval puts
    // every tweet of the set in.
    void Withdraw();
    // The set's tweets are all in the table now, as the end of a retrieval leaves them.
    void Settled();

  private:
    // A set emptied and filled again since the last look starts again from its first tweet.
    bool SetReplaced() const;
    ReportRow Row(int record) const;

    MainWindowState& m_window;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_lastRefresh{};
    bool m_refreshed = false;
    int m_inTable = 0;                                // the set's first so many tweets are in the table
    std::string m_lastInTableId;                      // the TweetID of the last of them
    std::unordered_map<std::string, int> m_shownIds;  // rows this class added, by TweetID
};

}  // namespace marlin
