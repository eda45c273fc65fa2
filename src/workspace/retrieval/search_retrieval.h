#pragma once

#include <string>

#include "workspace/engine/capture_request.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The search retrieval: "New " and "Update" have the engine page back to the threshold
// date and show the result.
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
    CaptureResult RunNew(const std::string& query);
    CaptureResult RunUpdate(const std::string& query);
    CaptureResult RunContinue(const std::string& query);

  private:
    // The engine's capture of the query, with the window's settings.
    CaptureResult Retrieve(CaptureKind kind, const std::string& query);

    MainWindowState& m_window;
    TweetTableTarget& m_table;
};

}  // namespace marlin
