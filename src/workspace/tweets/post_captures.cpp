#include "workspace/tweets/post_captures.h"

#include "platform/blank_trim.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

namespace {

constexpr const char* kNoPostSelected = "Select a post in the Tweets table first.";

}  // namespace

PostCaptures::PostCaptures(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                           TweetTableTarget& table, UserListBuilder& list)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_table(table), m_list(list) {
    mQuotes.SetCaption("Quotes of Selected Posts");
    mRepostedBy.SetCaption("Reposted By (Selected Post)");
    mLikingUsers.SetCaption("Liked By (Selected Post)");
    mListMembers.SetCaption("List Members\u2026");
    mQuotes.SetAction([this] { mQuotes_Click(); });
    mRepostedBy.SetAction([this] { mRepostedBy_Click(); });
    mLikingUsers.SetAction([this] { mLikingUsers_Click(); });
    mListMembers.SetAction([this] { mListMembers_Click(); });
}

std::vector<std::string> PostCaptures::SelectedPostIds() const {
    const ReportList& rows = m_window.TweetsTable.Rows();
    std::vector<std::string> ids;
    for (const int row : rows.SelectedRows()) {
        std::string id(TrimBlanks(rows.Cell(row, TweetColumn::TweetID)));
        if (!id.empty()) ids.push_back(std::move(id));
    }
    return ids;
}

void PostCaptures::mQuotes_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::vector<std::string> posts = SelectedPostIds();
    if (posts.empty()) {
        w.Events().Tell(kNoPostSelected, CaptureEvents::Notice::Information);
        return;
    }
    // The quotes make a new table in place of the one they were picked from.
    if (!m_table.ReadyToReplaceTables()) return;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Engine.Tweets().Clear();
    w.TweetsTable.Rows().ClearRows();
    CaptureRequest request = w.Request(CaptureKind::Quotes, m_tweetCtl, m_userCtl);
    request.query.clear();
    request.accounts = posts;
    w.Engine.Capture(request);
    w.TweetsTable.SetFile({});
    w.TweetsTable.ForgetEncoding(w.Settings.ExactTexts);
    w.Req.FileName.clear();
    m_table.ShowTweets(false);
    running.Release();
    w.SetTweetSource(TweetSource::None);
}

void PostCaptures::UsersOfSelectedPost(CaptureKind kind) {
    const std::vector<std::string> posts = SelectedPostIds();
    if (posts.empty()) {
        m_window.Events().Tell(kNoPostSelected, CaptureEvents::Notice::Information);
        return;
    }
    m_list.RetrieveUsersOf(kind, posts.front());
}

void PostCaptures::mListMembers_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    const std::string list = Trimmed(w.Tk.InputBox("Enter list id", kApplicationTitle, ""));
    if (list.empty()) return;
    m_list.RetrieveUsersOf(CaptureKind::ListMembers, list);
}

}  // namespace marlin
