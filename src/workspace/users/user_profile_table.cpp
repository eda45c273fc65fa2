#include "workspace/users/user_profile_table.h"
#include "core/tweet_column.h"
#include "workspace/engine/page_loop.h"
#include "workspace/engine/quota_wait.h"
#include "workspace/retrieval/retrieval_guard.h"
#include "workspace/retrieval/retrieval_steps.h"

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

std::string Padded(long long value, int width) {
    return SKDFuncs::PadNumber(std::to_string(value), static_cast<std::uint8_t>(width));
}

}  // namespace

const std::array<const char*, UserProfileTable::kColumnCount> UserProfileTable::kHeaders = {
    "ID",         "ScreenName",  "RealName",     "Description", "URL",        "Language",    "Location",
    "GeoEnabled", "TimeZone",    "UTC_Offset",   "Followers",   "Friends",    "StatusCount", "Favourites",
    "CreatedAt",  "Verified",    "Protected",    "Image",       "Banner",     "Background",  "FF Ratio",
    "TwtDay",     "Prf_TwtSamp", "Prf_BDayTwts", "Prf_Gender",  "Prf_Age",    "Prf_Conf",    "TL_TwtDay",
    "TL_PctRT",   "TL_AvRT",     "TL_PctGeo",    "Tw_NoTwts",   "Tw_AvSent+", "Tw_AvSent-",  "Tw_PctRT",
    "Tw_AvRT",    "Tw_MaxRT"};

UserProfileTable::UserProfileTable(MainWindowState& window)
    : m_window(window), m_clock([] { return SKDFuncs::Now(); }), m_lookedUp(window.RetrievalBar) {}

void UserProfileTable::CreateColumns(ReportList& table) {
    // Numbers and flags sit on the right, texts on the left.
    static constexpr std::array<bool, kColumnCount> kRight = {
        false, false, false, false, false, false, false, true, false, true,  true,  true, true,
        true,  true,  true,  true,  false, false, false, true, true,  false, false, true, true,
        true,  true,  true,  true,  true,  true,  true,  true, true,  true,  true};
    table.ClearColumns();
    for (int k = 0; k < kColumnCount; ++k)
        table.AddColumn(kHeaders[k], 1000, kRight[k] ? Alignment::Right : Alignment::Left);
    table.SetCheckBoxes(true);
}

void UserProfileTable::PrepareTable(ReportList& table) {
    CreateColumns(table);
    // "Selected Users" of the followers frame takes every selected row.
    table.SetMultiSelect(true);
    table.SetColumnClickAction([this](int position) { UserTable_ColumnClick(position); });
    table.SetContextMenuAction([this] { UserTable_MouseUp(2); });
}

// ---- Look-up

bool UserProfileTable::LookupQuotaLow(const TwitterAPI& client) const {
    const int remaining = client.ULRateLimitRemaining();
    if (remaining > 0) return remaining < kLookupQuotaLow;
    // A spent window answers every further batch with 429, and the batch would be lost.
    // Before the first answer nothing is known of the window, so there is nothing to wait for.
    const bool resetKnown = client.Window(ResourceFamily::UsersLookup).reset != 0;
    return resetKnown && client.ULNextLimitReset() > LocalNow();
}

void UserProfileTable::ShowLookupQuota(const TwitterAPI& client) {
    // The look-up and timeline panel texts end in CR LF as they always have; the status bar
    // shows them on one line and tests read them as they are.
    m_window.InfoBar.SetPanel(
        3, std::to_string(client.ULRateLimitRemaining()) + " USER_LOOKUP requests remaining\r\n");
    m_window.InfoBar.SetPanel(4, "Next reset: " + SKDFuncs::FormatLocalDateTime(client.ULNextLimitReset()));
}

void UserProfileTable::LookUp(const std::vector<std::string>& names) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::RunningOnly);
    GetUsers(w.Twitter, names, false, false);
    FillUserTable(w.Twitter, false);
}

// The batches of a look-up, 100 names to a request, each a page of the one loop; a spent
// window is waited out before the batch that would meet it.
class UserProfileTable::LookupBatches : public PageLoop::Pager {
  public:
    LookupBatches(UserProfileTable& table, TwitterAPI& client, const std::vector<std::string>& list,
                  bool userId)
        : m_table(table), m_client(client), m_list(list), m_userId(userId) {}

    bool Ready() override {
        if (m_next >= Total()) return false;
        if (!m_table.LookupQuotaLow(m_client)) return true;
        const SKDFuncs::DateValue reset = m_client.ULNextLimitReset();
        m_table.m_window.Events().Tell(kQuotaWarning + SKDFuncs::FormatLocalDateTime(reset),
                                       CaptureEvents::Notice::Warning);
        m_early = !m_table.PauseUntilNextWindow(reset, "USER_LOOKUP");
        return !m_early;
    }

    void Fetch() override {
        m_end = std::min(m_next + kLookupBatch, Total());
        std::string joined;
        for (int i = m_next; i < m_end; ++i) joined += m_list[static_cast<std::size_t>(i)] + ",";
        m_found = m_client.Users.Count();
        m_client.GetUsersLookUp(m_userId ? joined : "", m_userId ? "" : joined, true);
    }

    bool Check(std::string& /*stopLine*/) override { return true; }

    void Take() override {
        MainWindowState& w = m_table.m_window;
        m_table.m_lookedUp.Next(m_end - m_next);
        m_table.m_lookedUp.Page(m_client.Users.Count() - m_found);
        // The line before the look-up (how the last retrieval ended) stays; from the
        // second batch on the look-up rewrites its own line.
        const std::string line = "Getting profile details for user list (" + std::to_string(m_end) +
                                 " out of " + std::to_string(Total()) + " retrieved)";
        if (m_next == 0)
            w.Events().Log(line);
        else
            w.Events().Progress(line);
        w.Progress.SelectLast();
        m_table.ShowLookupQuota(m_client);
    }

    bool More() override {
        if (m_table.m_window.Run.Cancelled()) {
            m_early = true;
            return false;
        }
        m_table.m_window.Tk.DoEvents();
        m_next = m_end;
        return true;
    }

    // The look-up ended before its last batch: a Cancel, or a quota wait cut short.
    bool Early() const { return m_early; }

  private:
    int Total() const { return static_cast<int>(m_list.size()); }

    UserProfileTable& m_table;
    TwitterAPI& m_client;
    const std::vector<std::string>& m_list;
    bool m_userId;
    int m_next = 0;
    int m_end = 0;
    int m_found = 0;
    bool m_early = false;
};

void UserProfileTable::GetUsers(TwitterAPI& client, const std::vector<std::string>& requested, bool userId,
                                bool update) {
    MainWindowState& w = m_window;
    std::vector<std::string> list;
    std::vector<std::string> skipped;
    for (const std::string& entry : requested)
        (RetrievalSteps::CanBeScreenNameOrId(entry) ? list : skipped).push_back(entry);
    const int n = static_cast<int>(list.size());
    if (!update) client.Users.Clear();
    w.Run.ClearCancel();

    m_lookedUp.Begin("users", n);
    LookupBatches batches(*this, client, list, userId);
    PageLoop(w.Events()).Run(batches);
    // Not every caller holds a retrieval guard (Add User, the command line's look-up).
    m_lookedUp.End();
    // After the loop, which rewrites the log's last line with its progress.
    if (!skipped.empty()) w.Events().Log(RetrievalSteps::SkippedLine(skipped));
    if (!batches.Early()) return;
    w.Run.Record(CaptureOutcome::StoppedEarly);
    w.Events().Tell(kNotCompleted, CaptureEvents::Notice::Warning);
    w.InfoBar.SetPanel(3,
                       std::to_string(client.ULRateLimitRemaining()) + " USER_LOOKUP requests remaining\r\n");
}

bool UserProfileTable::PauseUntilNextWindow(const SKDFuncs::DateValue& resetTime,
                                            const std::string& twitMethod) const {
    return m_window.QuotaWaits().UntilNextWindowOn(resetTime, twitMethod, m_clock, kWaitStepMilliseconds);
}

// ---- Filling the table

std::string UserProfileTable::FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0) rounded = 0;  // no "-0.0"
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
    return buffer;
}

std::string UserProfileTable::FormatPadded(double value, int decimals, int width) {
    return SKDFuncs::PadNumber(FormatFixed(value, decimals), static_cast<std::uint8_t>(width));
}

std::vector<std::string> UserProfileTable::ProfileCells(const UserSet& users, int index) const {
    const UserSet::Record& r = users.Item(index);
    std::vector<std::string> cells(kColumnCount);
    cells[0] = r.Id;
    cells[1] = r.ScreenName;
    cells[2] = r.RealName;
    cells[3] = r.Description;
    cells[4] = r.URL;
    cells[5] = r.Lang;
    cells[6] = r.Location;
    cells[7] = TrueFalse(r.GeoEnabled);
    cells[8] = r.TimeZone;
    cells[9] = Padded(r.UTC_Offset, 2);
    cells[10] = Padded(r.Followers, 8);
    cells[11] = Padded(r.Friends, 8);
    cells[12] = Padded(r.StatusCount, 8);
    cells[13] = Padded(r.Favourites, 5);
    cells[14] = r.CreatedAt;
    cells[15] = TrueFalse(r.Verified);
    cells[16] = TrueFalse(r.Protected);
    cells[17] = r.ProfileImage;
    cells[18] = r.ProfileBanner;
    cells[19] = r.ProfileBackgroundImage;
    // A ratio or rate that cannot be computed leaves its cell empty.
    if (r.Friends != 0) cells[kFFRatio] = FormatPadded(static_cast<double>(r.Followers) / r.Friends, 1, 7);
    cells[kTwtDay] = TwtDayCell(r);
    return cells;
}

std::string UserProfileTable::TwtDayCell(const UserSet::Record& r) const {
    std::optional<SKDFuncs::DateValue> created;
    try {
        created = SKDFuncs::ReadDate(SKDFuncs::ToLocalDateTime(r.CreatedAt));
    } catch (const SKDFuncs::ConversionError&) {
    }
    if (!created) return {};  // an unreadable creation date only costs this cell
    const long long days = SKDFuncs::DayNumber(LocalNow()) - SKDFuncs::DayNumber(*created) + 1;
    if (days == 0) return {};
    return FormatPadded(static_cast<double>(r.StatusCount) / days, 1, 5);
}

void UserProfileTable::FillUserTable(TwitterAPI& client, bool withTweetStats) {
    FillUserTable(client, withTweetStats, m_window.CurrentUserTable());
}

void UserProfileTable::FillUserTable(TwitterAPI& client, bool withTweetStats, ReportList& table) {
    const UserSet& users = client.Users;
    table.BeginUpdate();
    for (int i = 1; i <= users.Count(); ++i) {
        std::vector<std::string> cells = ProfileCells(users, i);
        if (withTweetStats) {
            const UserStats s = TweetStatsForUser(users.ScreenName(i));
            // No tweets in the table: nothing to show, rather than zeros that read as figures.
            if (s.NoTwts > 0) {
                cells[kTwNoTwts] = Padded(s.NoTwts, 5);
                cells[kTwAvSentPos] = FormatFixed(s.AvSentPos, 1);
                cells[kTwAvSentNeg] = FormatFixed(s.AvSentNeg, 1);
                cells[kTwPctRT] = FormatPadded(s.PctRT, 0, 6);
                cells[kTwAvRT] = FormatPadded(s.AvRT, 0, 6);
                cells[kTwMaxRT] = FormatPadded(s.MaxRT, 0, 6);
            }
        }
        table.AddRow(cells);
    }
    table.EndUpdate();
    if (users.Count() > 0) m_window.Users.UnsavedUserTables.insert(&table);
    m_window.InfoBar.SetPanel(2, std::to_string(table.RowCount()) + " users displayed");
}

UserStats UserProfileTable::TweetStatsForUser(const std::string& screenName) const {
    const ReportList& tweets = m_window.OutTable;
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
    ReportList& table = m_window.CurrentUserTable();
    table.SetSortKeyOrReverse(position);
    table.SetSorted(true);
}

void UserProfileTable::mUTSelAll_Click(int index) {
    ReportList& table = m_window.CurrentUserTable();
    const int selected = table.SelectedIndex();
    for (int row = 0; row < table.RowCount(); ++row) {
        bool check = true;
        if (index == 1) check = table.Cell(row, kPrfTwtSamp).empty();
        if (index == 2) check = row <= selected;
        table.SetChecked(row, check);
    }
}

void UserProfileTable::mUTUnselAll_Click() {
    ReportList& table = m_window.CurrentUserTable();
    for (int row = 0; row < table.RowCount(); ++row) table.SetChecked(row, false);
}

void UserProfileTable::mCopyUT_Click() {
    m_window.Twitter.Users.ToClipboard([this](const std::string& text) {
        m_window.Tk.ClipboardClear();
        m_window.Tk.ClipboardSetText(text);
    });
}

void UserProfileTable::UserTable_MouseUp(int button) {
    if (button == 2) m_window.Users.mUT.ShowPopup();
}

}  // namespace marlin
