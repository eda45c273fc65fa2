#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workspace/engine/capture_request.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The timelines of the checked users of the User list, one user after the other, each
// back to the threshold date: "New" starts a fresh Tweets table, "Update" adds what each
// user posted since that user's newest row, and a double click on a list entry retrieves
// that one user's timeline.
class TimelineRetrieval {
  public:
    static constexpr const char* kNoUserChecked =
        "No user is checked. Check the box of each user whose timeline you want (highlighting a row does not "
        "check it).";

    static constexpr const char* kNewTip = "Retrieve timelines for all checked users";
    static constexpr const char* kUpdateTip =
        "Update existing table with latest timelines for all checked users";

    TimelineRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                      TweetTableTarget& table);

    void GetAllUTL_Click();    // "New"
    void UpdateUTL_Click();    // "Update"
    void UserList_DblClick();  // one timeline
    // Tools › "Continue Back to Threshold" for a timelines table: each checked user's
    // timeline from below that user's oldest row down to the threshold date, added to
    // the table.
    void ContinueBack();
    // "New" for callers that hold no User list of their own: the users are added to the
    // list, checked, and a new table is made of their timelines without asking first.
    CaptureResult RunNew(const std::vector<std::string>& users);

  private:
    // How the table takes the timelines: after each user as a fresh table, or once at the
    // end added to the rows already there.
    enum class Shown { AfterEachUser, AddedAtTheEnd };

    CaptureResult RunNewOnCheckedUsers();
    // What New and the double click do before retrieving: the table is emptied and its
    // file forgotten.
    void StartFreshTable();
    void FinishFreshTable();
    // Update and Continue Back: the timelines of the checked users are added to the table
    // as it stands (sorted on TweetID first when asked), each from its own position.
    void AddToTable(bool sortById, CaptureKind kind);
    // The engine's walk over the checked users of the list, the list following it.
    CaptureResult WalkCheckedUsers(const CaptureRequest& request, const std::vector<int>& entries,
                                   Shown shown);
    // The list positions and names of the checked users, in list order.
    std::vector<int> CheckedEntries() const;

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetTableTarget& m_table;
};

}  // namespace marlin
