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
#include "workspace/users/user_stats.h"

namespace marlin {

// The User tables: their 37 columns, the profile look-up GetUsers (the engine's), the rows
// filled from a user set with the derived columns, the per-user figures over the Tweets
// table, and the sorting, check and copy commands of a table.
class UserProfileTable {
  public:
    // Column positions (0 is the row text).
    enum Column {
        kId = 0,
        kScreenName = 1,
        kLanguage = 5,
        kUtcOffset = 9,
        kFollowers = 10,
        kFriends = 11,
        kStatusCount = 12,
        kCreatedAt = 14,
        kBackground = 19,
        kFFRatio = 20,
        kTwtDay = 21,
        kPrfTwtSamp = 22,
        kPrfBDayTwts = 23,
        kPrfGender = 24,
        kPrfAge = 25,
        kPrfConf = 26,
        kTLTwtDay = 27,
        kTLPctRT = 28,
        kTLAvRT = 29,
        kTLPctGeo = 30,
        kTwNoTwts = 31,
        kTwAvSentPos = 32,
        kTwAvSentNeg = 33,
        kTwPctRT = 34,
        kTwAvRT = 35,
        kTwMaxRT = 36,
    };
    static constexpr int kColumnCount = 37;
    static const std::array<const char*, kColumnCount> kHeaders;

    static constexpr const char* kQuotaWarning = LookupCapture::kQuotaWarning;
    static constexpr const char* kNotCompleted = LookupCapture::kNotCompleted;

    // The local date and time now; replaceable so tests can move the clock.
    using LocalClock = std::function<SKDFuncs::DateValue()>;

    explicit UserProfileTable(MainWindowState& window);

    // The clock of the derived columns and of both engines' quota waits.
    void SetClock(LocalClock clock);
    SKDFuncs::DateValue LocalNow() const { return m_clock(); }

    // The 37 columns, check boxes, no rows.
    static void CreateColumns(ReportList& table);
    // CreateColumns, several rows selectable, and the table's header clicks and popup
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
    void FillUserTable(const UserSet& users, bool withTweetStats, ReportList& table);
    // The profile cells of one record (positions 0 to 21; the rest empty).
    std::vector<std::string> ProfileCells(const UserSet& users, int index) const;

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

    // ---- Number formats of the table
    // value with `decimals` decimals, halves rounded away from zero; empty when the
    // value is not a number (a division by zero).
    static std::string FormatFixed(double value, int decimals);
    // FormatFixed followed by PadNumber.
    static std::string FormatPadded(double value, int decimals, int width);
    // "True" or "False".
    static std::string TrueFalse(bool value) { return value ? "True" : "False"; }

  private:
    // Statuses per day since the account was made, counted in calendar days.
    std::string TwtDayCell(const UserSet::Record& record) const;

    MainWindowState& m_window;
    LocalClock m_clock;
};

}  // namespace marlin
