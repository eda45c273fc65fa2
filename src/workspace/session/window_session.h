#pragma once

#include <array>
#include <functional>
#include <string>

#include "platform/button.h"
#include "platform/menu_item.h"
#include "platform/splitter.h"
#include "platform/timer.h"
#include "workspace/main_window_state.h"
#include "workspace/session/frm_about.h"
#include "workspace/session/preferences.h"
#include "workspace/session/service_settings.h"
#include "workspace/tweets/tweet_files.h"

namespace marlin {

// The main window's run from start-up to shut-down: the credentials dialog as the gate,
// the preferences file and the two histories, the one-second status refresh, the query
// clean-up and the small Settings and About commands.
class WindowSession {
  public:
    static constexpr const char* kPrefsNotSavedAdvice =
        " The histories and settings of this session are not stored; close the window again to quit "
        "without them.";
    // Offered by Set Proxy while no proxy is set: the usual local web proxy.
    static constexpr const char* kDefaultProxy = "127.0.0.1:8080";

    WindowSession(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl, TweetFiles& files);
    WindowSession(const WindowSession&) = delete;
    WindowSession& operator=(const WindowSession&) = delete;

    // --- Controls handled here
    Timer Timer1{1000};
    // Index 1 clears the query history, index 0 the timeline history.
    std::array<Button, 2> HistoryItemClear;
    Button SearchHelp{"?"};
    MenuItem mSetLang{"Set Search Language"};
    MenuItem mSetProxy{"Set Proxy"};
    MenuItem mAbout{"About"};
    // File › "Quit" (Ctrl+Q): closes the window as its close button does (the window sets the action).
    MenuItem mQuit{"Quit"};
    // The window's splitters: the frames above and the rest below, the three frames side by
    // side at the top, and the Tweets table beside the tabs. Their sizes live in the prefs file.
    Splitter MainSplitter{"MainSplitter"};
    Splitter TopSplitter{"TopSplitter"};
    Splitter LowerSplitter{"LowerSplitter"};
    // The window's place on the screen, stored with the panes: left, top, width and height
    // of the normal (not maximised) window, and 1 when it was maximised. Empty until the
    // window closes once, so the first start chooses its own size.
    Splitter WindowGeometry{"Window"};
    // The credentials dialog, created with the window and hidden rather than destroyed.
    frmAbout About;
    // Settings › "Service", "Full-Archive Search (v2)", "Price per Post Read…".
    ServiceSettings Service;

    // --- Hooks into the rest of the program
    // The user side's "Get Users From Tweets", run after a timeline entry is opened.
    void SetGetUsersFromTweetsAction(std::function<void()> action) {
        m_getUsersFromTweets = std::move(action);
    }
    // Ends the program at once (the credentials dialog closed without a token).
    void SetEndProgramAction(std::function<void()> action) { m_endProgram = std::move(action); }
    // Brings the main window to the front with the focus.
    void SetFocusAction(std::function<void()> action) { m_focus = std::move(action); }

    // --- Operations
    // Settings › "Wait for Quota Windows Automatically" and "Keep Raw Responses": the
    // setting and its check mark.
    void SetWaitForQuota(bool on);
    void SetKeepRawResponses(bool on);
    // Settings › "Keep Texts Exactly".
    void SetExactTexts(bool on);
    // Settings › "Extra Columns".
    void SetExtraColumns(bool on);
    // Window load: disables the window behind the credentials dialog and removes the
    // scorer's left-over output files.
    void Form_Load();
    // The window is asked to close; false keeps it open.
    bool Form_QueryUnload();

    void LoadPrefs();
    // False when the prefs file could not be written (the earlier one is then kept).
    bool SavePrefs();

    void OpenQueryEntry(int index);
    void OpenTimelineEntry(int index);
    void HistoryItemClear_Click(int index);
    void SearchQuery_LostFocus();
    void Timer1_Timer();
    void mSetLang_Click();
    void mSetProxy_Click();
    void SearchHelp_Click();
    void mAbout_Click();

    // Deletes tmp0_out.txt, tmp1_out.txt, ... in the program folder up to the first gap.
    void DeleteScorerLeftovers();

  private:
    void WireControls();
    std::vector<int> ColumnWidths() const;
    void ApplyColumnWidths(const std::string& hwLine);
    void ApplyPaneSizes(const std::string& spLine);
    std::vector<Preferences::PaneSizes> StoredPaneSizes() const;
    // Opens a history file: no dialog, a file that cannot be read is skipped silently.
    void OpenFromHistory(const std::string& fileName);

    MainWindowState& m_window;
    TweetControls& m_tweetCtl;
    UserControls& m_userCtl;
    TweetFiles& m_files;
    std::function<void()> m_getUsersFromTweets;
    std::function<void()> m_endProgram;
    std::function<void()> m_focus;
    bool m_prefsFailureShown = false;
};

}  // namespace marlin
