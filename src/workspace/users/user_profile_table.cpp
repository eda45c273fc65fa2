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
    : m_window(window), m_clock([] { return SKDFuncs::Now(); }) {}

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
    CaptureRequest request = w.Request(CaptureKind::Lookup);
    request.accounts = list;
    request.accountsAreIds = userId;
    request.addToRecords = update;
    engine.Capture(request);
    // The look-up's own line is the one in sight.
    if (w.Progress.Last().starts_with("Getting profile details")) w.Progress.SelectLast();
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

void UserProfileTable::FillUserTable(const UserSet& users, bool withTweetStats) {
    FillUserTable(users, withTweetStats, m_window.CurrentUserTable());
}

void UserProfileTable::FillUserTable(const UserSet& users, bool withTweetStats, ReportList& table) {
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
    m_window.Engine.Users().ToClipboard([this](const std::string& text) {
        m_window.Tk.ClipboardClear();
        m_window.Tk.ClipboardSetText(text);
    });
}

void UserProfileTable::UserTable_MouseUp(int button) {
    if (button == 2) m_window.Users.mUT.ShowPopup();
}

}  // namespace marlin
