#include "workspace/search_retrieval.h"

namespace marlin {

SearchRetrieval::SearchRetrieval(MainWindowState& window, TweetTableView& view, TweetFiles& files)
    : m_window(window), m_view(view), m_files(files) {}

std::string SearchRetrieval::NowText() {
    return SKDFuncs::FormatLocalDateTime(SKDFuncs::Now());
}

std::string SearchRetrieval::LatestBound() {
    return "31/12/9999 23:59:59";
}

void SearchRetrieval::GetSrch_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    m_files.OfferToSave();
    if (!w.CanStartRetrieval()) return;  // the save let events run

    RetrievalScope running(w);
    w.Busy = true;
    w.Twitter.Tweets.Clear();
    w.UpdateUTL.SetEnabled(false);
    w.OutTable.ClearRows();
    w.CurrentUserTable().ClearRows();
    w.UTwitter.Clear();
    w.InfoBar.SetPanel(1, "Empty");
    w.InfoBar.SetPanel(2, "Empty");
    w.Tk.SetCursor(CursorShape::Busy);

    RetrieveSearch(w.SearchQuery.Text(), "");

    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsFN.clear();
    w.Req.FileName.clear();
    m_view.ShowTweets(false);

    w.Tk.SetCursor(CursorShape::Normal);
    w.CurTweetSrc = 1;
    w.Busy = false;
    w.Cancelled = false;
    if (w.OutTable.RowCount() > 0) w.UpdateSearch.SetEnabled(true);
}

void SearchRetrieval::UpdateSearch_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalScope running(w);
    w.Busy = true;
    w.Twitter.Tweets.Clear();

    if (w.OutTable.RowCount() > 0) {
        w.OutTable.SetSortKey(TweetTableView::kTweetIdColumn);
        w.Tk.DoEvents();
        RetrieveSearch(w.SearchQuery.Text(), m_view.NewestTweetId());
        m_view.ShowTweets(true);
    }

    w.CurTweetSrc = 1;
    w.Cancelled = false;
    w.Busy = false;
}

void SearchRetrieval::QuitGet_Click() {
    MainWindowState& w = m_window;
    if (!w.Busy) return;
    w.Cancelled = true;
    w.Busy = false;
    w.QuotaWaiting = false;  // a profile look-up waiting for its window stops waiting
    w.Tk.MessageBox("User cancelled the retrieval process", MsgButtons::OK, MsgIcon::Information);
}

void SearchRetrieval::RetrieveSearch(const std::string& query, const std::string& sinceId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
    TweetSet& tweets = twitter.Tweets;
    const std::string intro = "Retrieved ";
    const std::string about = " statuses for [" + query + "] ";

    w.Progress.Append("Search initiated @" + NowText());
    w.Progress.Append(intro + std::to_string(tweets.Count()) + about);
    w.Progress.ScrollToLast();
    w.Tk.DoEvents();

    std::string maxId;
    bool reached = false;
    do {
        std::string count = "100";
        w.LastGET.SetText(twitter.GetSearch(query, w.SearchLang, "", sinceId, maxId, count, true, "Recent"));
        if (twitter.LastResponseCount() > 0) {
            maxId = tweets.OldestTweetId(true);
            reached = tweets.TrimToDateRange(w.ThresholdDateText(), LatestBound());
            w.InfoBar.SetPanel(
                3, std::to_string(twitter.SearchRateLimitRemaining()) + " SEARCH requests remaining");
            w.InfoBar.SetPanel(
                4, "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.SearchNextLimitReset()));
            const int held = tweets.Count();
            w.Progress.ReplaceLast(intro + std::to_string(held) + about + "back to " + tweets.DateTime(held));
            w.Tk.DoEvents();
        }
        w.Progress.ScrollToLast();
        w.Tk.DoEvents();
        if (twitter.SearchRateLimitRemaining() < kQuotaLow) AskQuota(twitter.SearchNextLimitReset());
    } while (!(twitter.LastResponseCount() < 1 || reached || w.Cancelled));

    w.Progress.Append(EndLine("Search ended @" + NowText() + ", ", reached));
    w.Progress.ScrollToLast();
}

void SearchRetrieval::AskQuota(const SKDFuncs::DateValue& nextReset) {
    const std::string text = "Quota for this window running low. Wait until " +
                             SKDFuncs::FormatLocalDateTime(nextReset) + " before clicking OK to resume";
    if (m_window.Tk.MessageBox(text, MsgButtons::OKCancel) == MsgResult::Cancel) m_window.Cancelled = true;
}

std::string SearchRetrieval::EndLine(const std::string& prefix, bool reached) const {
    if (reached) return prefix + "terminated at user threshold date (" + m_window.ThresholdDateText() + ")";
    if (m_window.Cancelled) return prefix + "user cancelled the procedure";
    return prefix + "no more statuses available: " + m_window.Twitter.LastResponseCode();
}

}  // namespace marlin
