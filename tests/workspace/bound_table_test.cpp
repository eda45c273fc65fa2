// A retrieval fills the user table it started on, even when the user switches tables
// while its requests are out.
#include <gmock/gmock.h>

#include <functional>

#include "user_side_fixture.h"
#include "workspace/users/user_profile_table.h"

namespace marlin::testing {
namespace {

class BoundTableTest : public UserSideTest {
  protected:
    // While the command runs (and once `ready` holds), the user adds a table, which
    // becomes current.
    void SwitchDuringTheRun(std::function<bool()> ready = [] { return true; }) {
        tk.onDoEvents = [this, ready, switched = false]() mutable {
            if (switched || !W().Run.Running() || !ready()) return;
            switched = true;
            frm->Users().Samples().MergeRemUT_Click();
        };
    }
    ReportList& Named(std::size_t k) { return UserCtl().UserTables.at(k)->Rows(); }
};

TEST_F(BoundTableTest, BuildTableFillsTheTweetsUserTable) {
    Start();
    AddTweetRow(Emu().Users().demo, "a", 0, 1, -1);
    SwitchDuringTheRun();
    frm->Users().Samples().BuildTweetsUT_Click();
    ASSERT_EQ(UserCtl().UserTables.size(), 2u);
    EXPECT_EQ(Table0().RowCount(), 1);
    EXPECT_EQ(Named(1).RowCount(), 0);
}

TEST_F(BoundTableTest, GetUserTimelinesWritesSamplesIntoTheTableItWalks) {
    Start();
    AddTweetRow(Emu().Users().demo, "a", 0, 1, -1);
    frm->Users().Samples().BuildTweetsUT_Click();
    Table0().SetChecked(0, true);
    SwitchDuringTheRun();
    tk.promptAnswers = {"5"};
    frm->Users().Samples().GetUTTL_Click();
    ASSERT_EQ(UserCtl().UserTables.size(), 2u);
    EXPECT_FALSE(Table0().Cell(0, UserTable::kPrfTwtSamp).empty());
    EXPECT_EQ(Named(1).RowCount(), 0);
}

TEST_F(BoundTableTest, OpeningKeysFillsTheTableTheFileOpened) {
    Start();
    StoreCredentials();
    const std::string keys = File("keys.muk").string();
    WriteFileBytes(keys, "\t" + Emu().Users().demo + "\r\n");
    tk.fileDialogAnswers = {keys};
    SwitchDuringTheRun([this] { return UserCtl().UserTables.size() == 2; });  // the look-up is out
    frm->Users().Files().mOpenUsers_Click(0);
    ASSERT_EQ(UserCtl().UserTables.size(), 3u);
    EXPECT_EQ(UserCtl().UserTables[1]->Name(), "keys");
    EXPECT_EQ(Named(1).RowCount(), 1);
    EXPECT_EQ(Named(2).RowCount(), 0);
}

TEST_F(BoundTableTest, TheFollowersFrameFillsTheTableMadeForItsTarget) {
    Start();
    StoreCredentials();
    const std::string library = Emu().Users().midsize;
    UserCtl().GUFOp.SetSelectedIndex(1);
    UserCtl().GUF_Id.SetText(library);
    SwitchDuringTheRun();
    UserCtl().GetFF[0].Click();
    ASSERT_EQ(UserCtl().UserTables.size(), 3u);
    EXPECT_EQ(UserCtl().UserTables[2]->Name(), library + "_followers");
    EXPECT_GT(Named(2).RowCount(), 0);
    EXPECT_EQ(Named(1).RowCount(), 0);
}

}  // namespace
}  // namespace marlin::testing
