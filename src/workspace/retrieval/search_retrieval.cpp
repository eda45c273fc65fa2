#include "workspace/retrieval/search_retrieval.h"

#include "core/tweet_column.h"
#include "workspace/engine/tweet_page_loop.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

SearchRetrieval::SearchRetrieval(MainWindowState& window, TweetTableTarget& table)
    : m_window(window), m_table(table), m_steps(window) {}

void SearchRetrieval::GetSrch_Click() {
    if (!m_table.ReadyToReplaceTables()) return;
    RunNew(m_window.Tweets.SearchQuery.Text());
}

void SearchRetrieval::UpdateSearch_Click() {
    RunUpdate(m_window.Tweets.SearchQuery.Text());
}

void SearchRetrieval::ContinueBack() {
    RunContinue(m_window.Tweets.SearchQuery.Text());
}

void SearchRetrieval::RunNew(const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Twitter.Tweets.Clear();
    w.Users.UpdateUTL.SetEnabled(false);
    w.OutTable.ClearRows();
    w.CurrentUserTable().ClearRows();
    w.UTwitter.Clear();
    w.InfoBar.SetPanel(1, "Empty");
    w.InfoBar.SetPanel(2, "Empty");

    RetrieveSearch(query, "");

    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsFN.clear();
    w.Req.FileName.clear();
    m_table.ShowTweets(false);

    running.Release();
    w.SetTweetSource(TweetSource::Search);
    if (w.OutTable.RowCount() > 0) w.Tweets.UpdateSearch.SetEnabled(true);
}

void SearchRetrieval::RunUpdate(const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w);
    w.Twitter.Tweets.Clear();

    if (w.OutTable.RowCount() > 0) {
        w.OutTable.SetSortKey(TweetColumn::TweetID);
        w.Tk.DoEvents();
        RetrieveSearch(query, m_table.NewestTweetId());
        m_table.ShowTweets(true);
    }

    w.SetTweetSource(TweetSource::Search);
}

void SearchRetrieval::RunContinue(const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Twitter.Tweets.Clear();
    if (w.OutTable.RowCount() > 0) {
        // Below the oldest row exactly: the page at the seam neither repeats a row nor
        // skips a tweet.
        RetrieveSearch(query, "", RetrievalSteps::IdBelow(m_table.OldestTweetId()));
        m_table.ShowTweets(true);
    }
    w.SetTweetSource(TweetSource::Search);
}

void SearchRetrieval::RetrieveSearch(const std::string& query, const std::string& sinceId) {
    RetrieveSearch(query, sinceId, "");
}

void SearchRetrieval::RetrieveSearch(const std::string& query, const std::string& sinceId,
                                     const std::string& firstMaxId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
    TweetSet& tweets = twitter.Tweets;
    const std::string intro = "Retrieved ";
    const std::string about = " statuses for [" + query + "] ";

    // In v2 no post older than the threshold is asked for (and paid for); an update's since_id goes alone.
    twitter.SetSearchStartTime(sinceId.empty() ? w.ThresholdTime() : 0);
    w.RetrievalBar.Begin("tweets");
    w.Events().Log("Search initiated @" + RetrievalSteps::NowText());
    w.Events().Log(intro + std::to_string(tweets.Count()) + about);
    w.Progress.ScrollToLast();
    w.Tk.DoEvents();

    TweetPageLoop::Source source;
    source.family = ResourceFamily::Search;
    source.windowName = "search";
    source.fetch = [&](const std::string& maxId) {
        std::string count = "100";
        return twitter.GetSearch(query, w.Settings.SearchLang, sinceId, maxId, count, true, "Recent");
    };
    source.remaining = [&] { return twitter.SearchRateLimitRemaining(); };
    source.taken = [&](int) {
        w.InfoBar.SetPanel(3,
                           std::to_string(twitter.SearchRateLimitRemaining()) + " SEARCH requests remaining");
        w.InfoBar.SetPanel(4, "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.SearchNextLimitReset()));
        const int held = tweets.Count();
        w.Events().Progress(intro + std::to_string(held) + about + "back to " + tweets.DateTime(held));
        w.RetrievalBar.Advance(
            RetrievalSteps::SpanShare(tweets.DateTime(1), tweets.DateTime(held), w.ThresholdDateText()),
            held);
    };
    const bool reached = TweetPageLoop(w.Twitter, w.Run, w.Events(), m_steps).Run(source, firstMaxId);

    if (tweets.UndatedCount() > 0) w.Events().Log(RetrievalSteps::UndatedLine(tweets.UndatedCount()));
    w.Events().Log(m_steps.EndLine("Search ended @" + RetrievalSteps::NowText() + ", ", reached));
    w.Progress.ScrollToLast();
    if (twitter.LastResponseCount() < 0 && !reached && !w.Run.Cancelled())
        m_steps.ReportIncomplete(twitter.LastResponseCode(),
                                 tweets.Count() > 0 ? tweets.DateTime(tweets.Count()) : "");
    w.RetrievalBar.End();
}

}  // namespace marlin
