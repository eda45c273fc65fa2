#pragma once

#include <functional>
#include <string>

#include "workspace/engine/capture_request.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The search retrieval: "New " and "Update" have the engine page back to the threshold
// date and show the result.
class SearchRetrieval {
  public:
    static constexpr const char* kV11RefusedTitle = "Search refused";
    static constexpr const char* kV11Refused =
        "The service did not answer the search in v1.1: this application's access covers only v2, the API "
        "the service sells today (Settings \u203A \"Service\" \u203A \"X (v2)\").";
    static constexpr const char* kUseV2 = "Use v2 and search again";

    SearchRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                    TweetTableTarget& table);

    // What "Use v2 and search again" switches, kept in the settings (Settings › "Service").
    void SetUseV2Action(std::function<void()> action) { m_useV2 = std::move(action); }

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
    // Update and Continue Back: they add to the table on show, and do nothing without rows.
    CaptureResult AddToTable(CaptureKind kind, const std::string& query);
    // A search the v1.1 access refused: said once, with the switch to v2 and the same search
    // again in one click; true when the user took it.
    bool OfferV2(const CaptureResult& result);

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetTableTarget& m_table;
    std::function<void()> m_useV2;
};

}  // namespace marlin
