#include "workspace/tweets/tweet_side.h"

#include <chrono>

namespace marlin {

TweetSide::TweetSide(MainWindowState& window)
    : m_window(window), m_view(window), m_files(window, m_view), m_search(window, *this), m_editing(window) {
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
    const year_month_day today = w.Tweets.EarlyDate.Value();
    w.Tweets.EarlyDate.SetValue(year_month_day{sys_days{today} - days{7}});
    w.Tweets.UpdateSearch.SetEnabled(false);
    w.Users.UpdateUTL.SetEnabled(false);
    w.Tweets.GetSrch.SetToolTip("Retrieve all recent tweets matching this query");
    w.Tweets.UpdateSearch.SetToolTip(
        "Update current table with all recent tweets matching this query since it was last updated");
    w.Tweets.QuitGet.SetToolTip("Stop retrieving data");
    w.Progress.SetToolTip("Displays a history of recent API requests");
    w.LastGET.SetToolTip("Displays the raw JSON response of the last request");
    w.LastGET.SetReadOnly(true);
    w.Window.SetCaption(kApplicationTitle);
}

void TweetSide::CreateMenus() {
    MainWindowState& w = m_window;
    w.Tweets.mFile.SetCaption("File");
    w.Tweets.mOpen.SetCaption("Open");
    w.Tweets.mOpenTweets.SetCaption("Tweets Table");
    w.Tweets.mSave.SetCaption("Save");
    w.Tweets.mSaveTweets.SetCaption("Tweets Table");
    w.Tweets.mSaveSend.SetCaption("Save && Send Tweets to LM");

    w.Tweets.mTools.SetCaption("Tools");
    w.Tweets.mConvertDT.SetCaption("Convert DateTime");
    w.Tweets.mVBDateTime.SetCaption("to Numeric format");
    w.Tweets.mSPSSDateTime.SetCaption("to SPSS compatible format");
    w.Tweets.mTwitterDateTime.SetCaption("back to Twitter format");
    w.Tweets.mLine0.SetCaption("-");
    w.Tweets.mRemRT.SetCaption("Remove Retweets");
    w.Tweets.mFilterTweets.SetCaption("Filter Tweets");
    w.Tweets.mLine1.SetCaption("-");
    w.Tweets.mCopyLog.SetCaption("Copy Log");

    w.Tweets.mSettings.SetCaption("Settings");
    w.Tweets.mSortDT.SetCaption("Sort Tweets Table");
    w.Tweets.mHeaders.SetCaption("Save Tweets With Headers");
    w.Tweets.mWaitQuota.SetCaption("Wait for Quota Windows Automatically");
    w.Tweets.mKeepRaw.SetCaption("Keep Raw Responses");
    w.Tweets.mExactTexts.SetCaption("Keep Texts Exactly");
    w.Tweets.mContinueBack.SetCaption("Continue Back to Threshold");

    w.Tweets.mTweet.SetCaption("Tweet");
    w.Tweets.mNavLinkURL.SetCaption("Go to cited URL");
    w.Tweets.mNavUserTwitter.SetCaption("Find User on Twitter");
    w.Tweets.mTLine1.SetCaption("-");
    w.Tweets.mAddU2UL.SetCaption("Add User to User List");
    w.Tweets.mDelUFUL.SetCaption("Delete User from User List");
    w.Tweets.mTLine2.SetCaption("-");
    w.Tweets.mDelTweet.SetCaption("Delete Tweet");
    w.Tweets.mDelUsersTweets.SetCaption("Delete All Tweets By User");
}

void TweetSide::WireControls() {
    MainWindowState& w = m_window;
    w.Tweets.GetSrch.SetClickAction([this] { m_search.GetSrch_Click(); });
    w.Tweets.UpdateSearch.SetClickAction([this] { m_search.UpdateSearch_Click(); });

    w.Tweets.mOpenTweets.SetAction([this] { m_files.OpenTweetsTable(); });
    w.Tweets.mSaveTweets.SetAction([this] { m_files.SaveTweetsTable(); });
    w.Tweets.mSaveSend.SetAction([this] { m_files.SaveAndSend(); });
    w.Tweets.mHeaders.SetAction([this] { m_view.mHeaders_Click(); });
    w.Tweets.mSortDT.SetAction([this] { m_view.mSortDT_Click(); });

    w.Tweets.mFilterTweets.SetAction([this] { m_editing.mFilterTweets_Click(); });
    w.Tweets.mRemRT.SetAction([this] { m_editing.mRemRT_Click(); });
    w.Tweets.mVBDateTime.SetAction([this] { m_editing.mVBDateTime_Click(); });
    w.Tweets.mSPSSDateTime.SetAction([this] { m_editing.mSPSSDateTime_Click(); });
    w.Tweets.mTwitterDateTime.SetAction([this] { m_editing.mTwitterDateTime_Click(); });
    w.Tweets.mCopyLog.SetAction([this] { m_editing.mCopyLog_Click(); });
    w.Tweets.mNavLinkURL.SetAction([this] { m_editing.mNavLinkURL_Click(); });
    w.Tweets.mNavUserTwitter.SetAction([this] { m_editing.mNavUserTwitter_Click(); });
    w.Tweets.mDelTweet.SetAction([this] { m_editing.mDelTweet_Click(); });
    w.Tweets.mDelUsersTweets.SetAction([this] { m_editing.mDelUsersTweets_Click(); });

    w.TweetsTable.Rows().SetColumnClickAction(
        [this](int position) { m_view.OutTable_ColumnClick(position); });
    w.TweetsTable.Rows().SetContextMenuAction([this] { m_editing.OutTable_MouseUp(2); });
    w.Progress.SetContextMenuAction([this] { m_editing.Progress_MouseDown(2); });
}

}  // namespace marlin
