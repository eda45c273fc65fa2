// The Tweets table during a retrieval: the rows come in as the pages do, the status bar
// counts them, and the table the retrieval ends with is the one it always ended with.
#include "main_window_fixture.h"

namespace marlin::testing {
namespace {

TEST_F(MainWindowTest, LiveRowsAppearWhileTheRetrievalRunsAndTheEndShowsTheWholeScoredTable) {
    const auto tableRows = [this] {
        std::vector<std::vector<std::string>> rows;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            rows.push_back(W().TweetsTable.Rows().RowCells(row));
        return rows;
    };
    StartWindow();
    BackDays(9);
    const auto whole = (NewSearch("data"), tableRows());
    for (const std::string& name : {Emu().Users().demo, Emu().Users().midsize})
        UserCtl().UserList.AddItem(name, true);
    const auto stopHalfWay = [this] {
        tk.onDoEvents = [this] {
            if (W().Engine.Tweets().Count() >= 100)
                Emu().InjectFault(emulator::Family::Search, emulator::Fault::Error503, 1);
        };
        NewSearch("data");
        Emu().ClearFaults();
    };
    struct Case {
        const char* name;
        std::function<void()> before, command;
        bool wholeSearch;  // the end is the whole search above; else the set shown afresh
    };
    const std::vector<Case> cases = {
        {"a new search", [] {}, [&] { NewSearch("data"); }, true},
        {"a search stopped half-way, then continued back", stopHalfWay, [&] { frm->mContinueBack_Click(); },
         true},
        {"the timelines of two users", [] {}, [&] { frm->Users().Timelines().GetAllUTL_Click(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tk.messageAnswers = {MsgResult::No};  // no save of the table it replaces
        c.before();
        int last = W().TweetsTable.Rows().RowCount();
        bool grew = false;
        tk.onDoEvents = [&] {
            if (!W().Run.Running() || W().TweetsTable.Rows().RowCount() == 0) return;
            grew = grew || W().TweetsTable.Rows().RowCount() > last;
            last = W().TweetsTable.Rows().RowCount();
            EXPECT_EQ(W().InfoBar.Panel(1), std::to_string(last) + " tweets displayed");
        };
        c.command();
        tk.onDoEvents = nullptr;
        EXPECT_TRUE(grew);
        const auto ended = tableRows();
        if (!c.wholeSearch) frm->TableView().ShowTweets(false);
        EXPECT_EQ(ended, c.wholeSearch ? whole : tableRows());
    }
}

}  // namespace
}  // namespace marlin::testing
