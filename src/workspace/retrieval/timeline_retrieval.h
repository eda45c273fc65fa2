#pragma once

#include <functional>
#include <string>
#include <vector>

#include "workspace/main_window_state.h"
#include "workspace/retrieval/counted_progress.h"
#include "workspace/retrieval/retrieval_steps.h"
#include "workspace/retrieval/tweet_table_target.h"

namespace marlin {

// The timelines of the checked users of the User list, one user after the other, each
// back to the threshold date: "New" starts a fresh Tweets table, "Update" adds what each
// user posted since that user's newest row, and a double click on a list entry retrieves
// that one user's timeline.
class TimelineRetrieval {
  public:
    static constexpr const char* kNewTip = "Retrieve timelines for all checked users";
    static constexpr const char* kUpdateTip =
        "Update existing table with latest timelines for all checked users";

    TimelineRetrieval(MainWindowState& window, TweetTableTarget& table);

    void GetAllUTL_Click();    // "New"
    void UpdateUTL_Click();    // "Update"
    void UserList_DblClick();  // one timeline
    // Tools › "Continue Back to Threshold" for a timelines table: each checked user's
    // timeline from below that user's oldest row down to the threshold date, added to
    // the table.
    void ContinueBack();
    // "New" for callers that hold no User list of their own: the users are added to the
    // list, checked, and a new table is made of their timelines without asking first.
    void RunNew(const std::vector<std::string>& users);

    // Pages backwards through one user's timeline (the entry always sent as a screen
    // name), appending to the tweet set of `Twitter`, until a page adds nothing, the
    // threshold date is passed or the user cancels.
    void RetrieveTimeline(const std::string& user, const std::string& sinceId,
                          const std::string& firstMaxId = "");

    // The newest TweetID among the Tweets table rows of that author (letter case counts);
    // empty when the author has none.
    std::string NewestTweetIdOf(const std::string& screenName) const;
    // The oldest likewise.
    std::string OldestTweetIdOf(const std::string& screenName) const;

  private:
    void RunNewOnCheckedUsers();
    // What New and the double click do before retrieving: the table is emptied and its
    // file forgotten.
    void StartFreshTable();
    void FinishFreshTable();
    // Update and Continue Back: the tweets `retrieve` gets for each checked user are added
    // to the table as it stands (sorted on TweetID first when asked).
    void AddToTable(bool sortById, const std::function<void(const std::string&)>& retrieve);
    // The start line, the progress bar over the checked users and the step for each of
    // them (by list index), in list order, until a Cancel.
    void WalkCheckedUsers(const std::function<void(int)>& step);
    // The progress bar counts users done of those checked.
    int CheckedUsers() const;
    // The largest (direction 1) or smallest (-1) TweetID among the author's rows.
    std::string ExtremeTweetIdOf(const std::string& screenName, int direction) const;
    void BeginUsers(int total);

    MainWindowState& m_window;
    TweetTableTarget& m_table;
    RetrievalSteps m_steps;
    CountedProgress m_users;
};

}  // namespace marlin
