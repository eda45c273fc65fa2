#include "workspace/users/timeline_samples.h"
#include "core/tweet_column.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "service/app_cred_file.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

namespace {

constexpr const char* kSamplePrompt =
    "How many original tweets to save for each user? For Profiler, use default value of 50";
constexpr const char* kSamplesDone = "Retrieval of User timeline samples completed";
constexpr const char* kNoUserChecked =
    "No user is checked. Check the box of each user whose timeline sample you want (highlighting a row "
    "does not check it).";
constexpr const char* kRenamePrompt = "Enter New Table Name";
// A sample stops after the page that brings it to this many tweets.
constexpr int kSampleCap = 600;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool MentionsBirthday(const std::string& text) {
    const std::string lower = Lower(text);
    return lower.find(" bday") != std::string::npos || lower.find("birthday") != std::string::npos;
}

// The calendar day of a tweet's date-time, whichever text form the set holds.
long long TweetDay(const TweetSet& tweets, int index) {
    return SKDFuncs::DayNumber(SKDFuncs::ToDate(SKDFuncs::ToLocalDateTime(tweets.DateTime(index))));
}

// The toggle and the table list select each other; this keeps one switch from running
// the other's handler again.
class SwitchGuard {
  public:
    explicit SwitchGuard(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~SwitchGuard() { m_flag = m_was; }
    SwitchGuard(const SwitchGuard&) = delete;
    SwitchGuard& operator=(const SwitchGuard&) = delete;

  private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

TimelineSamples::TimelineSamples(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                                 UserProfileTable& profiles)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_profiles(profiles) {}

// ---- Build Table

void TimelineSamples::BuildTweetsUT_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w);
    m_userCtl.UTToggle.SetSelectedIndex(0);
    // The look-up lets events run; a table switched to meanwhile is not this command's.
    UserTable& userTable = *m_userCtl.UserTables.front();
    ReportList& table = userTable.Rows();
    table.ClearRows();
    w.InfoBar.SetPanel(2, "Empty");

    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (int row = 0; row < w.TweetsTable.Rows().RowCount(); ++row) {
        std::string name = Trimmed(w.TweetsTable.Rows().Cell(row, TweetColumn::UserScreenName));
        if (!name.empty() && seen.insert(name).second) names.push_back(std::move(name));
        w.Tk.DoEvents();
    }
    if (!names.empty()) {
        w.Tk.SetCursor(CursorShape::ArrowAndBusy);
        m_profiles.GetUsers(w.Engine, names, false, false);
        m_profiles.FillUserTable(w.Engine.Users(), true, userTable);
    }
}

// ---- Get User Timelines

SKDFuncs::DateValue TimelineSamples::OneYearBack(const SKDFuncs::DateValue& day) {
    SKDFuncs::DateValue back{day.year - 1, day.month, day.day, 0, 0, 0};
    if (back.month == 2 && back.day == 29) back.day = 28;
    return back;
}

UserStats TimelineSamples::SampleStats(const TweetSet& tweets, int sampleSize) {
    UserStats stats;
    const int m = tweets.Count();
    int taken = 0;
    int rt = 0;
    int geo = 0;
    long long sumRT = 0;
    for (int j = 1; j <= m; ++j) {
        const std::string text = tweets.Text(j);
        const bool retweet = text.starts_with("RT ");
        if (retweet) {
            ++rt;
        } else {
            sumRT += tweets.Retweeted(j);
            if (taken < sampleSize) {
                stats.TwtSample += text + "|";
                ++taken;
            }
            if (MentionsBirthday(text)) stats.BDayTwts += text + "|";
        }
        if (tweets.GeoCoords(j) != "null") ++geo;
    }
    if (m == 0) return stats;
    try {
        // Tweet 1 is the newest.
        stats.TwtDay =
            static_cast<float>(static_cast<double>(m) / (TweetDay(tweets, 1) - TweetDay(tweets, m) + 1));
    } catch (const SKDFuncs::ConversionError&) {
        stats.TwtDay = 0;
    }
    if (m > rt) stats.AvRT = static_cast<float>(static_cast<double>(sumRT) / (m - rt));
    stats.PctRT = static_cast<float>(100.0 * rt / m);
    stats.PctGeo = static_cast<float>(100.0 * geo / m);
    return stats;
}

void TimelineSamples::GetUTTL_Click() {
    MainWindowState& w = m_window;
    // The sample reuses the clients' tweet sets; a retrieval running meanwhile would lose its own.
    if (!w.CanStartRetrieval()) return;
    // Highlighted rows are not checked ones; a run over none would report a sample taken.
    if (m_userCtl.CurrentUserTable().CheckedCount() == 0) {
        w.Tk.MessageBox(kNoUserChecked, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    RetrievalGuard running(w, RetrievalGuard::Mark::RunningOnly, CursorShape::ArrowAndBusy);
    // Calendar arithmetic: a year back from 29 February is 28 February.
    const SKDFuncs::DateValue back = OneYearBack(m_profiles.LocalNow());
    const std::string answer = w.Tk.InputBox(kSamplePrompt, kApplicationTitle, "50");
    const int sampleSize = std::max(0, SKDFuncs::RoundHalfEven(SKDFuncs::LeadingNumber(answer)));

    CaptureEngine& engine = m_userCtl.CurUserTable == 0 ? w.Engine : w.TableEngine;
    UserTable& userTable = m_userCtl.CurrentTable();
    ReportList& table = userTable.Rows();
    CaptureRequest request = w.Request(CaptureKind::Sample, m_tweetCtl, m_userCtl);
    request.backTo = std::chrono::year_month_day{std::chrono::year{back.year},
                                                 std::chrono::month{static_cast<unsigned>(back.month)},
                                                 std::chrono::day{static_cast<unsigned>(back.day)}};
    request.limits.maxRecords = kSampleCap;
    std::vector<int> rows;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (!table.Checked(row)) continue;
        rows.push_back(row);
        request.accounts.push_back(Trimmed(table.Cell(row, UserTable::kScreenName)));
    }
    AccountSteps steps;
    steps.started = [&](int) {
        table.SetFocus();
        w.Tk.DoEvents();
    };
    // The engine's tweets hold the account's sample; its figures go to the account's row.
    steps.done = [&](int index) {
        ShowSample(engine.Tweets(), userTable, rows[static_cast<std::size_t>(index)], sampleSize);
    };
    engine.Capture(request, steps);
    running.Release();
    w.Tk.MessageBox(kSamplesDone);
}

void TimelineSamples::ShowSample(const TweetSet& sample, UserTable& userTable, int row, int sampleSize) {
    MainWindowState& w = m_window;
    ReportList& table = userTable.Rows();
    const UserStats s = SampleStats(sample, sampleSize);
    table.SetCell(row, UserTable::kPrfTwtSamp, s.TwtSample);
    table.SetCell(row, UserTable::kPrfBDayTwts, s.BDayTwts);
    table.SetCell(row, UserTable::kTLTwtDay, ProfileRows::FormatPadded(s.TwtDay, 0, 4));
    table.SetCell(row, UserTable::kTLPctRT, ProfileRows::FormatPadded(s.PctRT, 0, 3));
    table.SetCell(row, UserTable::kTLAvRT, ProfileRows::FormatPadded(s.AvRT, 0, 4));
    table.SetCell(row, UserTable::kTLPctGeo, ProfileRows::FormatPadded(s.PctGeo, 0, 3));
    userTable.SetUnsaved(true);
    w.Tk.DoEvents();
}

// ---- The named tables

void TimelineSamples::ShowCurrentTable() {
    for (std::size_t k = 0; k < m_userCtl.UserTables.size(); ++k)
        m_userCtl.UserTables[k]->Rows().SetVisible(static_cast<int>(k) == m_userCtl.CurUserTable);
}

int TimelineSamples::NamedTable(const std::string& name) const {
    // The list holds the names in element order, so the chosen entry names its element
    // even when two tables share a name.
    const CheckList& list = m_userCtl.UTList;
    const int selected = list.SelectedIndex();
    if (selected >= 0 && list.Item(selected) == name) return selected + 1;
    for (std::size_t k = 1; k < m_userCtl.UserTables.size(); ++k)
        if (m_userCtl.UserTables[k]->Name() == name) return static_cast<int>(k);
    return 0;
}

void TimelineSamples::UTList_Click() {
    if (m_switching) return;
    // Choosing "Other:" makes the table chosen in the list current.
    m_userCtl.UTToggle.SetSelectedIndex(1);
}

void TimelineSamples::UTToggle_Click(int index) {
    if (m_switching) return;
    SwitchGuard guard(m_switching);
    m_userCtl.CurUserTable = 0;
    if (index == 1 && m_userCtl.UserTables.size() > 1)
        m_userCtl.CurUserTable = NamedTable(m_userCtl.UTList.SelectedText());
    if (index == 1 && m_userCtl.CurUserTable == 0) m_userCtl.UTToggle.SetSelectedIndex(0);
    ShowCurrentTable();
    if (m_userCtl.CurUserTable > 0) m_userCtl.UTList.SetSelectedIndex(m_userCtl.CurUserTable - 1);
}

void TimelineSamples::AddRemUT_Click() {
    MainWindowState& w = m_window;
    // A running command may be filling one of the tables.
    if (!w.CanStartRetrieval()) return;
    const std::string name = m_userCtl.UTList.SelectedText();
    if (const int removed = NamedTable(name); removed > 0) m_userCtl.OfferToSaveUserTable(removed);
    SwitchGuard guard(m_switching);
    m_userCtl.UTList.Clear();
    std::vector<std::unique_ptr<UserTable>> tables;
    tables.push_back(std::move(m_userCtl.UserTables.front()));
    for (std::size_t k = 1; k < m_userCtl.UserTables.size(); ++k) {
        m_userCtl.UserTables[k]->Rows().SetVisible(false);
        if (m_userCtl.UserTables[k]->Name() == name) continue;  // unloaded
        m_userCtl.UTList.AddItem(m_userCtl.UserTables[k]->Name());
        tables.push_back(std::move(m_userCtl.UserTables[k]));
    }
    m_userCtl.UserTables = std::move(tables);
    m_userCtl.CurUserTable = static_cast<int>(m_userCtl.UserTables.size()) - 1;
    if (m_userCtl.UTList.Count() > 0) m_userCtl.UTList.SetSelectedIndex(m_userCtl.UTList.Count() - 1);
    m_userCtl.UTToggle.SetSelectedIndex(m_userCtl.CurUserTable == 0 ? 0 : 1);
    ShowCurrentTable();
}

void TimelineSamples::AuthenticateUTwitter() {
    MainWindowState& w = m_window;
    TwitterAPI& client = w.TableEngine.Client();
    if (!client.BearerToken().empty()) return;
    const AppCredFile::Credentials stored = AppCredFile::InFolder(w.AppFolder).Read();
    client.AuthAppAccess(stored.appName, stored.consumerKey, stored.consumerSecret);
}

bool TimelineSamples::AddUserTable(std::string name) {
    AuthenticateUTwitter();
    if (name.empty()) name = std::to_string(++m_userCtl.UserTableCounter) + "UserTable";
    auto table = std::make_unique<UserTable>(name);
    table->SetUtf8(m_window.Settings.ExactTexts);
    m_profiles.PrepareTable(table->Rows());

    SwitchGuard guard(m_switching);
    m_userCtl.UserTables.push_back(std::move(table));
    m_userCtl.CurUserTable = static_cast<int>(m_userCtl.UserTables.size()) - 1;
    m_userCtl.UTList.AddItem(name);
    m_userCtl.UTList.SetSelectedIndex(m_userCtl.UTList.Count() - 1);
    m_userCtl.UTToggle.SetSelectedIndex(1);
    ShowCurrentTable();
    return true;
}

void TimelineSamples::UTList_DblClick() {
    MainWindowState& w = m_window;
    const int selected = m_userCtl.UTList.SelectedIndex();
    if (selected < 0) return;
    const std::string answer =
        w.Tk.InputBox(kRenamePrompt, kApplicationTitle, m_userCtl.UTList.Item(selected));
    // A cancelled prompt gives the empty text, which is no name.
    if (answer.empty()) return;
    m_userCtl.UTList.SetItem(selected, answer);
    m_userCtl.UserTables.at(static_cast<std::size_t>(selected) + 1)->SetName(answer);
}

}  // namespace marlin
