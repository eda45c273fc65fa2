#include "workspace/retrieval/search_retrieval.h"

#include "core/tweet_column.h"
#include "workspace/retrieval/retrieval_guard.h"

namespace marlin {

SearchRetrieval::SearchRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                                 TweetTableTarget& table)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_table(table) {}

void SearchRetrieval::GetSrch_Click() {
    if (!m_table.ReadyToReplaceTables()) return;
    if (OfferV2(RunNew(m_tweetCtl.SearchQuery.Text()))) RunNew(m_tweetCtl.SearchQuery.Text());
}

void SearchRetrieval::UpdateSearch_Click() {
    if (OfferV2(RunUpdate(m_tweetCtl.SearchQuery.Text()))) RunUpdate(m_tweetCtl.SearchQuery.Text());
}

void SearchRetrieval::ContinueBack() {
    if (OfferV2(RunContinue(m_tweetCtl.SearchQuery.Text()))) RunContinue(m_tweetCtl.SearchQuery.Text());
}

bool SearchRetrieval::OfferV2(const CaptureResult& result) {
    if (!result.last.V11AccessRefused() || m_window.Settings.ApiV2) return false;
    m_window.Events().Log("Search refused: " + result.last.responseCode);
    if (!m_window.Tk.Offer(kV11Refused, kV11RefusedTitle, kUseV2) || !m_useV2) return false;
    m_useV2();
    return m_window.Settings.ApiV2;
}

CaptureResult SearchRetrieval::Retrieve(CaptureKind kind, const std::string& query) {
    CaptureRequest request = m_window.Request(kind, m_tweetCtl, m_userCtl);
    request.query = query;
    if (kind == CaptureKind::Update) request.position.sinceId = m_window.TweetsTable.NewestTweetId();
    if (kind == CaptureKind::ContinueBack) request.position.belowId = m_window.TweetsTable.OldestTweetId();
    return m_window.Engine.Capture(request);
}

CaptureResult SearchRetrieval::RunNew(const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return {};
    CaptureResult result;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Engine.Tweets().Clear();
    m_userCtl.UpdateUTL.SetEnabled(false);
    w.TweetsTable.Rows().ClearRows();
    m_userCtl.CurrentUserTable().ClearRows();
    w.TableEngine.Tweets().Clear();
    w.TableEngine.Users().Clear();
    w.InfoBar.SetPanel(1, "Empty");
    w.InfoBar.SetPanel(2, "Empty");

    result = Retrieve(CaptureKind::Search, query);

    // A new retrieval is a new table: the next save proposes a new file.
    w.TweetsTable.SetFile({});
    w.TweetsTable.ForgetEncoding(w.Settings.ExactTexts);
    w.Req.FileName.clear();
    m_table.ShowTweets(false);

    running.Release();
    w.SetTweetSource(TweetSource::Search);
    if (w.TweetsTable.Rows().RowCount() > 0) m_tweetCtl.UpdateSearch.SetEnabled(true);
    return result;
}

CaptureResult SearchRetrieval::RunUpdate(const std::string& query) {
    return AddToTable(CaptureKind::Update, query);
}

CaptureResult SearchRetrieval::RunContinue(const std::string& query) {
    return AddToTable(CaptureKind::ContinueBack, query);
}

CaptureResult SearchRetrieval::AddToTable(CaptureKind kind, const std::string& query) {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return {};
    const bool update = kind == CaptureKind::Update;
    CaptureResult result;
    // An update keeps the normal cursor.
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy,
                           update ? std::nullopt : std::optional<CursorShape>(CursorShape::Busy));
    w.Engine.Tweets().Clear();
    if (w.TweetsTable.Rows().RowCount() > 0) {
        if (update) {
            w.TweetsTable.Rows().SetSortKey(TweetColumn::TweetID);
            w.Tk.DoEvents();
        }
        result = Retrieve(kind, query);
        m_table.ShowTweets(true);
    }
    w.SetTweetSource(TweetSource::Search);
    return result;
}

}  // namespace marlin
