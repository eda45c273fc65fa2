#include "workspace/tweets/tweet_side.h"

#include <chrono>

namespace marlin {

TweetSide::TweetSide(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl)
    : m_window(window),
      m_tweetCtl(tweetCtl),
      m_view(window, tweetCtl),
      m_files(window, tweetCtl, userCtl, m_view),
      m_search(window, tweetCtl, userCtl, *this),
      m_editing(window, tweetCtl) {
    SetUpControls();
    WireControls();
    // Every tweet capture fills this table, so the table shows every capture's pages.
    window.SetShowRecords([this] { ShowArrivedTweets(); });
}

void TweetSide::SetUpControls() {
    MainWindowState& w = m_window;
    m_view.CreateColumns();
    CreateMenus();

    // The search frame as the window opens: back seven days, nothing to update yet.
    using namespace std::chrono;
    const year_month_day today = m_tweetCtl.EarlyDate.Value();
    m_tweetCtl.EarlyDate.SetValue(year_month_day{sys_days{today} - days{7}});
    m_tweetCtl.UpdateSearch.SetEnabled(false);
    m_tweetCtl.GetSrch.SetToolTip("Retrieve all recent tweets matching this query");
    m_tweetCtl.UpdateSearch.SetToolTip(
        "Update current table with all recent tweets matching this query since it was last updated");
    m_tweetCtl.QuitGet.SetToolTip("Stop retrieving data");
    w.Progress.SetToolTip("Displays a history of recent API requests");
    w.LastGET.SetToolTip("Displays the raw JSON response of the last request");
    w.LastGET.SetReadOnly(true);
    w.Window.SetCaption(kApplicationTitle);
}

void TweetSide::CreateMenus() {
    m_tweetCtl.mFile.SetCaption("File");
    m_tweetCtl.mOpen.SetCaption("Open");
    m_tweetCtl.mOpenTweets.SetCaption("Tweets Table");
    m_tweetCtl.mSave.SetCaption("Save");
    m_tweetCtl.mSaveTweets.SetCaption("Tweets Table");
    m_tweetCtl.mSaveSend.SetCaption("Save && Send Tweets to LM");
    m_tweetCtl.mOpenArchive.SetCaption("Open Archive…");

    m_tweetCtl.mTools.SetCaption("Tools");
    m_tweetCtl.mConvertDT.SetCaption("Convert DateTime");
    m_tweetCtl.mVBDateTime.SetCaption("to Numeric format");
    m_tweetCtl.mSPSSDateTime.SetCaption("to SPSS compatible format");
    m_tweetCtl.mTwitterDateTime.SetCaption("back to Twitter format");
    m_tweetCtl.mLine0.SetCaption("-");
    m_tweetCtl.mRemRT.SetCaption("Remove Retweets");
    m_tweetCtl.mFilterTweets.SetCaption("Filter Tweets");
    m_tweetCtl.mLine1.SetCaption("-");
    m_tweetCtl.mCopyLog.SetCaption("Copy Log");

    m_tweetCtl.mSettings.SetCaption("Settings");
    m_tweetCtl.mSortDT.SetCaption("Sort Tweets Table");
    m_tweetCtl.mHeaders.SetCaption("Save Tweets With Headers");
    m_tweetCtl.mWaitQuota.SetCaption("Wait for Quota Windows Automatically");
    m_tweetCtl.mKeepRaw.SetCaption("Keep Raw Responses");
    m_tweetCtl.mExactTexts.SetCaption("Keep Texts Exactly");
    m_tweetCtl.mExtraColumns.SetCaption("Extra Columns");
    m_tweetCtl.mContinueBack.SetCaption("Continue Back to Threshold");

    m_tweetCtl.mTweet.SetCaption("Tweet");
    m_tweetCtl.mNavLinkURL.SetCaption("Go to cited URL");
    m_tweetCtl.mNavUserTwitter.SetCaption("Find User on Twitter");
    m_tweetCtl.mTLine1.SetCaption("-");
    m_tweetCtl.mAddU2UL.SetCaption("Add User to User List");
    m_tweetCtl.mDelUFUL.SetCaption("Delete User from User List");
    m_tweetCtl.mTLine2.SetCaption("-");
    m_tweetCtl.mDelTweet.SetCaption("Delete Tweet");
    m_tweetCtl.mDelUsersTweets.SetCaption("Delete All Tweets By User");
}

void TweetSide::WireControls() {
    MainWindowState& w = m_window;
    m_tweetCtl.GetSrch.SetClickAction([this] { m_search.GetSrch_Click(); });
    m_tweetCtl.UpdateSearch.SetClickAction([this] { m_search.UpdateSearch_Click(); });

    m_tweetCtl.mOpenTweets.SetAction([this] { m_files.OpenTweetsTable(); });
    m_tweetCtl.mSaveTweets.SetAction([this] { m_files.SaveTweetsTable(); });
    m_tweetCtl.mSaveSend.SetAction([this] { m_files.SaveAndSend(); });
    m_tweetCtl.mOpenArchive.SetAction([this] { m_files.OpenArchive(); });
    m_tweetCtl.mHeaders.SetAction([this] { m_view.mHeaders_Click(); });
    m_tweetCtl.mSortDT.SetAction([this] { m_view.mSortDT_Click(); });

    m_tweetCtl.mFilterTweets.SetAction([this] { m_editing.mFilterTweets_Click(); });
    m_tweetCtl.mRemRT.SetAction([this] { m_editing.mRemRT_Click(); });
    m_tweetCtl.mVBDateTime.SetAction([this] { m_editing.mVBDateTime_Click(); });
    m_tweetCtl.mSPSSDateTime.SetAction([this] { m_editing.mSPSSDateTime_Click(); });
    m_tweetCtl.mTwitterDateTime.SetAction([this] { m_editing.mTwitterDateTime_Click(); });
    m_tweetCtl.mCopyLog.SetAction([this] { m_editing.mCopyLog_Click(); });
    m_tweetCtl.mNavLinkURL.SetAction([this] { m_editing.mNavLinkURL_Click(); });
    m_tweetCtl.mNavUserTwitter.SetAction([this] { m_editing.mNavUserTwitter_Click(); });
    m_tweetCtl.mDelTweet.SetAction([this] { m_editing.mDelTweet_Click(); });
    m_tweetCtl.mDelUsersTweets.SetAction([this] { m_editing.mDelUsersTweets_Click(); });

    w.TweetsTable.Rows().SetColumnClickAction(
        [this](int position) { m_view.OutTable_ColumnClick(position); });
    w.TweetsTable.Rows().SetContextMenuAction([this] { m_editing.OutTable_MouseUp(2); });
    w.Progress.SetContextMenuAction([this] { m_editing.Progress_MouseDown(2); });
}

}  // namespace marlin
