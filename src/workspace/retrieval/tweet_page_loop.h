#pragma once

#include <functional>
#include <string>

#include "service/twitter_api.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/retrieval_steps.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The page loop the search and the timelines share. Pages are asked for from the newest
// down, each below the oldest tweet held, and trimmed to the threshold date; the loop
// stops at the threshold, at an empty or refused page, at a Cancel, at a page that did
// not move the oldest tweet, or when memory runs out (the stop line says which of the
// last two). A spent window is waited out and the page asked for again; a low quota
// brings the quota dialog or the automatic wait.
class TweetPageLoop {
  public:
    static constexpr int kQuotaLow = 10;  // the quota dialog appears below this many requests

    struct Source {
        ResourceFamily family;
        std::string windowName;  // as the quota dialog names the window: "search", "user timeline"
        // Sends the request for the page below maxId (none: the newest) and gives the URL.
        std::function<std::string(const std::string& maxId)> fetch;
        // The requests left in the family's window.
        std::function<int()> remaining;
        // After a page was added and trimmed, with the records it brought: panels and log.
        std::function<void(int count)> taken;
        // After an error answer that no Cancel caused; may be empty.
        std::function<void()> refused;
        // The table the tweets go to, shown the pages as they arrive; may be null.
        TweetTableTarget* table = nullptr;
    };

    TweetPageLoop(MainWindowState& window, RetrievalSteps& steps) : m_window(window), m_steps(steps) {}

    // Runs the loop from firstMaxId ("" for the newest page); true when the threshold
    // date was reached.
    bool Run(const Source& source, const std::string& firstMaxId);

  private:
    MainWindowState& m_window;
    RetrievalSteps& m_steps;
};

}  // namespace marlin
