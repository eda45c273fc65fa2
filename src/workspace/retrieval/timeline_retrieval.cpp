#include "workspace/retrieval/timeline_retrieval.h"
#include "core/tweet_column.h"

#include <algorithm>

#include "platform/blank_trim.h"
#include "platform/cell_compare.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

TimelineRetrieval::TimelineRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                                     TweetTableTarget& table)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_table(table) {}

void TimelineRetrieval::StartFreshTable() {
    MainWindowState& w = m_window;
    w.Engine.Tweets().Clear();
    m_tweetCtl.UpdateSearch.SetEnabled(false);
    w.TweetsTable.Rows().ClearRows();
    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsTable.SetFile({});
    w.TweetsTable.ForgetEncoding(w.Settings.ExactTexts);
    w.Req.FileName.clear();
}

void TimelineRetrieval::FinishFreshTable() {
    MainWindowState& w = m_window;
    // The table now holds timelines, so a save belongs in the timeline history.
    w.SetTweetSource(TweetSource::Timelines);
    if (w.TweetsTable.Rows().RowCount() > 0) m_userCtl.UpdateUTL.SetEnabled(true);
}

void TimelineRetrieval::GetAllUTL_Click() {
    // Said before anything is asked or cleared: with no user checked there is nothing to get.
    if (m_window.CanStartRetrieval() && CheckedEntries().empty()) {
        m_window.Tk.MessageBox(kNoUserChecked, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    if (!m_table.ReadyToReplaceTables()) return;
    RunNewOnCheckedUsers();
}

CaptureResult TimelineRetrieval::RunNew(const std::vector<std::string>& users) {
    if (!m_window.CanStartRetrieval()) return {};
    for (const std::string& user : users) m_userCtl.UserList.AddItem(user, true);
    return RunNewOnCheckedUsers();
}

std::vector<int> TimelineRetrieval::CheckedEntries() const {
    std::vector<int> entries;
    const CheckList& list = m_userCtl.UserList;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Checked(i)) entries.push_back(i);
    return entries;
}

CaptureResult TimelineRetrieval::WalkCheckedUsers(const CaptureRequest& request,
                                                  const std::vector<int>& entries, Shown shown) {
    // A new table follows the walk in the list, and shows everything gathered so far
    // after each user.
    AccountSteps steps;
    if (shown == Shown::AfterEachUser) {
        steps.started = [this, &entries](int index) {
            m_userCtl.UserList.SetSelectedIndex(entries[static_cast<std::size_t>(index)]);
        };
        steps.done = [this](int) { m_table.ShowTweets(false); };
    }
    return m_window.Engine.Capture(request, steps);
}

CaptureResult TimelineRetrieval::RunNewOnCheckedUsers() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return {};
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    StartFreshTable();
    m_userCtl.CurrentUserTable().ClearRows();
    const std::vector<int> entries = CheckedEntries();
    CaptureRequest request = w.Request(CaptureKind::Timelines, m_tweetCtl, m_userCtl);
    for (const int entry : entries) request.accounts.push_back(m_userCtl.UserList.Item(entry));
    CaptureResult result = WalkCheckedUsers(request, entries, Shown::AfterEachUser);
    running.Release();
    FinishFreshTable();
    return result;
}

void TimelineRetrieval::UpdateUTL_Click() {
    AddToTable(true, CaptureKind::Update);
}

void TimelineRetrieval::UserList_DblClick() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || m_userCtl.UserList.SelectedIndex() < 0) return;
    m_table.OfferToSave();
    if (!w.CanStartRetrieval() || m_userCtl.UserList.SelectedIndex() < 0) return;

    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::ArrowAndBusy);
    StartFreshTable();
    w.InfoBar.SetPanel(1, "Empty");
    CaptureRequest request = w.Request(CaptureKind::Timeline, m_tweetCtl, m_userCtl);
    request.accounts = {m_userCtl.UserList.SelectedText()};
    w.Engine.Capture(request);
    m_table.ShowTweets(false);
    w.RetrievalBar.End();
    running.Release();
    FinishFreshTable();
}

void TimelineRetrieval::ContinueBack() {
    AddToTable(false, CaptureKind::ContinueBack);
}

void TimelineRetrieval::AddToTable(bool sortById, CaptureKind kind) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Engine.Tweets().Clear();
    if (sortById) w.TweetsTable.Rows().SetSortKey(TweetColumn::TweetID);
    const std::vector<int> entries = CheckedEntries();
    CaptureRequest request = w.Request(CaptureKind::Timelines, m_tweetCtl, m_userCtl);
    for (const int entry : entries) {
        const std::string user = m_userCtl.UserList.Item(entry);
        request.accounts.push_back(user);
        CapturePosition position;
        if (kind == CaptureKind::Update) position.sinceId = w.TweetsTable.NewestTweetIdOf(user);
        if (kind == CaptureKind::ContinueBack) position.belowId = w.TweetsTable.OldestTweetIdOf(user);
        request.accountPositions.push_back(position);
    }
    WalkCheckedUsers(request, entries, Shown::AddedAtTheEnd);
    w.SetTweetSource(TweetSource::Timelines);
    m_table.ShowTweets(true);
}

}  // namespace marlin
