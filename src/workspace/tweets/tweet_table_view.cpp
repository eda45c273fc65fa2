#include "workspace/tweets/tweet_table_view.h"

#include "workspace/tables/scored_tweets.h"

namespace marlin {

TweetTableView::TweetTableView(MainWindowState& window, TweetControls& tweetCtl)
    : m_window(window), m_tweetCtl(tweetCtl), m_live(window) {}

void TweetTableView::CreateColumns() {
    m_window.TweetsTable.CreateColumns();
    m_tweetCtl.mSortDT.SetChecked(true);
    m_tweetCtl.mHeaders.SetChecked(false);
}

void TweetTableView::ShowTweets(bool append) {
    MainWindowState& w = m_window;
    const TweetSet& tweets = w.Engine.Tweets();
    if (tweets.Count() > 0) {
        MarlinData data(w.Processes(), w.AppFolder);
        if (!ScoredTweets::Score(tweets, data, w.ScorerFolder()).empty()) LogScorerFailure(data);
        ReportList& rows = w.TweetsTable.Rows();
        rows.BeginUpdate();
        // The rows shown while the retrieval ran make way for the scored ones.
        if (append) m_live.Withdraw();
        ScoredTweets::Add(data, w.TweetsTable, append);
        if (w.Settings.ExtraColumns) {
            w.TweetsTable.SetExtraColumns(true);
            w.TweetsTable.AddExtraCells(tweets);
        }
        rows.EndUpdate();
    } else {
        m_live.Withdraw();
    }
    m_live.Settled();
    w.ShowTweetCount();
    // A retrieval that brought nothing leaves nothing unsaved: an empty table asks for no
    // save, and an update without news leaves the table as saved as it was.
    w.SetTweetsDirty(tweets.Count() > 0 || (w.TweetsDirty() && w.TweetsTable.Rows().RowCount() > 0));
    w.Tk.DoEvents();
}

void TweetTableView::LogScorerFailure(const MarlinData& data) {
    m_window.Events().Log(ScoredTweets::FailureLine(data));
    m_window.Progress.ScrollToLast();
}

void TweetTableView::mSortDT_Click() {
    const bool on = !m_tweetCtl.mSortDT.Checked();
    m_tweetCtl.mSortDT.SetChecked(on);
    m_window.TweetsTable.Rows().SetSorted(on);
}

void TweetTableView::OutTable_ColumnClick(int position) {
    m_window.TweetsTable.Rows().SetSortKey(position);
}

void TweetTableView::mHeaders_Click() {
    m_tweetCtl.mHeaders.SetChecked(!m_tweetCtl.mHeaders.Checked());
}

}  // namespace marlin
