#pragma once

#include <string>

#include "workspace/main_window_state.h"
#include "workspace/retrieval/retrieval_steps.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The search retrieval: "New " and "Update" run the page loop RetrieveSearch back to the
// threshold date and show the result.
class SearchRetrieval {
  public:
    SearchRetrieval(MainWindowState& window, TweetTableTarget& table);

    void GetSrch_Click();       // New search
    void UpdateSearch_Click();  // Update search
    // Tools › "Continue Back to Threshold" for a search table: pages on from below the
    // oldest tweet of the table down to the threshold date, adding to the table.
    void ContinueBack();

    // The three runs with their query, for callers that hold no query box: a new table
    // (replacing the one on show without asking), the tweets since the table's newest
    // row, and the tweets below its oldest row.
    void RunNew(const std::string& query);
    void RunUpdate(const std::string& query);
    void RunContinue(const std::string& query);

    // The page loop: appends every page to the tweet set of `Twitter` until a page adds
    // nothing, the threshold date is passed or the user cancels.
    void RetrieveSearch(const std::string& query, const std::string& sinceId);
    // The same loop starting at a given max_id (empty: the newest).
    void RetrieveSearch(const std::string& query, const std::string& sinceId, const std::string& firstMaxId);

  private:
    MainWindowState& m_window;
    TweetTableTarget& m_table;
    RetrievalSteps m_steps;
};

}  // namespace marlin
