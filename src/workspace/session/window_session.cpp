#include "workspace/session/window_session.h"

#include "platform/blank_trim.h"

#include <filesystem>
#include <system_error>

#include "core/code_page.h"
#include "core/skd_funcs.h"
#include "workspace/session/preferences.h"

namespace marlin {

namespace {

constexpr const char* kSaveOnExitQuestion = "Save Tweets before exiting?";
constexpr const char* kLoadErrorTitle = "Load Error";
constexpr const char* kSaveErrorTitle = "File Save Error";
constexpr const char* kLanguagePrompt = "Enter the ISO-639-1 code (e.g. English = en, French = fr)";
constexpr const char* kLanguageTitle = "Set Search Language";
constexpr const char* kProxyPrompt = "Enter proxy address";
constexpr const char* kProxyTitle = "Set Proxy";
constexpr const char* kSearchGuideUrl =
    "https://developer.twitter.com/en/docs/twitter-api/v1/rules-and-filtering/search-operators";
// Left-over scorer output files are numbered from 0 and never reach this many.
constexpr int kScorerFileLimit = 255;

std::string RemoveCrLf(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 2);
    return text;
}

}  // namespace

WindowSession::WindowSession(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                             TweetFiles& files)
    : About(window.Tk, window.Engine.Client(), window.AppFolder),
      Service(window, tweetCtl),
      m_window(window),
      m_tweetCtl(tweetCtl),
      m_userCtl(userCtl),
      m_files(files) {
    for (Button& clear : HistoryItemClear) {
        clear.SetCaption("X");
        clear.SetToolTip("Remove current item from history (will not delete file)");
    }
    SearchHelp.SetToolTip("Show query help");
    m_tweetCtl.QPHistory.SetToolTip("Open query and data from a recently saved session");
    m_tweetCtl.UTLHistory.SetToolTip("Open data and user list from a recently saved session");
    // On institutional networks a proxy is often the only way out, so the item is offered.
    mSetProxy.SetVisible(true);
    WireControls();
}

void WindowSession::WireControls() {
    m_tweetCtl.QPHistory.SetOpenAction([this](int index) { OpenQueryEntry(index); });
    m_tweetCtl.UTLHistory.SetOpenAction([this](int index) { OpenTimelineEntry(index); });
    HistoryItemClear[0].SetClickAction([this] { HistoryItemClear_Click(0); });
    HistoryItemClear[1].SetClickAction([this] { HistoryItemClear_Click(1); });
    m_tweetCtl.SearchQuery.SetLostFocusAction([this] { SearchQuery_LostFocus(); });
    Timer1.SetTickAction([this] { Timer1_Timer(); });
    mSetLang.SetAction([this] { mSetLang_Click(); });
    mSetProxy.SetAction([this] { mSetProxy_Click(); });
    SearchHelp.SetClickAction([this] { SearchHelp_Click(); });
    mAbout.SetAction([this] { mAbout_Click(); });
    m_tweetCtl.mWaitQuota.SetAction([this] { SetWaitForQuota(!m_window.Settings.WaitForQuota); });
    m_tweetCtl.mKeepRaw.SetAction([this] { SetKeepRawResponses(!m_window.Settings.KeepRawResponses); });
    m_tweetCtl.mExactTexts.SetAction([this] { SetExactTexts(!m_window.Settings.ExactTexts); });
    m_tweetCtl.mExtraColumns.SetAction([this] { SetExtraColumns(!m_window.Settings.ExtraColumns); });

    frmAbout::MainWindowLink link;
    link.setEnabled = [this](bool enabled) { m_window.Window.SetEnabled(enabled); };
    link.setFocus = [this] {
        if (m_focus) m_focus();
    };
    link.setSearchQuery = [this](const std::string& query) { m_tweetCtl.SearchQuery.SetText(query); };
    link.loadPrefs = [this] { LoadPrefs(); };
    link.endProgram = [this] {
        if (m_endProgram) m_endProgram();
    };
    About.SetMainWindowLink(std::move(link));
}

void WindowSession::Form_Load() {
    MainWindowState& w = m_window;
    m_userCtl.ULCount.SetCaption(std::to_string(m_userCtl.UserList.Count()) + " users");
    w.Window.SetCaption(kApplicationTitle);
    m_tweetCtl.mVBDateTime.SetChecked(false);
    w.Settings.SearchLang = "en";
    // The window stays disabled until the credentials dialog has a token.
    w.Window.SetVisible(true);
    w.Window.SetEnabled(false);
    About.Form_Load();
    About.Show();
    DeleteScorerLeftovers();
}

void WindowSession::DeleteScorerLeftovers() {
    for (int n = 0; n < kScorerFileLimit; ++n) {
        std::filesystem::path file = m_window.AppFolder / ("tmp" + std::to_string(n) + "_out.txt");
        if (!SKDFuncs::FileExists(file.string())) break;
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

bool WindowSession::Form_QueryUnload() {
    MainWindowState& w = m_window;
    // Only rows changed since they were last saved or opened are worth the question.
    if (w.TweetsTable.Rows().RowCount() > 0 && w.TweetsDirty()) {
        MsgResult answer = w.Tk.MessageBox(kSaveOnExitQuestion, MsgButtons::YesNoCancel);
        if (answer == MsgResult::Cancel) return false;
        if (answer == MsgResult::Yes) {
            m_files.SaveToOwnFile();
            // A save the user cancelled or that failed would otherwise throw the
            // retrieved rows away with the window.
            if (w.TweetsDirty()) return false;
        }
    }
    // The follower and friend tables of a whole quota window would otherwise go with it.
    if (!m_userCtl.OfferToSaveUserTable(UserControls::kAllUserTables)) return false;
    // Settings that cannot be stored are said once, and the window stays open as it does
    // for unsaved tweets; closing again ends the program without them.
    if (!SavePrefs() && !m_prefsFailureShown) {
        m_prefsFailureShown = true;
        w.Tk.MessageBox("Couldn't save: " + (w.AppFolder / Preferences::kFileName).string() +
                            " -- The file could not be written." + kPrefsNotSavedAdvice,
                        kSaveErrorTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return false;
    }
    About.Window.SetVisible(false);
    w.Window.SetVisible(false);
    return true;
}

void WindowSession::LoadPrefs() {
    MainWindowState& w = m_window;
    auto lines = Preferences::Read(w.AppFolder / Preferences::kFileName);
    if (!lines) return;
    for (const Preferences::Line& line : *lines) {
        switch (line.tag) {
            case Preferences::Tag::Query:
                m_tweetCtl.QPHistory.AddItem(line.value);
                // The newest query and its tweets are the starting state of the run.
                if (m_tweetCtl.QPHistory.Count() == 1) m_tweetCtl.QPHistory.SetSelectedIndex(0);
                break;
            case Preferences::Tag::Timeline:
                m_tweetCtl.UTLHistory.AddItem(line.value);
                if (m_tweetCtl.UTLHistory.Count() == 1 && m_tweetCtl.QPHistory.Count() == 0)
                    m_tweetCtl.UTLHistory.SetSelectedIndex(0);
                break;
            case Preferences::Tag::Language:
                w.Settings.SearchLang = line.value;
                break;
            case Preferences::Tag::Widths:
                ApplyColumnWidths(line.value);
                break;
            case Preferences::Tag::WaitForQuota:
                SetWaitForQuota(line.value == "1");
                break;
            case Preferences::Tag::KeepRaw:
                SetKeepRawResponses(line.value == "1");
                break;
            case Preferences::Tag::ExactTexts:
                SetExactTexts(line.value == "1");
                break;
            case Preferences::Tag::ExtraColumns:
                SetExtraColumns(line.value == "1");
                break;
            case Preferences::Tag::PaneSizes:
                ApplyPaneSizes(line.value);
                break;
            case Preferences::Tag::ServiceApi:
            case Preferences::Tag::FullArchive:
            case Preferences::Tag::PricePerPost:
            case Preferences::Tag::Spending:
                Service.ApplyPrefsLine(line);
                break;
        }
    }
}

bool WindowSession::SavePrefs() {
    MainWindowState& w = m_window;
    Preferences::Switches switches;
    switches.waitForQuota = w.Settings.WaitForQuota;
    switches.keepRaw = w.Settings.KeepRawResponses;
    switches.exactTexts = w.Settings.ExactTexts;
    switches.extraColumns = w.Settings.ExtraColumns;
    Service.FillSwitches(switches);
    std::string text =
        Preferences::Format(m_tweetCtl.QPHistory.Items(), m_tweetCtl.UTLHistory.Items(),
                            w.Settings.SearchLang, ColumnWidths(), switches, StoredPaneSizes());
    return Preferences::Write(w.AppFolder / Preferences::kFileName, text);
}

std::vector<int> WindowSession::ColumnWidths() const {
    std::vector<int> widths;
    // The documented columns': the extra ones come and go with the setting.
    const std::vector<ReportColumn>& columns = m_window.TweetsTable.Rows().Columns();
    for (std::size_t k = 0; k < columns.size() && k < TweetColumn::Count; ++k)
        widths.push_back(columns[k].width);
    return widths;
}

void WindowSession::ApplyColumnWidths(const std::string& hwLine) {
    ReportList& table = m_window.TweetsTable.Rows();
    auto widths = Preferences::ParseWidths(hwLine, table.ColumnCount());
    if (!widths || table.ColumnCount() == 0) return;
    for (int i = 0; i < table.ColumnCount(); ++i)
        table.SetColumnWidth(i, (*widths)[static_cast<std::size_t>(i)]);
}

void WindowSession::ApplyPaneSizes(const std::string& spLine) {
    const auto pane = Preferences::ParsePaneSizes(spLine);
    if (!pane) return;
    for (Splitter* splitter : {&MainSplitter, &TopSplitter, &LowerSplitter, &WindowGeometry})
        if (splitter->Name() == pane->name) splitter->SetSizes(pane->sizes);
}

std::vector<Preferences::PaneSizes> WindowSession::StoredPaneSizes() const {
    std::vector<Preferences::PaneSizes> panes;
    for (const Splitter* splitter : {&MainSplitter, &TopSplitter, &LowerSplitter, &WindowGeometry})
        if (!splitter->Sizes().empty()) panes.push_back({splitter->Name(), splitter->Sizes()});
    return panes;
}

void WindowSession::OpenFromHistory(const std::string& fileName) {
    m_files.OpenNamed(fileName);
}

void WindowSession::OpenQueryEntry(int index) {
    MainWindowState& w = m_window;
    if (index < 0 || index >= m_tweetCtl.QPHistory.Count()) return;
    auto [query, fileName] = Preferences::SplitQueryEntry(m_tweetCtl.QPHistory.Item(index));
    m_tweetCtl.SearchQuery.SetText(query);
    if (SKDFuncs::FileExists(fileName)) {
        OpenFromHistory(fileName);
        w.SetTweetSource(TweetSource::Search);
        m_tweetCtl.UpdateSearch.SetEnabled(true);
        m_userCtl.UpdateUTL.SetEnabled(false);
        return;
    }
    w.SetTweetSource(TweetSource::None);
    std::string question = fileName + " was not found [" + m_tweetCtl.SearchQuery.Text() +
                           "]. Remove this query-data pair from the history? (Note: It may be stored on the "
                           "local drive of another PC)";
    if (w.Tk.MessageBox(question, kLoadErrorTitle, MsgButtons::YesNo, MsgIcon::None) == MsgResult::Yes) {
        m_tweetCtl.QPHistory.RemoveItem(index);
    }
}

void WindowSession::OpenTimelineEntry(int index) {
    MainWindowState& w = m_window;
    if (index < 0 || index >= m_tweetCtl.UTLHistory.Count()) return;
    std::string fileName = m_tweetCtl.UTLHistory.Item(index);
    if (SKDFuncs::FileExists(fileName)) {
        OpenFromHistory(fileName);
        w.SetTweetSource(TweetSource::Timelines);
        if (w.TweetsTable.Rows().RowCount() > 0 && m_getUsersFromTweets) m_getUsersFromTweets();
        m_tweetCtl.UpdateSearch.SetEnabled(false);
        m_userCtl.UpdateUTL.SetEnabled(true);
        return;
    }
    w.SetTweetSource(TweetSource::None);
    std::string question =
        fileName +
        " [User Timeline] was not found. Remove this item from the history? (Note: It may be "
        "stored on the local drive of another PC)";
    if (w.Tk.MessageBox(question, kLoadErrorTitle, MsgButtons::YesNo, MsgIcon::None) == MsgResult::Yes) {
        m_tweetCtl.UTLHistory.RemoveItem(index);
    }
}

void WindowSession::HistoryItemClear_Click(int index) {
    DropDownList& history = index == 1 ? m_tweetCtl.QPHistory : m_tweetCtl.UTLHistory;
    if (history.Count() > 0 && history.SelectedIndex() >= 0) history.RemoveItem(history.SelectedIndex());
}

void WindowSession::SearchQuery_LostFocus() {
    TextBox& query = m_tweetCtl.SearchQuery;
    std::string cleaned = RemoveCrLf(query.Text());
    if (cleaned != query.Text()) query.SetText(cleaned);
}

void WindowSession::Timer1_Timer() {
    MainWindowState& w = m_window;
    w.InfoBar.SetPanel(1, std::to_string(w.TweetsTable.Rows().RowCount()) + " tweets displayed");
    // The user table in sight, as the commands that fill it count it; the user list has its
    // own count beside it.
    const ReportList& users = m_userCtl.CurrentUserTable();
    w.InfoBar.SetPanel(2, std::to_string(users.RowCount()) + " users displayed (" +
                              std::to_string(users.CheckedCount()) + " checked)");
    // The label under the user list follows the list, whichever command changed it.
    const std::string listed = std::to_string(m_userCtl.UserList.Count()) + " users";
    if (m_userCtl.ULCount.Caption().rfind(listed, 0) != 0)
        m_userCtl.ULCount.SetCaption(listed + " displayed");
}

void WindowSession::mSetLang_Click() {
    std::string answer = m_window.Tk.InputBox(kLanguagePrompt, kLanguageTitle, m_window.Settings.SearchLang);
    if (CharacterCount(answer) == 2) m_window.Settings.SearchLang = answer;
}

void WindowSession::mSetProxy_Click() {
    const std::string& current = m_window.Engine.Client().ProxyServer();
    std::string answer =
        m_window.Tk.InputBox(kProxyPrompt, kProxyTitle, current.empty() ? kDefaultProxy : current);
    m_window.Engine.Client().SetProxyServer(answer);
}

void WindowSession::SearchHelp_Click() {
    m_window.Tk.OpenUrl(kSearchGuideUrl);
}

void WindowSession::mAbout_Click() {
    m_window.Window.SetEnabled(false);
    About.Show();
}

void WindowSession::SetWaitForQuota(bool on) {
    m_window.Settings.WaitForQuota = on;
    m_tweetCtl.mWaitQuota.SetChecked(on);
}

void WindowSession::SetExactTexts(bool on) {
    m_window.SetExactTexts(on);
    for (const auto& table : m_userCtl.UserTables) table->SetUtf8(on);
    m_tweetCtl.mExactTexts.SetChecked(on);
}

void WindowSession::SetExtraColumns(bool on) {
    m_window.Settings.ExtraColumns = on;
    // Off, the table on show and its files are as they always were.
    m_window.TweetsTable.SetExtraColumns(on);
    m_tweetCtl.mExtraColumns.SetChecked(on);
}

void WindowSession::SetKeepRawResponses(bool on) {
    m_window.Settings.KeepRawResponses = on;
    m_tweetCtl.mKeepRaw.SetChecked(on);
}

}  // namespace marlin
