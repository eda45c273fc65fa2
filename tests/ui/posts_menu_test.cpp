// The Posts menu of the real window against the emulator: a hydrate chosen through its file
// dialogs fills the Tweets table and writes the table, its archive and the missing list beside
// it; the conversations of the selected rows replace the table with every reply and the rows'
// posts; File › "Export Post Ids…" writes the table's ids newest first.
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
    EXPECT_EQ(posts->actions().value(0)->objectName(), "mHydrate");
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

}  // namespace
}  // namespace marlin::testing
