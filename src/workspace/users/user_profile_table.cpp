#include "workspace/users/user_profile_table.h"
#include "core/tweet_column.h"
#include "workspace/retrieval/retrieval_guard.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace marlin {

namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

int WholeValue(std::string_view cell) {
    return SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(std::string(cell)));
}

}  // namespace

UserProfileTable::UserProfileTable(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_clock([] { return SKDFuncs::Now(); }) {}

void UserProfileTable::PrepareTable(ReportList& table) {
    UserTable::CreateColumns(table);
    // "Selected Users" of the followers frame takes every selected row.
    table.SetMultiSelect(true);
    table.SetColumnClickAction([this](int position) { UserTable_ColumnClick(position); });
    table.SetContextMenuAction([this] { UserTable_MouseUp(2); });
}

// ---- Look-up

void UserProfileTable::SetClock(LocalClock clock) {
    m_clock = clock;
    m_window.Engine.SetLocalClock(clock);
    m_window.TableEngine.SetLocalClock(std::move(clock));
}

void UserProfileTable::LookUp(const std::vector<std::string>& names) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::RunningOnly);
    GetUsers(w.Engine, names, false, false);
    FillUserTable(w.Engine.Users(), false);
}

void UserProfileTable::GetUsers(CaptureEngine& engine, const std::vector<std::string>& list, bool userId,
                                bool update) {
    MainWindowState& w = m_window;
    CaptureRequest request = w.Request(CaptureKind::Lookup, m_tweetCtl, m_userCtl);
    request.accounts = list;
    request.accountsAreIds = userId;
    request.addToRecords = update;
    engine.Capture(request);
    // The look-up's own line is the one in sight.
    if (w.Progress.Last().starts_with("Getting profile details")) w.Progress.SelectLast();
}

// ---- Filling the table

void UserProfileTable::FillUserTable(const UserSet& users, bool withTweetStats) {
    FillUserTable(users, withTweetStats, m_userCtl.CurrentTable());
}

void UserProfileTable::FillUserTable(const UserSet& users, bool withTweetStats, UserTable& userTable) {
    ReportList& table = userTable.Rows();
    if (table.RowCount() == 0) userTable.ForgetEncoding(m_window.Settings.ExactTexts);
    table.BeginUpdate();
    for (int i = 1; i <= users.Count(); ++i) {
        std::vector<std::string> cells = ProfileCells(users, i);
        if (withTweetStats) {
            const UserStats s = TweetStatsForUser(users.ScreenName(i));
            // No tweets in the table: nothing to show, rather than zeros that read as figures.
            if (s.NoTwts > 0) {
                cells[kTwNoTwts] = ProfileRows::Padded(s.NoTwts, 5);
                cells[kTwAvSentPos] = ProfileRows::FormatFixed(s.AvSentPos, 1);
                cells[kTwAvSentNeg] = ProfileRows::FormatFixed(s.AvSentNeg, 1);
                cells[kTwPctRT] = ProfileRows::FormatPadded(s.PctRT, 0, 6);
                cells[kTwAvRT] = ProfileRows::FormatPadded(s.AvRT, 0, 6);
                cells[kTwMaxRT] = ProfileRows::FormatPadded(s.MaxRT, 0, 6);
            }
        }
        table.AddRow(cells);
    }
    table.EndUpdate();
    if (users.Count() > 0) userTable.SetUnsaved(true);
    m_window.InfoBar.SetPanel(2, std::to_string(table.RowCount()) + " users displayed");
}

UserStats UserProfileTable::TweetStatsForUser(const std::string& screenName) const {
    const ReportList& tweets = m_window.TweetsTable.Rows();
    int n = 0;
    int rt = 0;
    long long sumPos = 0;
    long long sumNeg = 0;
    long long sumRT = 0;
    int maxRT = 0;
    for (int row = 0; row < tweets.RowCount(); ++row) {
        if (Trimmed(tweets.Cell(row, TweetColumn::UserScreenName)) != screenName) continue;
        ++n;
        sumPos += WholeValue(tweets.Cell(row, TweetColumn::SentPositive));
        sumNeg += WholeValue(tweets.Cell(row, TweetColumn::SentNegative));
        if (tweets.Cell(row, TweetColumn::Tweet).starts_with("RT ")) {
            ++rt;
        } else {
            const int retweets = WholeValue(tweets.Cell(row, TweetColumn::Retweets));
            sumRT += retweets;
            maxRT = std::max(maxRT, retweets);
        }
    }
    UserStats stats;
    stats.NoTwts = n;
    stats.MaxRT = maxRT;
    stats.AvRT = n > rt ? static_cast<float>(static_cast<double>(sumRT) / (n - rt)) : kNoValue;
    stats.PctRT = n > 0 ? static_cast<float>(100.0 * rt / n) : kNoValue;
    stats.AvSentPos = n > 0 ? static_cast<float>(static_cast<double>(sumPos) / n) : kNoValue;
    stats.AvSentNeg = n > 0 ? static_cast<float>(static_cast<double>(sumNeg) / n) : kNoValue;
    return stats;
}

// ---- Commands of a table

void UserProfileTable::UserTable_ColumnClick(int position) {
    ReportList& table = m_userCtl.CurrentUserTable();
    table.SetSortKeyOrReverse(position);
    table.SetSorted(true);
}

void UserProfileTable::mUTSelAll_Click(int index) {
    ReportList& table = m_userCtl.CurrentUserTable();
    const int selected = table.SelectedIndex();
    for (int row = 0; row < table.RowCount(); ++row) {
        bool check = true;
        if (index == 1) check = table.Cell(row, kPrfTwtSamp).empty();
        if (index == 2) check = row <= selected;
        table.SetChecked(row, check);
    }
}

void UserProfileTable::mUTUnselAll_Click() {
    ReportList& table = m_userCtl.CurrentUserTable();
    for (int row = 0; row < table.RowCount(); ++row) table.SetChecked(row, false);
}

void UserProfileTable::mCopyUT_Click() {
    m_window.Engine.Users().ToClipboard([this](const std::string& text) {
        m_window.Tk.ClipboardClear();
        m_window.Tk.ClipboardSetText(text);
    });
}

void UserProfileTable::UserTable_MouseUp(int button) {
    if (button == 2) m_userCtl.mUT.ShowPopup();
}

}  // namespace marlin
