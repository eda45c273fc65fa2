#pragma once

#include <string>

#include "core/skd_funcs.h"
#include "workspace/main_window_state.h"
#include "workspace/users/user_profile_table.h"
#include "workspace/users/user_stats.h"

namespace marlin {

// The "Tweets" user table built from the authors of the Tweets table, the timeline
// samples with their behavioural figures for the checked users of the current table, and
// the set of named user tables (add, show, toggle, rename, remove).
class TimelineSamples {
  public:
    static constexpr const char* kGetUTTLTip =
        "Retrieves recent tweets and derives behavioural statistics for selected users. Required by Profiler";

    TimelineSamples(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                    UserProfileTable& profiles);

    // "Build Table": table 0 := one row per distinct author of the Tweets table.
    void BuildTweetsUT_Click();
    // "Get User Timelines": a sample and its figures for every checked row.
    void GetUTTL_Click();

    // ---- The named tables
    void UTList_Click();                           // show the table chosen in the list
    void UTToggle_Click(int index);                // 0 "Tweets", 1 "Other:"
    void AddRemUT_Click();                         // "Remove" the table chosen in the list
    void UTList_DblClick();                        // rename the table chosen in the list
    void MergeRemUT_Click() { AddUserTable(""); }  // "Add" an empty, numbered table
    // Makes a new named table current; an empty name becomes "<n>UserTable". The
    // secondary client is authenticated from the stored credentials the first time.
    bool AddUserTable(std::string name);
    // Gives the secondary engine's client a token from the stored credentials unless it has one.
    void AuthenticateUTwitter();

    // ---- Parts of the sample, public for their own checks
    // The same date one year earlier; 29 February becomes 28 February.
    static SKDFuncs::DateValue OneYearBack(const SKDFuncs::DateValue& day);
    // Walks the tweet set of a sample: up to sampleSize original tweets, the birthday
    // tweets, and the rates over the whole set.
    static UserStats SampleStats(const TweetSet& tweets, int sampleSize);

  private:
    // The figures of one account's sample go to its row of the table current when the
    // command started, whatever is shown now.
    void ShowSample(const TweetSet& sample, UserTable& table, int row, int sampleSize);
    // Exactly the current table is visible.
    void ShowCurrentTable();
    // The first named table of that name, or 0.
    int NamedTable(const std::string& name) const;

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    UserProfileTable& m_profiles;
    bool m_switching = false;  // the toggle and the list select each other
};

}  // namespace marlin
