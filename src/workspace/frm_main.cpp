#include "workspace/frm_main.h"

#include <chrono>

namespace marlin {

frmMain::frmMain(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase,
                 std::filesystem::path appFolder)
    : m_state(std::make_unique<MainWindowState>(toolkit, std::move(requestFactory), std::move(apiBase),
                                                std::move(appFolder))),
      m_view(*m_state),
      m_files(*m_state, m_view),
      m_search(*m_state, m_view, m_files),
      m_editing(*m_state),
      m_session(*m_state, m_files),
      m_users(*m_state, m_view, m_files, m_search) {
    MainWindowState& w = *m_state;
    m_view.CreateColumns();
    CreateMenus();

    // The search frame as the window opens: back seven days, nothing to update yet.
    using namespace std::chrono;
    const year_month_day today = w.EarlyDate.Value();
    w.EarlyDate.SetValue(year_month_day{sys_days{today} - days{7}});
    w.UpdateSearch.SetEnabled(false);
    w.UpdateUTL.SetEnabled(false);
    w.GetSrch.SetToolTip("Retrieve all recent tweets matching this query");
    w.UpdateSearch.SetToolTip(
        "Update current table with all recent tweets matching this query since it was last updated");
    w.QuitGet.SetToolTip("Stop retrieving data");
    w.Progress.SetToolTip("Displays a history of recent API requests");
    w.LastGET.SetToolTip("Displays the raw JSON response of the last request");
    w.LastGET.SetReadOnly(true);
    w.Window.SetCaption(kApplicationTitle);

    WireControls();
    WireUserSide();
}

void frmMain::CreateMenus() {
    MainWindowState& w = *m_state;
    w.mFile.SetCaption("File");
    w.mOpen.SetCaption("Open");
    w.mOpenTweets.SetCaption("Tweets Table");
    w.mSave.SetCaption("Save");
    w.mSaveTweets.SetCaption("Tweets Table");
    w.mSaveSend.SetCaption("Save && Send Tweets to LM");

    w.mTools.SetCaption("Tools");
    w.mConvertDT.SetCaption("Convert DateTime");
    w.mVBDateTime.SetCaption("to Numeric format");
    w.mSPSSDateTime.SetCaption("to SPSS compatible format");
    w.mTwitterDateTime.SetCaption("back to Twitter format");
    w.mLine0.SetCaption("-");
    w.mRemRT.SetCaption("Remove Retweets");
    w.mFilterTweets.SetCaption("Filter Tweets");
    w.mLine1.SetCaption("-");
    w.mCopyLog.SetCaption("Copy Log");

    w.mSettings.SetCaption("Settings");
    w.mSortDT.SetCaption("Sort Tweets Table");
    w.mHeaders.SetCaption("Save Tweets With Headers");

    w.mTweet.SetCaption("Tweet");
    w.mNavLinkURL.SetCaption("Go to cited URL");
    w.mNavUserTwitter.SetCaption("Find User on Twitter");
    w.mTLine1.SetCaption("-");
    w.mAddU2UL.SetCaption("Add User to User List");
    w.mDelUFUL.SetCaption("Delete User from User List");
    w.mTLine2.SetCaption("-");
    w.mDelTweet.SetCaption("Delete Tweet");
    w.mDelUsersTweets.SetCaption("Delete All Tweets By User");
}

void frmMain::WireControls() {
    MainWindowState& w = *m_state;
    w.GetSrch.SetClickAction([this] { GetSrch_Click(); });
    w.UpdateSearch.SetClickAction([this] { UpdateSearch_Click(); });
    w.QuitGet.SetClickAction([this] { QuitGet_Click(); });

    w.mOpenTweets.SetAction([this] { mOpenTweets_Click(); });
    w.mSaveTweets.SetAction([this] { mSaveTweets_Click(); });
    w.mSaveSend.SetAction([this] { mSaveSend_Click(); });
    w.mHeaders.SetAction([this] { mHeaders_Click(); });
    w.mSortDT.SetAction([this] { mSortDT_Click(); });

    w.mFilterTweets.SetAction([this] { mFilterTweets_Click(); });
    w.mRemRT.SetAction([this] { mRemRT_Click(); });
    w.mVBDateTime.SetAction([this] { mVBDateTime_Click(); });
    w.mSPSSDateTime.SetAction([this] { mSPSSDateTime_Click(); });
    w.mTwitterDateTime.SetAction([this] { mTwitterDateTime_Click(); });
    w.mCopyLog.SetAction([this] { mCopyLog_Click(); });
    w.mNavLinkURL.SetAction([this] { mNavLinkURL_Click(); });
    w.mNavUserTwitter.SetAction([this] { mNavUserTwitter_Click(); });
    w.mDelTweet.SetAction([this] { mDelTweet_Click(); });
    w.mDelUsersTweets.SetAction([this] { mDelUsersTweets_Click(); });

    w.OutTable.SetColumnClickAction([this](int position) { OutTable_ColumnClick(position); });
    w.OutTable.SetContextMenuAction([this] { OutTable_MouseUp(2); });
    w.Progress.SetContextMenuAction([this] { Progress_MouseDown(2); });
}

// ---- User side
void frmMain::WireUserSide() {
    // Opening a timeline history entry rebuilds the user list from the tweets.
    m_session.SetGetUsersFromTweetsAction([this] { mGetUFT_Click(); });
    m_users.SetStatusTimerSwitch([this](bool on) { m_session.Timer1.SetEnabled(on); });
}
// ---- End of the user side

}  // namespace marlin
