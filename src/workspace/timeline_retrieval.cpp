#include "workspace/timeline_retrieval.h"

#include "platform/cell_compare.h"
#include "workspace/user_profile_table.h"

namespace marlin {

namespace {

constexpr int kTweetAuthor = 1;  // "UserScreenName"

}  // namespace

TimelineRetrieval::TimelineRetrieval(MainWindowState& window, TweetTableView& view, TweetFiles& files,
                                     SearchRetrieval& search)
    : m_window(window), m_view(view), m_files(files), m_search(search) {}

void TimelineRetrieval::StartFreshTable() {
    MainWindowState& w = m_window;
    w.Busy = true;
    w.Twitter.Tweets.Clear();
    w.UpdateSearch.SetEnabled(false);
    w.OutTable.ClearRows();
    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsFN.clear();
    w.Req.FileName.clear();
}

void TimelineRetrieval::FinishFreshTable() {
    MainWindowState& w = m_window;
    // The table now holds timelines, so a save belongs in the timeline history.
    w.CurTweetSrc = 2;
    w.Cancelled = false;
    w.Busy = false;
    w.Tk.SetCursor(CursorShape::Normal);
    if (w.OutTable.RowCount() > 0) w.UpdateUTL.SetEnabled(true);
}

void TimelineRetrieval::GetAllUTL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    m_files.OfferToSave();
    if (!w.CanStartRetrieval()) return;  // the save let events run

    RetrievalScope running(w);
    StartFreshTable();
    w.CurrentUserTable().ClearRows();
    w.Tk.SetCursor(CursorShape::Busy);
    w.Progress.Append("User timeline retrieval started @" + SearchRetrieval::NowText());

    // The list may change while events run; its length is read again for every entry.
    for (int i = 0; i < w.UserList.Count(); ++i) {
        if (w.UserList.Checked(i)) {
            w.UserList.SetSelectedIndex(i);
            RetrieveTimeline(w.UserList.Item(i), "");
            // Everything gathered so far is shown after each user.
            m_view.ShowTweets(false);
        }
        if (w.Cancelled) break;
    }
    FinishFreshTable();
}

void TimelineRetrieval::UpdateUTL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalScope running(w);
    w.Busy = true;
    w.Twitter.Tweets.Clear();
    w.OutTable.SetSortKey(TweetTableView::kTweetIdColumn);
    w.Tk.SetCursor(CursorShape::Busy);
    w.Progress.Append("User timeline retrieval started @" + SearchRetrieval::NowText());
    w.Tk.DoEvents();

    for (int c = 0; c < w.UserList.Count(); ++c) {
        if (w.UserList.Checked(c)) {
            const std::string user = w.UserList.Item(c);
            RetrieveTimeline(user, NewestTweetIdOf(user));
        }
        if (w.Cancelled) break;
    }
    w.CurTweetSrc = 2;
    m_view.ShowTweets(true);
    w.Cancelled = false;
    w.Busy = false;
    w.Tk.SetCursor(CursorShape::Normal);
}

void TimelineRetrieval::UserList_DblClick() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || w.UserList.SelectedIndex() < 0) return;
    m_files.OfferToSave();
    if (!w.CanStartRetrieval() || w.UserList.SelectedIndex() < 0) return;

    RetrievalScope running(w);
    StartFreshTable();
    w.InfoBar.SetPanel(1, "Empty");
    w.Tk.SetCursor(CursorShape::ArrowAndBusy);
    RetrieveTimeline(w.UserList.SelectedText(), "");
    m_view.ShowTweets(false);
    FinishFreshTable();
}

std::string TimelineRetrieval::NewestTweetIdOf(const std::string& screenName) const {
    const ReportList& table = m_window.OutTable;
    // The first row of the user is the newest while the table is sorted on TweetID,
    // newest first; taking the largest id keeps the update right when it is not.
    std::string_view newest;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (UserProfileTable::Trimmed(table.Cell(row, kTweetAuthor)) != screenName) continue;
        const std::string_view id = table.Cell(row, TweetTableView::kTweetIdColumn);
        if (newest.empty() || CompareCells(id, newest) > 0) newest = id;
    }
    return UserProfileTable::Trimmed(newest);
}

void TimelineRetrieval::RetrieveTimeline(const std::string& user, const std::string& sinceId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
    TweetSet& tweets = twitter.Tweets;
    const std::string about = " statuses for [" + user + "] ";

    w.Progress.Append("Retrieved 0" + about);
    w.Progress.ScrollToLast();
    w.Tk.DoEvents();

    std::string maxId;
    bool reached = false;
    int total = 0;
    do {
        w.LastGET.SetText(twitter.GetUserTimeLine(user, true, sinceId, maxId, "200", true));
        const int count = twitter.LastResponseCount();
        if (count == -1) {
            w.Progress.Append("Retrieval error: " + twitter.LastResponseCode());
        } else if (count > 0) {
            maxId = tweets.OldestTweetId(true);
            reached = tweets.TrimToDateRange(w.ThresholdDateText(), SearchRetrieval::LatestBound());
            w.InfoBar.SetPanel(
                3, std::to_string(twitter.UTLRateLimitRemaining()) + " USER_TIMELINE requests remaining\r\n");
            w.InfoBar.SetPanel(4,
                               "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.UTLNextLimitReset()));
            total += count;
            w.Progress.ReplaceLast("Retrieved " + std::to_string(total) + about + "back to " +
                                   tweets.DateTime(tweets.Count()));
            w.Tk.DoEvents();
        }
        w.Progress.ScrollToLast();
        w.Tk.DoEvents();
        if (twitter.UTLRateLimitRemaining() < kQuotaLow) m_search.AskQuota(twitter.UTLNextLimitReset());
    } while (!(twitter.LastResponseCount() < 1 || reached || w.Cancelled));

    w.Progress.Append(
        m_search.EndLine("Retrieval of [" + user + "] ended @" + SearchRetrieval::NowText() + ", ", reached));
    w.Progress.ScrollToLast();
}

}  // namespace marlin
