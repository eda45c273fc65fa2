#include "workspace/retrieval/timeline_retrieval.h"
#include "core/tweet_column.h"

#include <algorithm>
#include <new>

#include "platform/cell_compare.h"
#include "workspace/retrieval/page_progress.h"
#include "workspace/retrieval/retrieval_guard.h"
#include "workspace/users/user_profile_table.h"

namespace marlin {

TimelineRetrieval::TimelineRetrieval(MainWindowState& window, TweetTableView& view, TweetFiles& files)
    : m_window(window), m_view(view), m_files(files), m_steps(window), m_users(window.RetrievalBar) {}

void TimelineRetrieval::StartFreshTable() {
    MainWindowState& w = m_window;
    w.Twitter.Tweets.Clear();
    w.Tweets.UpdateSearch.SetEnabled(false);
    w.OutTable.ClearRows();
    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsFN.clear();
    w.Req.FileName.clear();
}

void TimelineRetrieval::FinishFreshTable() {
    MainWindowState& w = m_window;
    // The table now holds timelines, so a save belongs in the timeline history.
    w.CurTweetSrc = TweetSource::Timelines;
    if (w.OutTable.RowCount() > 0) w.Users.UpdateUTL.SetEnabled(true);
}

void TimelineRetrieval::GetAllUTL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    m_files.OfferToSave();
    w.Users.OfferToSaveUserTable(w.Users.CurUserTable);
    if (!w.CanStartRetrieval()) return;  // the save let events run

    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    StartFreshTable();
    w.CurrentUserTable().ClearRows();
    w.Progress.Append("User timeline retrieval started @" + RetrievalSteps::NowText());
    BeginUsers(CheckedUsers());

    // The list may change while events run; its length is read again for every entry.
    for (int i = 0; i < w.Users.UserList.Count(); ++i) {
        if (w.Users.UserList.Checked(i)) {
            w.Users.UserList.SetSelectedIndex(i);
            RetrieveTimeline(w.Users.UserList.Item(i), "");
            m_users.Next();
            // Everything gathered so far is shown after each user.
            m_view.ShowTweets(false);
        }
        if (w.Cancelled) break;
    }
    w.RetrievalBar.End();
    running.Release();
    FinishFreshTable();
}

void TimelineRetrieval::UpdateUTL_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Twitter.Tweets.Clear();
    w.OutTable.SetSortKey(TweetColumn::TweetID);
    w.Progress.Append("User timeline retrieval started @" + RetrievalSteps::NowText());
    BeginUsers(CheckedUsers());
    w.Tk.DoEvents();

    for (int c = 0; c < w.Users.UserList.Count(); ++c) {
        if (w.Users.UserList.Checked(c)) {
            const std::string user = w.Users.UserList.Item(c);
            RetrieveTimeline(user, NewestTweetIdOf(user));
            m_users.Next();
        }
        if (w.Cancelled) break;
    }
    w.RetrievalBar.End();
    w.CurTweetSrc = TweetSource::Timelines;
    m_view.ShowTweets(true);
}

void TimelineRetrieval::UserList_DblClick() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || w.Users.UserList.SelectedIndex() < 0) return;
    m_files.OfferToSave();
    if (!w.CanStartRetrieval() || w.Users.UserList.SelectedIndex() < 0) return;

    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::ArrowAndBusy);
    StartFreshTable();
    w.InfoBar.SetPanel(1, "Empty");
    BeginUsers(1);
    RetrieveTimeline(w.Users.UserList.SelectedText(), "");
    m_view.ShowTweets(false);
    w.RetrievalBar.End();
    running.Release();
    FinishFreshTable();
}

void TimelineRetrieval::ContinueBack() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Twitter.Tweets.Clear();
    w.Progress.Append("User timeline retrieval started @" + RetrievalSteps::NowText());
    BeginUsers(CheckedUsers());
    w.Tk.DoEvents();
    for (int c = 0; c < w.Users.UserList.Count(); ++c) {
        if (w.Users.UserList.Checked(c)) {
            const std::string user = w.Users.UserList.Item(c);
            RetrieveTimeline(user, "", RetrievalSteps::IdBelow(OldestTweetIdOf(user)));
            m_users.Next();
        }
        if (w.Cancelled) break;
    }
    w.RetrievalBar.End();
    w.CurTweetSrc = TweetSource::Timelines;
    m_view.ShowTweets(true);
}

int TimelineRetrieval::CheckedUsers() const {
    int checked = 0;
    for (int i = 0; i < m_window.Users.UserList.Count(); ++i) checked += m_window.Users.UserList.Checked(i);
    return checked;
}

void TimelineRetrieval::BeginUsers(int total) {
    m_users.Begin("tweets", total);
}

std::string TimelineRetrieval::OldestTweetIdOf(const std::string& screenName) const {
    const ReportList& table = m_window.OutTable;
    std::string_view oldest;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (Trimmed(table.Cell(row, TweetColumn::UserScreenName)) != screenName) continue;
        const std::string_view id = table.Cell(row, TweetColumn::TweetID);
        if (oldest.empty() || CompareCells(id, oldest) < 0) oldest = id;
    }
    return Trimmed(oldest);
}

std::string TimelineRetrieval::NewestTweetIdOf(const std::string& screenName) const {
    const ReportList& table = m_window.OutTable;
    // The first row of the user is the newest while the table is sorted on TweetID,
    // newest first; taking the largest id keeps the update right when it is not.
    std::string_view newest;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (Trimmed(table.Cell(row, TweetColumn::UserScreenName)) != screenName) continue;
        const std::string_view id = table.Cell(row, TweetColumn::TweetID);
        if (newest.empty() || CompareCells(id, newest) > 0) newest = id;
    }
    return Trimmed(newest);
}

void TimelineRetrieval::RetrieveTimeline(const std::string& user, const std::string& sinceId,
                                         const std::string& firstMaxId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
    TweetSet& tweets = twitter.Tweets;
    const std::string about = " statuses for [" + user + "] ";
    if (!UserProfileTable::CanBeScreenNameOrId(user)) {
        w.Progress.Append(UserProfileTable::SkippedLine({user}));
        return;
    }

    w.Progress.Append("Retrieved 0" + about);
    w.Progress.ScrollToLast();
    w.Tk.DoEvents();

    std::string maxId = firstMaxId;
    bool reached = false;
    int total = 0;
    const int heldBefore = tweets.Count();
    PageProgress progress("max_id", maxId);
    std::string stopLine;
    const int undatedBefore = tweets.UndatedCount();
    int before = 0;
    try {
        do {
            before = tweets.Count();
            do {
                w.LastGET.SetText(twitter.GetUserTimeLine(user, true, sinceId, maxId, "200", true));
            } while (m_steps.ResendAfterSpentWindow(twitter, ResourceFamily::UserTimeline, "user timeline"));
            const int count = twitter.LastResponseCount();
            if (count == -1 && !w.Cancelled) {
                w.Progress.Append("Retrieval error: " + twitter.LastResponseCode());
            } else if (count > 0) {
                if (!progress.TweetPageMoved(tweets, before)) {
                    stopLine = progress.StopLine();
                    break;
                }
                maxId = tweets.OldestTweetId(true);
                reached = tweets.TrimToDateRange(w.ThresholdDateText(), RetrievalSteps::LatestBound());
                // The CR LF at the end is the panel text as it has always been (kept on purpose).
                w.InfoBar.SetPanel(3, std::to_string(twitter.UTLRateLimitRemaining()) +
                                          " USER_TIMELINE requests remaining\r\n");
                w.InfoBar.SetPanel(
                    4, "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.UTLNextLimitReset()));
                total += count;
                m_users.Page(count);
                w.Progress.ReplaceLast("Retrieved " + std::to_string(total) + about + "back to " +
                                       tweets.DateTime(tweets.Count()));
                w.Tk.DoEvents();
            }
            w.Progress.ScrollToLast();
            w.Tk.DoEvents();
            if (twitter.UTLRateLimitRemaining() < kQuotaLow)
                m_steps.QuotaLow(twitter, ResourceFamily::UserTimeline, "user timeline");
        } while (!(twitter.LastResponseCount() < 1 || reached || w.Cancelled));
    } catch (const std::bad_alloc&) {
        stopLine = RetrievalSteps::OutOfMemory(tweets, before);
    }

    if (!stopLine.empty()) w.Progress.Append(stopLine);
    if (tweets.UndatedCount() > undatedBefore)
        w.Progress.Append(RetrievalSteps::UndatedLine(tweets.UndatedCount() - undatedBefore));
    w.Progress.Append(
        m_steps.EndLine("Retrieval of [" + user + "] ended @" + RetrievalSteps::NowText() + ", ", reached));
    w.Progress.ScrollToLast();
    // A timeline cut short: pages came before the refusal, or the refusal may pass (a
    // spent window, a server error). An account that is not there or not open is no gap.
    const bool midway = tweets.Count() > heldBefore;
    const int status = static_cast<int>(SKDFuncs::LeadingNumber(twitter.LastResponseCode()));
    if (twitter.LastResponseCount() < 0 && !reached && !w.Cancelled &&
        (midway || status == 429 || status >= 500))
        m_steps.ReportIncomplete(twitter.LastResponseCode(), midway ? tweets.DateTime(tweets.Count()) : "");
}

}  // namespace marlin
