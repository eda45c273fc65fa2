#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/skd_funcs.h"
#include "platform/blank_trim.h"
#include "platform/report_list.h"
#include "workspace/engine/capture_engine.h"
#include "workspace/engine/lookup_capture.h"
#include "workspace/main_window_state.h"
#include "workspace/tables/profile_rows.h"
#include "workspace/tables/user_table.h"
#include "workspace/users/user_stats.h"

namespace marlin {

// The User tables: their 37 columns, the profile look-up GetUsers (the engine's), the rows
// filled from a user set with the derived columns, the per-user figures over the Tweets
// table, and the sorting, check and copy commands of a table.
class UserProfileTable {
  public:
    // The columns' positions, named as in the user table (0 is the row text).
    using enum UserTable::Column;

    static constexpr const char* kQuotaWarning = LookupCapture::kQuotaWarning;
    static constexpr const char* kNotCompleted = LookupCapture::kNotCompleted;

    // The local date and time now; replaceable so tests can move the clock.
    using LocalClock = std::function<SKDFuncs::DateValue()>;

    explicit UserProfileTable(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl);

    // The clock of the derived columns and of both engines' quota waits.
    void SetClock(LocalClock clock);
    SKDFuncs::DateValue LocalNow() const { return m_clock(); }

    // The user table's columns, several rows selectable, and the table's header clicks and popup
    // bound to the commands here.
    void PrepareTable(ReportList& table);

    // Has the engine look up the profiles of the names (or ids) into its user set, 100 to a
    // request, waiting for the next quota window when the current one runs out. Without
    // update the set is cleared first. A run that ends early (the wait or the look-up
    // cancelled) says "User table update was not completed"; what arrived stays.
    void GetUsers(CaptureEngine& engine, const std::vector<std::string>& list, bool userId, bool update);
    // The screen names' profiles into the current user table as one capture of its own,
    // which ends (and tells how it ended) when the rows are in.
    void LookUp(const std::vector<std::string>& names);

    // Appends one row per record of a user set to the current table; with withTweetStats
    // the Tw_ columns too.
    void FillUserTable(const UserSet& users, bool withTweetStats);
    // The same into a given table: a run fills the table it started on.
    void FillUserTable(const UserSet& users, bool withTweetStats, UserTable& table);
    // The profile cells of one record (positions 0 to 21; the rest empty) as of the clock.
    std::vector<std::string> ProfileCells(const UserSet& users, int index) const {
        return ProfileRows::Cells(users, index, LocalNow());
    }

    // The figures of one author's rows in the Tweets table (letter case counts).
    UserStats TweetStatsForUser(const std::string& screenName) const;

    // ---- Commands of a User table
    void UserTable_ColumnClick(int position);
    // 0 "Select All", 1 "Select Cases With No TL Sample", 2 "Select Cases Down To This Row".
    void mUTSelAll_Click(int index);
    void mUTUnselAll_Click();
    // "Copy Metadata": the main client's user set, not the table.
    void mCopyUT_Click();
    void UserTable_MouseUp(int button);

  private:
    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    LocalClock m_clock;
};

}  // namespace marlin
