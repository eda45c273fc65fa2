#include "workspace/retrieval/post_retrieval.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "core/missing_posts_file.h"
#include "core/post_id_file.h"
#include "core/tweet_column.h"
#include "workspace/retrieval/retrieval_guard.h"
#include "workspace/tables/tweet_table_file.h"

namespace marlin {

namespace {

constexpr const char* kIdFilter =
    "Post ids (*.txt;*.csv;*.jsonl)|*.txt;*.csv;*.jsonl|Tweet tables (*.txt)|*.txt|All files (*.*)|*.*";
constexpr const char* kTableFilter = "Tweet tables (*.txt)|*.txt";
constexpr const char* kQueriesFilter = "Queries, one a line (*.txt)|*.txt|All files (*.*)|*.*";

}  // namespace

PostRetrieval::PostRetrieval(MainWindowState& window, TweetControls& tweetCtl, UserControls& userCtl,
                             TweetTableTarget& table)
    : m_window(window), m_tweetCtl(tweetCtl), m_userCtl(userCtl), m_table(table) {
    mHydrate.SetAction([this] { mHydrate_Click(); });
    mSearchesFromFile.SetAction([this] { mSearchesFromFile_Click(); });
    mConversations.SetAction([this] { mConversations_Click(); });
    mExportPostIds.SetAction([this] { mExportPostIds_Click(); });
}

std::vector<std::uint64_t> PostRetrieval::SelectedPostIds() const {
    const ReportList& rows = m_window.TweetsTable.Rows();
    std::vector<std::uint64_t> ids;
    std::set<std::uint64_t> seen;
    for (const int row : rows.SelectedRows())
        if (const auto id = PostIdFile::ParseId(rows.Cell(row, TweetColumn::TweetID));
            id && seen.insert(*id).second)
            ids.push_back(*id);
    return ids;
}

CaptureResult PostRetrieval::RunIntoNewTable(const CaptureRequest& request) {
    MainWindowState& w = m_window;
    RetrievalGuard running(w, RetrievalGuard::Mark::Busy, CursorShape::Busy);
    w.Engine.Tweets().Clear();
    w.TweetsTable.Rows().ClearRows();
    m_userCtl.CurrentUserTable().ClearRows();
    w.InfoBar.SetPanel(1, "Empty");
    w.InfoBar.SetPanel(2, "Empty");
    const CaptureResult result = w.Engine.Capture(request);
    // A new capture is a new table: the next save proposes a new file.
    w.TweetsTable.SetFile({});
    w.TweetsTable.ForgetEncoding(w.Settings.ExactTexts);
    w.Req.FileName.clear();
    m_table.ShowTweets(false);
    running.Release();
    w.SetTweetSource(TweetSource::None);
    return result;
}

void PostRetrieval::mHydrate_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || !m_table.ReadyToReplaceTables()) return;
    const std::optional<std::string> idFile =
        w.Tk.OpenFileDialog({"Hydrate: Post Ids", kIdFilter, "txt", ""});
    if (!idFile || idFile->empty()) return;
    PostIds read;
    try {
        read = PostIdFile::Read(*idFile);
    } catch (const PostIdFile::Error& error) {
        w.Tk.MessageBox(error.what(), kHydrateTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    if (read.ids.empty()) {
        w.Tk.MessageBox("No post ids in " + *idFile, kHydrateTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    const std::filesystem::path proposed =
        std::filesystem::path(*idFile).replace_extension().string() + "-posts.txt";
    const std::optional<std::string> out =
        w.Tk.SaveFileDialog({"Hydrate: Save Posts As", kTableFilter, "txt", proposed.string()});
    if (!out || out->empty()) return;

    CaptureRequest request = w.Request(CaptureKind::Hydrate, m_tweetCtl, m_userCtl);
    request.query.clear();  // the search box's query is not this capture's
    request.postIds = std::move(read.ids);
    // Beside the table, what the same hydrate again goes on from.
    request.archive.file = std::filesystem::path(*out).replace_extension(".jsonl");
    request.missingFile = MissingPostsFile::For(*out);
    const std::size_t asked = request.postIds.size();
    const CaptureResult result = RunIntoNewTable(request);
    const bool saved = TweetTableFile::Write(w.TweetsTable, *out, m_tweetCtl.mHeaders.Checked());
    if (saved) {
        w.TweetsTable.SetFile(*out);
        w.SetTweetsDirty(false);
    }
    std::string summary = "Hydrated " + std::to_string(w.TweetsTable.Count()) + " posts of " +
                          std::to_string(asked) + " ids: " + std::to_string(result.idsMissing) +
                          " missing (listed in " + request.missingFile.filename().string() + "), " +
                          std::to_string(read.duplicates) + " duplicated and " +
                          std::to_string(read.malformed) + " malformed ids dropped.";
    if (!result.reached) summary += " The hydrate did not finish: Hydrate again with the same files goes on.";
    summary +=
        saved ? " The table is saved as " + *out + "." : " The table could not be saved as " + *out + ".";
    w.Events().Log(summary);
    w.Tk.MessageBox(summary, kHydrateTitle, MsgButtons::OK,
                    result.reached && saved ? MsgIcon::Information : MsgIcon::Exclamation);
}

SearchesFromFile::Hooks PostRetrieval::SearchHooks() {
    MainWindowState& w = m_window;
    SearchesFromFile::Hooks hooks;
    hooks.request = [this, &w](CaptureKind kind, const std::string& query) {
        CaptureRequest request = w.Request(kind, m_tweetCtl, m_userCtl);
        request.query = query;
        return request;
    };
    hooks.capture = [this, &w](const CaptureRequest& request) {
        return request.kind == CaptureKind::Count ? w.Engine.Capture(request) : RunIntoNewTable(request);
    };
    hooks.keep = [this, &w](const std::string& table,
                            const CaptureResult& result) -> std::optional<std::size_t> {
        const bool saved = TweetTableFile::Write(w.TweetsTable, table, m_tweetCtl.mHeaders.Checked());
        if (saved) {
            w.TweetsTable.SetFile(table);
            w.SetTweetsDirty(false);
        }
        if (!saved || result.outcome != CaptureOutcome::Complete) return std::nullopt;
        return static_cast<std::size_t>(w.TweetsTable.Count());
    };
    hooks.line = [&w](const std::string& line) { w.Events().Log(line); };
    return hooks;
}

void PostRetrieval::mSearchesFromFile_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval() || !m_table.ReadyToReplaceTables()) return;
    const std::optional<std::string> queries =
        w.Tk.OpenFileDialog({"Searches from File: Queries", kQueriesFilter, "txt", ""});
    if (!queries || queries->empty()) return;
    const std::string folder =
        w.Tk.InputBox("The folder for the tables and archives of the searches:", kSearchesTitle,
                      std::filesystem::path(*queries).replace_extension().string() + "-searches");
    if (folder.empty()) return;
    SearchesFromFile searches(*queries, folder, SearchHooks());
    if (!searches.Problem().empty()) {
        w.Tk.MessageBox(searches.Problem(), kSearchesTitle, MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    std::string ask = "Run " + std::to_string(searches.Left()) + " searches into " + folder + "?";
    // Only v2 counts the posts of a query.
    if (w.Settings.ApiV2 && !w.Settings.Bluesky) ask = searches.Estimate() + "\n\n" + ask;
    if (w.Tk.MessageBox(ask, kSearchesTitle, MsgButtons::YesNo, MsgIcon::Question) != MsgResult::Yes) return;
    switch (searches.Run()) {
        case SearchesFromFile::Outcome::Finished:
        case SearchesFromFile::Outcome::Stopped:
            return;
        case SearchesFromFile::Outcome::NotFinished:
            w.Tk.MessageBox(
                "A search did not finish: Searches from File again with the same folder goes on from it.",
                kSearchesTitle, MsgButtons::OK, MsgIcon::Exclamation);
            return;
        case SearchesFromFile::Outcome::DoneListUnwritten:
            w.Tk.MessageBox(
                "Couldn't save: " + (std::filesystem::path(folder) / SearchesFolder::kDoneFile).string(),
                kSearchesTitle, MsgButtons::OK, MsgIcon::Exclamation);
            return;
    }
}

void PostRetrieval::mConversations_Click() {
    MainWindowState& w = m_window;
    if (!w.CanStartRetrieval()) return;
    std::vector<std::uint64_t> roots = SelectedPostIds();
    if (roots.empty()) {
        w.Tk.MessageBox(kNoSelection, kConversationsTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    if (!w.Settings.ApiV2) {
        w.Tk.MessageBox(kNeedsV2, kConversationsTitle, MsgButtons::OK, MsgIcon::Information);
        return;
    }
    if (!m_table.ReadyToReplaceTables()) return;
    CaptureRequest request = w.Request(CaptureKind::Conversation, m_tweetCtl, m_userCtl);
    request.query.clear();
    request.postIds = std::move(roots);
    RunIntoNewTable(request);
}

void PostRetrieval::mExportPostIds_Click() {
    MainWindowState& w = m_window;
    const ReportList& rows = w.TweetsTable.Rows();
    std::vector<std::uint64_t> ids;
    for (int row = 0; row < rows.RowCount(); ++row)
        if (const auto id = PostIdFile::ParseId(rows.Cell(row, TweetColumn::TweetID))) ids.push_back(*id);
    if (ids.empty()) {
        w.Tk.MessageBox("The Tweets table holds no posts.", kExportIdsTitle, MsgButtons::OK,
                        MsgIcon::Information);
        return;
    }
    // Ids grow with time: the largest is the newest.
    std::sort(ids.begin(), ids.end(), std::greater<>());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    const std::string stem = w.TweetsTable.File().empty()
                                 ? std::string("Tweets")
                                 : std::filesystem::path(w.TweetsTable.File()).replace_extension().string();
    const std::optional<std::string> out =
        w.Tk.SaveFileDialog({"Export Post Ids", "Post ids (*.txt)|*.txt", "txt", stem + "-ids.txt"});
    if (!out || out->empty()) return;
    if (!PostIdFile::Write(*out, ids)) {
        w.Tk.MessageBox("Couldn't save: " + *out + " -- The file could not be written.", kExportIdsTitle,
                        MsgButtons::OK, MsgIcon::Exclamation);
        return;
    }
    w.Events().Log("Saved " + std::to_string(ids.size()) + " post ids to " + *out);
}

}  // namespace marlin
