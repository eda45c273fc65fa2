#include "workspace/retrieval/timeline_retrieval.h"
#include "core/tweet_column.h"

#include <algorithm>

#include "platform/blank_trim.h"
#include "platform/cell_compare.h"
#include "workspace/engine/tweet_page_loop.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

TimelineRetrieval::TimelineRetrieval(MainWindowState& window, TweetTableTarget& table)
    : m_window(window), m_table(table), m_steps(window), m_users(window.RetrievalBar) {}

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
    w.SetTweetSource(TweetSource::Timelines);
    if (w.OutTable.RowCount() > 0) w.Users.UpdateUTL.SetEnabled(true);
}

void TimelineRetrieval::GetAllUTL_Click() {
    if (!m_table.ReadyToReplaceTables()) return;
    RunNewOnCheckedUsers();
}

void TimelineRetrieval::RunNew(const std::vector<std::string>& users) {
    if (!m_window.CanStartRetrieval()) return;
    for (const std::string& user : users) m_window.Users.UserList.AddItem(user, true);
    RunNewOnCheckedUsers();
}

void TimelineRetrieval::RunNewOnCheckedUsers() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    StartFreshTable();
    w.CurrentUserTable().ClearRows();
    WalkCheckedUsers([&](int i) {
        w.Users.UserList.SetSelectedIndex(i);
        RetrieveTimeline(w.Users.UserList.Item(i), "");
        // Everything gathered so far is shown after each user.
        m_table.ShowTweets(false);
    });
    running.Release();
    FinishFreshTable();
}

void TimelineRetrieval::UpdateUTL_Click() {
    AddToTable(true, [this](const std::string& user) { RetrieveTimeline(user, NewestTweetIdOf(user)); });
}

void TimelineRetrieval::UserList_DblClick() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || w.Users.UserList.SelectedIndex() < 0) return;
    m_table.OfferToSave();
    if (!w.CanStartRetrieval() || w.Users.UserList.SelectedIndex() < 0) return;

    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::ArrowAndBusy);
    StartFreshTable();
    w.InfoBar.SetPanel(1, "Empty");
    BeginUsers(1);
    RetrieveTimeline(w.Users.UserList.SelectedText(), "");
    m_table.ShowTweets(false);
    w.RetrievalBar.End();
    running.Release();
    FinishFreshTable();
}

void TimelineRetrieval::ContinueBack() {
    AddToTable(false, [this](const std::string& user) {
        RetrieveTimeline(user, "", RetrievalSteps::IdBelow(OldestTweetIdOf(user)));
    });
}

void TimelineRetrieval::AddToTable(bool sortById, const std::function<void(const std::string&)>& retrieve) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Twitter.Tweets.Clear();
    if (sortById) w.OutTable.SetSortKey(TweetColumn::TweetID);
    WalkCheckedUsers([&](int c) { retrieve(w.Users.UserList.Item(c)); });
    w.SetTweetSource(TweetSource::Timelines);
    m_table.ShowTweets(true);
}

void TimelineRetrieval::WalkCheckedUsers(const std::function<void(int)>& step) {
    MainWindowState& w = m_window;
    w.Events().Log("User timeline retrieval started @" + RetrievalSteps::NowText());
    BeginUsers(CheckedUsers());
    w.Tk.DoEvents();
    // The list may change while events run; its length is read again for every entry.
    for (int i = 0; i < w.Users.UserList.Count(); ++i) {
        if (w.Users.UserList.Checked(i)) {
            step(i);
            m_users.Next();
            if (w.Twitter.V11AccessRefused()) {
                // The other users would be refused the same way: one message, not one a user.
                w.Events().Log("Retrieval stopped: " + w.Twitter.LastResponseCode());
                w.Events().Tell("The retrieval stopped: " + w.Twitter.LastResponseCode(),
                                CaptureEvents::Notice::Warning);
                break;
            }
        }
        if (w.Run.Cancelled()) break;
    }
    w.RetrievalBar.End();
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
    return ExtremeTweetIdOf(screenName, -1);
}

std::string TimelineRetrieval::NewestTweetIdOf(const std::string& screenName) const {
    // The first row of the user is the newest while the table is sorted on TweetID,
    // newest first; taking the largest id keeps the update right when it is not.
    return ExtremeTweetIdOf(screenName, 1);
}

std::string TimelineRetrieval::ExtremeTweetIdOf(const std::string& screenName, int direction) const {
    const ReportList& table = m_window.OutTable;
    std::string_view found;
    for (int row = 0; row < table.RowCount(); ++row) {
        if (Trimmed(table.Cell(row, TweetColumn::UserScreenName)) != screenName) continue;
        const std::string_view id = table.Cell(row, TweetColumn::TweetID);
        const int order = CompareCells(id, found);
        if (found.empty() || (direction > 0 ? order > 0 : order < 0)) found = id;
    }
    return Trimmed(found);
}

void TimelineRetrieval::RetrieveTimeline(const std::string& user, const std::string& sinceId,
                                         const std::string& firstMaxId) {
    MainWindowState& w = m_window;
    TwitterAPI& twitter = w.Twitter;
    TweetSet& tweets = twitter.Tweets;
    const std::string about = " statuses for [" + user + "] ";
    if (!RetrievalSteps::CanBeScreenNameOrId(user)) {
        w.Events().Log(RetrievalSteps::SkippedLine({user}));
        return;
    }

    w.Events().Log("Retrieved 0" + about);
    w.Progress.ScrollToLast();
    w.Tk.DoEvents();

    int total = 0;
    const int heldBefore = tweets.Count();
    const int undatedBefore = tweets.UndatedCount();
    TweetPageLoop::Source source;
    source.family = ResourceFamily::UserTimeline;
    source.windowName = "user timeline";
    source.fetch = [&](const std::string& maxId) {
        return twitter.GetUserTimeLine(user, true, sinceId, maxId, "200", true);
    };
    source.remaining = [&] { return twitter.UTLRateLimitRemaining(); };
    source.refused = [&] { w.Events().Log("Retrieval error: " + twitter.LastResponseCode()); };
    source.taken = [&](int count) {
        // The CR LF at the end is the panel text as it has always been (kept on purpose).
        w.InfoBar.SetPanel(
            3, std::to_string(twitter.UTLRateLimitRemaining()) + " USER_TIMELINE requests remaining\r\n");
        w.InfoBar.SetPanel(4, "Next reset: " + SKDFuncs::FormatLocalDateTime(twitter.UTLNextLimitReset()));
        total += count;
        m_users.Page(count);
        w.Events().Progress("Retrieved " + std::to_string(total) + about + "back to " +
                            tweets.DateTime(tweets.Count()));
    };
    const bool reached = TweetPageLoop(w.Twitter, w.Run, w.Events(), m_steps).Run(source, firstMaxId);

    if (tweets.UndatedCount() > undatedBefore)
        w.Events().Log(RetrievalSteps::UndatedLine(tweets.UndatedCount() - undatedBefore));
    w.Events().Log(
        m_steps.EndLine("Retrieval of [" + user + "] ended @" + RetrievalSteps::NowText() + ", ", reached));
    w.Progress.ScrollToLast();
    // A timeline cut short: pages came before the refusal, or the refusal may pass (a
    // spent window, a server error). An account that is not there or not open is no gap.
    const bool midway = tweets.Count() > heldBefore;
    const int status = static_cast<int>(SKDFuncs::LeadingNumber(twitter.LastResponseCode()));
    if (twitter.LastResponseCount() < 0 && !reached && !w.Run.Cancelled() &&
        (midway || status == 429 || status >= 500))
        m_steps.ReportIncomplete(twitter.LastResponseCode(), midway ? tweets.DateTime(tweets.Count()) : "");
}

}  // namespace marlin
