#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"
#include "service/http_request.h"
#include "workspace/export/export_commands.h"
#include "workspace/main_window_state.h"
#include "workspace/retrieval/search_volume_estimate.h"
#include "workspace/session/window_session.h"
#include "workspace/tweets/tweet_side.h"
#include "workspace/users/user_side.h"

namespace marlin {

// The main window without a toolkit. It owns the window state (controls, flags, the two
// service clients) and puts the window's parts together:
//   TweetSide      — the search frame, the Tweets table with its files and editing, the menus
//                    (TweetTableView, TweetFiles, SearchRetrieval, TweetEditing)
//   UserSide       — the User list, the user tables with their samples and files, the
//                    timeline retrieval and the followers/friends frame
//   WindowSession  — start-up and shut-down, the credentials dialog, prefs and the two
//                    histories, the status refresh and the small Settings commands
//   ExportCommands — the tables as GraphML and CSV files
//
// The rule of this facade: every window command is a public method here that forwards to
// the part holding it, and each part binds its controls' actions to those same commands,
// so a click on a control model and a call of the method are the same. The Qt window only
// lays out views over the control models and calls these methods; it holds no command of
// its own.
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
    TweetSide& Tweets() { return m_tweets; }
    TweetTableView& TableView() { return m_tweets.View(); }
    TweetFiles& Files() { return m_tweets.Files(); }
    SearchRetrieval& Search() { return m_tweets.Search(); }
    TweetEditing& Editing() { return m_tweets.Editing(); }
    WindowSession& Session() { return m_session; }

    // ---- Search retrieval
    void GetSrch_Click() { m_tweets.Search().GetSrch_Click(); }
    void UpdateSearch_Click() { m_tweets.Search().UpdateSearch_Click(); }
    // "Cancel ": stops whatever runs (a search, timelines, a list, a look-up waiting for
    // its window).
    void QuitGet_Click();
    // Tools › "Continue Back to Threshold": the search or the timelines the table came from.
    void mContinueBack_Click();

    // ---- Tweets table and its files
    void ShowTweets(bool append) { m_tweets.View().ShowTweets(append); }
    void mOpenTweets_Click() { m_tweets.Files().OpenTweetsTable(); }
    void mSaveTweets_Click() { m_tweets.Files().SaveTweetsTable(); }
    void mSaveSend_Click() { m_tweets.Files().SaveAndSend(); }
    void mHeaders_Click() { m_tweets.View().mHeaders_Click(); }
    void mSortDT_Click() { m_tweets.View().mSortDT_Click(); }
    void OutTable_ColumnClick(int position) { m_tweets.View().OutTable_ColumnClick(position); }

    // ---- Tweets table editing
    void mFilterTweets_Click() { m_tweets.Editing().mFilterTweets_Click(); }
    void mRemRT_Click() { m_tweets.Editing().mRemRT_Click(); }
    void mDelTweet_Click() { m_tweets.Editing().mDelTweet_Click(); }
    void mDelUsersTweets_Click() { m_tweets.Editing().mDelUsersTweets_Click(); }
    void mVBDateTime_Click() { m_tweets.Editing().mVBDateTime_Click(); }
    void mSPSSDateTime_Click() { m_tweets.Editing().mSPSSDateTime_Click(); }
    void mTwitterDateTime_Click() { m_tweets.Editing().mTwitterDateTime_Click(); }
    void OutTable_MouseUp(int button) { m_tweets.Editing().OutTable_MouseUp(button); }
    void mNavLinkURL_Click() { m_tweets.Editing().mNavLinkURL_Click(); }
    void mNavUserTwitter_Click() { m_tweets.Editing().mNavUserTwitter_Click(); }
    void mCopyLog_Click() { m_tweets.Editing().mCopyLog_Click(); }
    void Progress_MouseDown(int button) { m_tweets.Editing().Progress_MouseDown(button); }

    // ---- Start-up, preferences and histories, the credentials dialog, shut-down
    void Form_Load() { m_session.Form_Load(); }
    bool Form_QueryUnload() { return m_session.Form_QueryUnload(); }
    void LoadPrefs() { m_session.LoadPrefs(); }
    bool SavePrefs() { return m_session.SavePrefs(); }
    frmAbout& About() { return m_session.About; }
    void OpenQueryEntry(int index) { m_session.OpenQueryEntry(index); }
    void OpenTimelineEntry(int index) { m_session.OpenTimelineEntry(index); }
    void HistoryItemClear_Click(int index) { m_session.HistoryItemClear_Click(index); }
    void SearchQuery_LostFocus() { m_session.SearchQuery_LostFocus(); }
    void Timer1_Timer() { m_session.Timer1_Timer(); }
    void mSetLang_Click() { m_session.mSetLang_Click(); }
    void mSetProxy_Click() { m_session.mSetProxy_Click(); }
    void SearchHelp_Click() { m_session.SearchHelp_Click(); }
    void mAbout_Click() { m_session.mAbout_Click(); }
    void mWaitQuota_Click() { W().Tweets.mWaitQuota.Click(); }
    void mKeepRaw_Click() { W().Tweets.mKeepRaw.Click(); }
    ServiceSettings& Service() { return m_session.Service; }
    // Tools › "Estimate Search Volume…"
    SearchVolumeEstimate& Estimator() { return m_estimate; }
    void mEstimateVolume_Click() { m_estimate.mEstimateVolume_Click(); }
    void mExactTexts_Click() { W().Tweets.mExactTexts.Click(); }

    // ---- User side: the User list, the user tables with their samples and files, and the
    // timeline retrieval (mAddU2UL and mDelUFUL of the row popup are theirs too).
    UserSide& Users() { return m_users; }
    // Timeline retrieval
    void GetAllUTL_Click() { m_users.Timelines().GetAllUTL_Click(); }
    void UpdateUTL_Click() { m_users.Timelines().UpdateUTL_Click(); }
    void UserList_DblClick() { m_users.Timelines().UserList_DblClick(); }
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
    void GetUsers(CaptureEngine& engine, const std::vector<std::string>& list, bool userId, bool update) {
        m_users.Profiles().GetUsers(engine, list, userId, update);
    }
    void FillUserTable(const UserSet& users, bool withTweetStats) {
        m_users.Profiles().FillUserTable(users, withTweetStats);
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

    // ---- Exports for graph programs and spreadsheets
    ExportCommands& Export() { return m_export; }
    void mExportNetwork_Click() { m_export.mExportNetwork_Click(); }
    void mExportTweetsCsv_Click() { m_export.mExportTweetsCsv_Click(); }
    void mExportUsersCsv_Click() { m_export.mExportUsersCsv_Click(); }
    void mExportXlsx_Click() { m_export.mExportXlsx_Click(); }

  private:
    MainWindowState& W() { return *m_state; }
    void WireParts();

    std::unique_ptr<MainWindowState> m_state;
    TweetSide m_tweets;
    WindowSession m_session;
    UserSide m_users;
    ExportCommands m_export;
    SearchVolumeEstimate m_estimate;
};

}  // namespace marlin
