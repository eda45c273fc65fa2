// The status bar's progress bar during the retrievals that go through users or look-up
// batches: shown while they run, the part done, the rate once three pages are in, hidden after.
#include <algorithm>
#include <functional>
#include <set>

#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

class RetrievalProgressTest : public UserSideTest {
  protected:
    // What the bar showed while the command ran, read each time it let events run.
    struct Seen {
        int highest = -1;
        std::set<bool> endKnown;
        std::string lastRate;
        bool rateSeen = false;
    };

    Seen Watch(const std::function<void()>& command, const std::string& unit) {
        Seen seen;
        tk.onDoEvents = [&] {
            const ProgressBar& bar = W().RetrievalBar;
            if (!bar.Visible()) return;
            seen.highest = std::max(seen.highest, bar.Percent());
            seen.endKnown.insert(bar.EndKnown());
            seen.lastRate = bar.RateText();
            seen.rateSeen = seen.rateSeen || bar.RateText().find(" " + unit + "/min") != std::string::npos;
        };
        command();
        tk.onDoEvents = nullptr;
        return seen;
    }

    std::vector<std::string> AccountNames(int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) names.push_back(Emu().Data().ScreenName(i));
        return names;
    }
};

TEST_F(RetrievalProgressTest, RunsThroughUsersShowTheirShareAndRateAndHideAfterwards) {
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> run;
        const char* unit;
        bool endKnown;
        int lowest;  // the highest share seen lies in [lowest, highest]
        int highest;
    };
    const std::vector<Case> cases = {
        {"timelines of four users",
         [this] {
             BackDays(9);
             const emulator::KnownUsers users = Emu().Users();
             for (const std::string& name : {users.demo, users.midsize, users.verified, users.international})
                 UserCtl().UserList.AddItem(name, true);
         },
         [this] { frm->Users().Timelines().GetAllUTL_Click(); }, "tweets", true, 75, 75},
        {"samples of three users",
         [this] {
             const emulator::KnownUsers users = Emu().Users();
             for (const std::string& name : {users.demo, users.midsize, users.verified})
                 AddTweetRow(name, "a", 0, 1, -1);
             UserCtl().BuildTweetsUT.Click();
             for (int row = 0; row < Table0().RowCount(); ++row) Table0().SetChecked(row, true);
             tk.promptAnswers.push_back("5");
         },
         [this] { UserCtl().GetUTTL.Click(); }, "tweets", true, 66, 67},
        {"a pasted list of 250 names looked up in three batches",
         [this] {
             std::string clip;
             for (const std::string& name : AccountNames(250)) clip += name + "\r\n";
             tk.ClipboardSetText(clip);
         },
         [this] { frm->Users().List().mPasteUL_Click(); }, "users", true, 100, 100},
        {"followers of an account whose profile is not at hand",
         [this] { tk.promptAnswers.push_back(Emu().Users().midsize); },
         [this] { frm->Users().List().mGetUserFollowers_Click(); }, "users", false, 0, 0},
        {"followers of an account looked up before",
         [this] {
             tk.promptAnswers = {Emu().Users().midsize, Emu().Users().midsize};
             frm->Users().List().mAddUser_Click();
         },
         [this] { frm->Users().List().mGetUserFollowers_Click(); }, "users", true, 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start();
        c.prepare();
        ASSERT_FALSE(W().RetrievalBar.Visible());
        const Seen seen = Watch(c.run, c.unit);
        EXPECT_EQ(seen.endKnown, std::set<bool>{c.endKnown});
        EXPECT_GE(seen.highest, c.lowest);
        EXPECT_LE(seen.highest, c.highest);
        EXPECT_TRUE(seen.rateSeen) << seen.lastRate;
        EXPECT_FALSE(W().RetrievalBar.Visible());
    }
}

}  // namespace
}  // namespace marlin::testing
