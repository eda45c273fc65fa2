// The Tweets table during a retrieval: the rows come in as the pages do, and the table the
// retrieval ends with is the one it always ended with.
#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class LiveTableTest : public MainWindowTest {
  protected:
    Rows TableRows() {
        Rows rows;
        for (int row = 0; row < W().OutTable.RowCount(); ++row) rows.push_back(W().OutTable.RowCells(row));
        return rows;
    }
    // Runs the command; the most rows the table showed while the retrieval still ran, each
    // time with the status bar's count of them.
    int RowsSeenWhileRunning(const std::function<void()>& command) {
        int seen = 0;
        tk.onDoEvents = [&] {
            if (!W().Run.Running() || W().OutTable.RowCount() == 0) return;
            seen = std::max(seen, W().OutTable.RowCount());
            EXPECT_EQ(W().InfoBar.Panel(1), std::to_string(W().OutTable.RowCount()) + " tweets displayed");
        };
        command();
        tk.onDoEvents = nullptr;
        return seen;
    }
};

TEST_F(LiveTableTest, RowsAppearWhileTheRetrievalRunsAndTheEndShowsTheWholeScoredTable) {
    StartWindow();
    BackDays(9);
    const Rows whole = (NewSearch("data"), TableRows());
    ASSERT_GT(whole.size(), 200u);
    const emulator::KnownUsers users = Emu().Users();
    W().Users.UserList.AddItem(users.demo, true);
    W().Users.UserList.AddItem(users.midsize, true);

    struct Case {
        const char* name;
        std::function<void()> before;  // not watched
        std::function<void()> command;
        bool searchTable;  // the end is the whole search above; else the set shown afresh
    };
    const std::vector<Case> cases = {
        {"a new search", [] {}, [&] { NewSearch("data"); }, true},
        {"a search stopped half-way, then continued back",
         [&] {
             tk.onDoEvents = [&, injected = false]() mutable {
                 if (injected || W().Twitter.Tweets.Count() < 100) return;
                 Emu().InjectFault(emulator::Family::Search, emulator::Fault::Error503, 1);
                 injected = true;
             };
             NewSearch("data");
             ASSERT_LT(W().OutTable.RowCount(), static_cast<int>(whole.size()));
         },
         [&] { frm->mContinueBack_Click(); }, true},
        {"the timelines of two users", [] {}, [&] { frm->GetAllUTL_Click(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tk.messageAnswers = {MsgResult::No};  // no save of the table it replaces
        c.before();
        const int seen = RowsSeenWhileRunning(c.command);
        EXPECT_GT(seen, 0);
        const Rows ended = TableRows();
        if (!c.searchTable) frm->ShowTweets(false);
        EXPECT_EQ(ended, c.searchTable ? whole : TableRows());
    }
}

}  // namespace
}  // namespace marlin::testing
