// The rows the user selects in a user table: every one of them is a target of the
// followers frame's "Selected Users", and the table a timeline sample works on takes
// the focus at each user.
#include "user_side_fixture.h"

namespace marlin::testing {
namespace {

class UserTableSelectionTest : public UserSideTest {
  protected:
    // The friends requests' user ids, in the order they were sent (first page of each).
    std::vector<std::string> FriendsAskedFor() const {
        std::vector<std::string> ids;
        for (const auto& request : RequestsTo("/1.1/friends/list.json"))
            if (request.Param("cursor") == "-1" || request.Param("cursor").empty())
                ids.push_back(request.Param("user_id"));
        return ids;
    }
};

struct SelectionCase {
    const char* name;
    std::vector<int> clicks;  // rows added to the selection, in click order
    std::vector<int> asked;   // rows whose ids are asked for, in request order
};

TEST_F(UserTableSelectionTest, SelectedUsersAreEverySelectedRowInRowOrder) {
    Start();
    StoreCredentials();
    const emulator::KnownUsers users = Emu().Users();
    std::vector<std::string> ids;
    for (const std::string& name : {users.demo, users.midsize, users.verified, users.popular}) {
        ids.push_back(Emu().Data().UserIdText(name));
        Table0().AddRow({ids.back(), name});
    }
    const std::vector<SelectionCase> cases = {
        {"none", {}, {}}, {"one", {2}, {2}}, {"several, clicked upwards", {3, 0, 1}, {0, 1, 3}}};
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        UserCtl().UTToggle.SetSelectedIndex(0);  // each run leaves its new tables current
        UserCtl().GUFOp.SetSelectedIndex(0);
        Table0().SetSelectedIndex(-1);
        for (const int row : c.clicks) Table0().SetRowSelected(row, true);
        Emu().ClearRequests();
        UserCtl().GetFF[1].Click();

        std::vector<std::string> expected;
        for (const int row : c.asked) expected.push_back(ids[static_cast<std::size_t>(row)]);
        EXPECT_EQ(FriendsAskedFor(), expected);
    }
}

TEST_F(UserTableSelectionTest, EachUsersSampleStepGivesTheTableTheFocus) {
    Start();
    AddTweetRow(Emu().Users().demo, "a", 0, 1, -1);
    AddTweetRow(Emu().Users().verified, "b", 0, 1, -1);
    UserCtl().BuildTweetsUT.Click();
    ASSERT_EQ(Table0().RowCount(), 2);
    for (int row = 0; row < 2; ++row) Table0().SetChecked(row, true);
    tk.promptAnswers.push_back("1");
    UserCtl().GetUTTL.Click();
    EXPECT_EQ(Table0().FocusRequests(), 2);
}

}  // namespace
}  // namespace marlin::testing
