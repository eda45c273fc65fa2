// The "Posts" menu and Settings › "Extra Columns" of the desktop window, driven through its
// actions against the emulator: the quotes of the selected post fill the Tweets table, the
// users of a post and a list's members fill the User list, and the extra columns come and go
// with the setting.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateEdit>
#include <QListWidget>
#include <algorithm>
#include <optional>
#include <string>

#include "emulator/corpus_lists.h"
#include "emulator/post_graph.h"
#include "gui_window_test.h"

namespace marlin::testing {
namespace {

class PostCapturesGuiTest : public testing::GuiWindowTest {
  protected:
    PostCapturesGuiTest() {
        StartGui(SmallCorpus(), false);
        Authenticate();
    }

    // A search back to a few days ago, so that quoted and reposted posts are among its rows.
    void Search() {
        Find<QDateEdit>("EarlyDate")->setDate(QDate::currentDate().addDays(-6));
        Type("SearchQuery", Emu().Queries().common);
        Click("GetSrch");
        ASSERT_GT(Rows().RowCount(), 0);
    }
    ReportList& Rows() { return frm->State().TweetsTable.Rows(); }
    // Selects the first row whose post the test wants; false when none is shown.
    bool SelectPost(const std::function<bool(std::uint64_t)>& wanted) {
        for (int row = 0; row < Rows().RowCount(); ++row) {
            const std::uint64_t id =
                std::stoull(std::string(TrimBlanks(Rows().Cell(row, TweetColumn::TweetID))));
            if (!wanted(id)) continue;
            Rows().SetSelectedIndex(row);
            return true;
        }
        return false;
    }
    std::vector<std::string> ListItems() const { return frm->UserCtl().UserList.Items(); }
    std::vector<std::string> ScreenNames(const std::vector<int>& users) {
        std::vector<std::string> names;
        for (const int user : users) names.push_back(Emu().Data().ScreenName(user));
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(PostCapturesGuiTest, EachEntryOfThePostsMenuCapturesWhatTheCorpusImplies) {
    Search();
    const emulator::PostGraph graph(Emu().Data(), Emu().Config().seed);
    ASSERT_TRUE(SelectPost([&](std::uint64_t id) { return !graph.Reposters(id).empty(); }));
    const std::uint64_t reposted =
        std::stoull(std::string(TrimBlanks(Rows().Cell(Rows().SelectedIndex(), TweetColumn::TweetID))));
    const emulator::Tweet post = Emu().Data().MakeTweet(*Emu().Data().FindTweet(reposted));

    struct Case {
        const char* action;
        std::vector<std::string> expected;
    };
    const emulator::CorpusLists lists(Emu().Data(), Emu().Config().seed);
    const Case cases[] = {
        {"mRepostedBy", ScreenNames(graph.Reposters(reposted))},
        {"mLikingUsers", ScreenNames(graph.LikingUsers(post))},
        {"mListMembers", ScreenNames(lists.Members(*lists.Find(emulator::CorpusLists::kFirstListId)))},
    };
    tk.promptAnswers.push_back(std::to_string(emulator::CorpusLists::kFirstListId));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        Action(c.action)->trigger();
        std::vector<std::string> shown = ListItems();
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, c.expected);
        EXPECT_EQ(frm->State().Run.Outcome(), CaptureOutcome::Complete);
    }

    // The quotes of a post that has some: a new table of them alone.
    ASSERT_TRUE(SelectPost([&](std::uint64_t id) { return !graph.Quotes(id).empty(); }));
    const std::uint64_t quoted =
        std::stoull(std::string(TrimBlanks(Rows().Cell(Rows().SelectedIndex(), TweetColumn::TweetID))));
    tk.messageAnswers.push_back(MsgResult::No);  // the search's table is not saved
    Action("mQuotes")->trigger();
    std::vector<std::string> ids;
    for (int row = 0; row < Rows().RowCount(); ++row)
        ids.emplace_back(TrimBlanks(Rows().Cell(row, TweetColumn::TweetID)));
    std::vector<std::string> expected;
    for (const std::uint64_t id : graph.Quotes(quoted)) expected.push_back(std::to_string(id));
    std::sort(ids.begin(), ids.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ids, expected);
}

TEST_F(PostCapturesGuiTest, ExtraColumnsComeWithTheSettingAndAreKeptInPrefs) {
    QAction* extra = Action("mExtraColumns");
    ASSERT_TRUE(extra->isCheckable());
    EXPECT_FALSE(extra->isChecked());
    EXPECT_EQ(Rows().ColumnCount(), TweetColumn::Count);
    extra->trigger();
    EXPECT_TRUE(extra->isChecked());
    Search();
    ASSERT_EQ(Rows().ColumnCount(), TweetColumn::Count + TweetTable::kExtraColumns);
    // Every row has its counts; a retweet names the post it reposts.
    for (int row = 0; row < Rows().RowCount(); ++row)
        EXPECT_FALSE(TrimBlanks(Rows().Cell(row, TweetColumn::Count + 8)).empty()) << row;  // likes
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_NE(ReadFileBytes(AppFolder() / "prefs").find("EC-1\r\n"), std::string::npos);

    extra->trigger();  // off: the documented columns alone, in the table and the prefs
    EXPECT_EQ(Rows().ColumnCount(), TweetColumn::Count);
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_EQ(ReadFileBytes(AppFolder() / "prefs").find("EC-"), std::string::npos);
}

}  // namespace
}  // namespace marlin::testing
