// The Posts menu of the real window against the emulator: a hydrate chosen through its file
// dialogs fills the Tweets table and writes the table, its archive and the missing list beside
// it; the conversations of the selected rows replace the table with every reply and the rows'
// posts; File › "Export Post Ids…" writes the table's ids newest first; Posts › "Searches from
// File…" runs a search a query into a folder after one estimate, and goes on at the first
// search not finished.
#include <QMenu>

#include "core/missing_posts_file.h"
#include "core/post_id_file.h"
#include "core/tweet_column.h"
#include "gui_window_test.h"
#include "platform/blank_trim.h"

namespace marlin::testing {
namespace {

class PostsMenuTest : public GuiWindowTest {
  protected:
    void SetUp() override {
        emulator::EmulatorConfig config = SmallCorpus();
        for (int& limit : config.limits) limit = 30000;
        StartGui(config, false);
        Authenticate();
        frm->Service().SetApiV2(true);
    }
    // Posts › "Searches from File…" on the file and folder, answering the question so.
    void SearchesFromFile(const std::string& queries, const std::string& folder,
                          std::deque<MsgResult> answers) {
        tk.fileDialogAnswers = {File(queries).string()};
        tk.promptAnswers = {File(folder).string()};
        tk.messageAnswers = std::move(answers);
        Action("mSearchesFromFile")->trigger();
    }
    // The last question Searches from File asked.
    std::string Asked() const {
        for (auto shown = tk.messages.rbegin(); shown != tk.messages.rend(); ++shown)
            if (shown->buttons == MsgButtons::YesNo) return shown->text;
        return {};
    }
    std::string Log() const {
        std::string text;
        for (const std::string& line : LogLines()) text += line + "\n";
        return text;
    }
    std::set<std::uint64_t> ShownIds() {
        std::set<std::uint64_t> ids;
        const ReportList& rows = W().TweetsTable.Rows();
        for (int row = 0; row < rows.RowCount(); ++row)
            ids.insert(std::stoull(Trimmed(rows.Cell(row, TweetColumn::TweetID))));
        return ids;
    }
};

TEST_F(PostsMenuTest, HydrateFillsTheTableAndWritesItBesideItsArchiveAndMissingList) {
    const auto* posts = window->findChild<QMenu*>("mPosts");
    ASSERT_NE(posts, nullptr);
    EXPECT_TRUE(posts->actions().contains(Action("mHydrate")));
    EXPECT_TRUE(posts->actions().contains(Action("mSearchesFromFile")));
    std::vector<std::uint64_t> ids;
    for (const std::string& id : Emu().Data().SearchIds("data"))
        if (ids.size() < 150) ids.push_back(std::stoull(id));
    ids.push_back(123);
    ASSERT_TRUE(PostIdFile::Write(File("ids.txt"), ids));
    tk.fileDialogAnswers = {File("ids.txt").string(), File("h.txt").string()};
    Action("mHydrate")->trigger();

    std::set<std::uint64_t> visible;
    for (const std::uint64_t id : ids)
        if (PostVisible(id)) visible.insert(id);
    EXPECT_EQ(ShownIds(), visible);
    const PostIds saved = PostIdFile::Read(File("h.txt"));
    EXPECT_EQ(std::set<std::uint64_t>(saved.ids.begin(), saved.ids.end()), visible);
    EXPECT_EQ(W().TweetsTable.File(), File("h.txt").string());
    MissingPostsFile missing(File("h-missing.csv"));
    EXPECT_EQ(missing.Load(), ids.size() - visible.size());
    EXPECT_EQ(PostIdFile::Read(File("h.jsonl")).ids.size(), visible.size());
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_THAT(tk.messages.back().text, StartsWith("Hydrated " + std::to_string(visible.size()) +
                                                    " posts of " + std::to_string(ids.size()) + " ids"));

    // The ids again, newest first.
    tk.fileDialogAnswers = {File("again.txt").string()};
    Action("mExportPostIds")->trigger();
    EXPECT_EQ(PostIdFile::Read(File("again.txt")).ids,
              std::vector<std::uint64_t>(visible.rbegin(), visible.rend()));
}

TEST_F(PostsMenuTest, TheConversationsOfTheSelectedRowsReplaceTheTable) {
    const auto [root, replies] = BusiestConversation();
    ASSERT_GT(replies.size(), 1u);
    ASSERT_TRUE(PostIdFile::Write(File("root.txt"), {root}));
    tk.fileDialogAnswers = {File("root.txt").string(), File("root-posts.txt").string()};
    Action("mHydrate")->trigger();
    ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 1);
    W().TweetsTable.Rows().SetSelectedRows({0}, 0);
    // Back to the threshold date, in the full archive: the conversation began days ago.
    frm->Service().SetFullArchiveSearch(true);
    BackDays(10);
    Action("mConversations")->trigger();
    std::set<std::uint64_t> expected = replies;
    expected.insert(root);
    EXPECT_EQ(ShownIds(), expected);
}

TEST_F(PostsMenuTest, SearchesFromAFileWriteEachQueryIntoTheFolderAndGoOnAtTheFirstNotFinished) {
    WriteFileBytes(File("queries.txt"), "data\n\nclimate\n");
    BackDays(2);
    SearchesFromFile("queries.txt", "runs", {MsgResult::No});
    EXPECT_THAT(Asked(), HasSubstr("Estimate of all 2 searches: "));
    EXPECT_THAT(Asked(), HasSubstr("Run 2 searches into " + File("runs").string()));
    EXPECT_EQ(CountRequests("/2/tweets/search/recent"), 0);

    // A folder where the second table belongs: that search cannot be kept.
    std::filesystem::create_directories(File("runs/02-climate.txt"));
    SearchesFromFile("queries.txt", "runs", {MsgResult::Yes});
    EXPECT_THAT(tk.messages.back().text, StartsWith("A search did not finish"));
    EXPECT_THAT(Log(), HasSubstr("Search 1/2 [data]: "));
    EXPECT_THAT(Log(), HasSubstr("Search 2/2 [climate]: not finished"));

    std::filesystem::remove(File("runs/02-climate.txt"));
    Emu().ClearRequests();
    // The table not kept is not saved elsewhere; then the searches again.
    SearchesFromFile("queries.txt", "runs", {MsgResult::No, MsgResult::Yes});
    EXPECT_THAT(Log(), HasSubstr("Resumed: 1 of 2 searches finished before"));
    EXPECT_THAT(Asked(), HasSubstr("Estimate of all 1 searches: "));
    for (const auto& request : RequestsTo("/2/tweets/search/recent"))
        EXPECT_THAT(request.Param("query"), Not(StartsWith("data"))) << request.target;
    for (const std::string table : {"runs/01-data", "runs/02-climate"}) {
        const PostIds kept = PostIdFile::Read(File(table + ".txt"));
        EXPECT_FALSE(kept.ids.empty()) << table;
        const PostIds archived = PostIdFile::Read(File(table + ".jsonl"));
        EXPECT_EQ(std::set<std::uint64_t>(archived.ids.begin(), archived.ids.end()),
                  std::set<std::uint64_t>(kept.ids.begin(), kept.ids.end()))
            << table;
    }
    EXPECT_EQ(W().TweetsTable.File(), File("runs/02-climate.txt").string());
}

}  // namespace
}  // namespace marlin::testing
