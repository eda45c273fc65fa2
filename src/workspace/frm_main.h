#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "service/http_request.h"
#include "workspace/main_window_state.h"
#include "workspace/search_retrieval.h"
#include "workspace/tweet_editing.h"
#include "workspace/tweet_files.h"
#include "workspace/tweet_table_view.h"
#include "workspace/user_side.h"
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

    // ---- User side: the User list, the user tables with their samples and files, and the
    // timeline retrieval (mAddU2UL and mDelUFUL of the row popup are theirs too).
    UserSide& Users() { return m_users; }
    // Timeline retrieval
    void GetAllUTL_Click() { m_users.Timelines().GetAllUTL_Click(); }
    void UpdateUTL_Click() { m_users.Timelines().UpdateUTL_Click(); }
    void UserList_DblClick() { m_users.Timelines().UserList_DblClick(); }
    void RetrieveTimeline(const std::string& user, const std::string& sinceId) {
        m_users.Timelines().RetrieveTimeline(user, sinceId);
    }
    // The User list and its menu
    void mGetUserFollowers_Click() { m_users.List().mGetUserFollowers_Click(); }
    void mGetUserFriends_Click() { m_users.List().mGetUserFriends_Click(); }
    void mGetUFT_Click() { m_users.List().mGetUFT_Click(); }
    void mPasteUL_Click() { m_users.List().mPasteUL_Click(); }
    void mCopyUL_Click() { m_users.List().mCopyUL_Click(); }
    void mAddUser_Click() { m_users.List().mAddUser_Click(); }
    void mDeleteUser_Click() { m_users.List().mDeleteUser_Click(); }
    void mSelAllUL_Click() { m_users.List().mSelAllUL_Click(); }
    void mULClear_Click() { m_users.List().mULClear_Click(); }
    void mAddU2UL_Click() { m_users.List().mAddU2UL_Click(); }
    void mDelUFUL_Click() { m_users.List().mDelUFUL_Click(); }
    void UserList_Click() { m_users.List().UserList_Click(); }
    void UserList_MouseUp(int button) { m_users.List().UserList_MouseUp(button); }
    void UserHandle_Click(int index) { m_users.List().UserHandle_Click(index); }
    void GUFOp_Click(int index) { m_users.List().GUFOp_Click(index); }
    void GetFF_Click(int index) { m_users.List().GetFF_Click(index); }
    // The user tables
    void GetUsers(TwitterAPI& client, const std::vector<std::string>& list, bool userId, bool update) {
        m_users.Profiles().GetUsers(client, list, userId, update);
    }
    void FillUserTable(TwitterAPI& client, bool withTweetStats) {
        m_users.Profiles().FillUserTable(client, withTweetStats);
    }
    void mCopyUT_Click() { m_users.Profiles().mCopyUT_Click(); }
    void UserTable_ColumnClick(int position) { m_users.Profiles().UserTable_ColumnClick(position); }
    void UserTable_MouseUp(int button) { m_users.Profiles().UserTable_MouseUp(button); }
    void mUTSelAll_Click(int index) { m_users.Profiles().mUTSelAll_Click(index); }
    void mUTUnselAll_Click() { m_users.Profiles().mUTUnselAll_Click(); }
    void BuildTweetsUT_Click() { m_users.Samples().BuildTweetsUT_Click(); }
    void GetUTTL_Click() { m_users.Samples().GetUTTL_Click(); }
    void MergeRemUT_Click() { m_users.Samples().MergeRemUT_Click(); }
    void AddRemUT_Click() { m_users.Samples().AddRemUT_Click(); }
    void UTList_Click() { m_users.Samples().UTList_Click(); }
    void UTList_DblClick() { m_users.Samples().UTList_DblClick(); }
    void UTToggle_Click(int index) { m_users.Samples().UTToggle_Click(index); }
    bool AddUserTable(const std::string& name) { return m_users.Samples().AddUserTable(name); }
    // The user table files
    void mSaveUsers_Click(int index) { m_users.Files().mSaveUsers_Click(index); }
    void mOpenUsers_Click(int index) { m_users.Files().mOpenUsers_Click(index); }
    void mImportProfiler_Click() { m_users.Files().mImportProfiler_Click(); }
    // ---- End of the user side

  private:
    void CreateMenus();
    void WireControls();

    std::unique_ptr<MainWindowState> m_state;
    TweetTableView m_view;
    TweetFiles m_files;
    SearchRetrieval m_search;
    TweetEditing m_editing;
    WindowSession m_session;
    // The user side (its own block; see the end of frm_main.cpp).
    void WireUserSide();
    UserSide m_users;
};

}  // namespace marlin
