#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/toolkit.h"
#include "service/http_request.h"
#include "workspace/main_window_state.h"
#include "workspace/search_retrieval.h"
#include "workspace/tweet_editing.h"
#include "workspace/tweet_files.h"
#include "workspace/tweet_table_view.h"
#include "workspace/window_session.h"

namespace marlin {

// The main window without a toolkit. It owns the window state (controls, flags, the two
// service clients) and one object per group of commands; every user command is a public
// method here that forwards to its group. The constructor wires the controls' actions to
// these methods, so a click on a control model and a call of the method are the same.
//
// Groups:
//   TweetTableView  — the Tweets table, ShowTweets, sorting
//   TweetFiles      — Open / Save / Save and Send of tweet table files
//   SearchRetrieval — New / Update / Cancel and the page loop
//   TweetEditing    — filter, retweets, deletions, date-time conversion, row popup, Copy Log
class frmMain {
  public:
    // apiBase: scheme, host and port of the service (the emulator's in tests).
    // appFolder: the program's folder (prefs, appcred, the scorer and its files).
    frmMain(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
            std::filesystem::path appFolder);
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    MainWindowState& State() { return *m_state; }
    const MainWindowState& State() const { return *m_state; }
    TweetTableView& TableView() { return m_view; }
    TweetFiles& Files() { return m_files; }
    SearchRetrieval& Search() { return m_search; }
    TweetEditing& Editing() { return m_editing; }
    WindowSession& Session() { return m_session; }

    // ---- Search retrieval
    void GetSrch_Click() { m_search.GetSrch_Click(); }
    void UpdateSearch_Click() { m_search.UpdateSearch_Click(); }
    void QuitGet_Click() { m_search.QuitGet_Click(); }
    void RetrieveSearch(const std::string& query, const std::string& sinceId) {
        m_search.RetrieveSearch(query, sinceId);
    }

    // ---- Tweets table and its files
    void ShowTweets(bool append) { m_view.ShowTweets(append); }
    void mOpenTweets_Click() { m_files.OpenTweetsTable(); }
    void mSaveTweets_Click() { m_files.SaveTweetsTable(); }
    void mSaveSend_Click() { m_files.SaveAndSend(); }
    void mHeaders_Click() { m_view.mHeaders_Click(); }
    void mSortDT_Click() { m_view.mSortDT_Click(); }
    void OutTable_ColumnClick(int position) { m_view.OutTable_ColumnClick(position); }

    // ---- Tweets table editing
    void mFilterTweets_Click() { m_editing.mFilterTweets_Click(); }
    void mRemRT_Click() { m_editing.mRemRT_Click(); }
    void mDelTweet_Click() { m_editing.mDelTweet_Click(); }
    void mDelUsersTweets_Click() { m_editing.mDelUsersTweets_Click(); }
    void mVBDateTime_Click() { m_editing.mVBDateTime_Click(); }
    void mSPSSDateTime_Click() { m_editing.mSPSSDateTime_Click(); }
    void mTwitterDateTime_Click() { m_editing.mTwitterDateTime_Click(); }
    void OutTable_MouseUp(int button) { m_editing.OutTable_MouseUp(button); }
    void mNavLinkURL_Click() { m_editing.mNavLinkURL_Click(); }
    void mNavUserTwitter_Click() { m_editing.mNavUserTwitter_Click(); }
    void mCopyLog_Click() { m_editing.mCopyLog_Click(); }
    void Progress_MouseDown(int button) { m_editing.Progress_MouseDown(button); }

    // ---- Start-up, preferences and histories, the credentials dialog, shut-down
    void Form_Load() { m_session.Form_Load(); }
    bool Form_QueryUnload() { return m_session.Form_QueryUnload(); }
    void LoadPrefs() { m_session.LoadPrefs(); }
    bool SavePrefs() { return m_session.SavePrefs(); }
    frmAbout& About() { return m_session.About; }

    // ---- User side: the User list, user tables and timeline retrieval commands go here
    // (mAddU2UL and mDelUFUL of the row popup are theirs).

  private:
    void CreateMenus();
    void WireControls();

    std::unique_ptr<MainWindowState> m_state;
    TweetTableView m_view;
    TweetFiles m_files;
    SearchRetrieval m_search;
    TweetEditing m_editing;
    WindowSession m_session;
};

}  // namespace marlin
