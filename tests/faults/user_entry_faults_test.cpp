// Names and ids from the user on their way into user requests: every one is encoded, so
// none can cut a batch short or add a parameter, and an entry that cannot be a screen
// name or an id is left out with one log line.

#include <gmock/gmock.h>

#include "fault_fixture.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;

class UserEntryFaultTest : public FaultTest {
  protected:
    void SetUp() override { Start(); }
    std::vector<emulator::LoggedRequest> Sent(const std::string& path) {
        std::vector<emulator::LoggedRequest> sent;
        for (auto& request : Emu().Requests())
            if (request.path == path) sent.push_back(request);
        return sent;
    }
    static constexpr const char* kSkipped =
        "Skipped 3 entries that are not screen names or user ids: [#tag], [John Smith], [a&user_id=1]";
};

TEST_F(UserEntryFaultTest, PastedEntriesThatAreNotNamesAreLeftOutOfTheLookup) {
    const std::string demo = Emu().Users().demo;
    const std::string verified = Emu().Users().verified;
    tk.ClipboardSetText("#tag\r\n" + demo + "\r\nJohn Smith\r\na&user_id=1\r\n" + verified + "\r\n");
    frm->Users().List().mPasteUL_Click();

    const auto sent = Sent("/1.1/users/lookup.json");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Param("screen_name"), demo + "," + verified + ",");
    EXPECT_EQ(sent[0].Param("user_id"), "");
    EXPECT_EQ(W().Engine.Users().Count(), 2);
    const auto lines = LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kSkipped), 1);
}

TEST_F(UserEntryFaultTest, TimelinesSkipAnEntryThatIsNotANameAndSendTheRest) {
    for (const char* entry : {"#tag", "John Smith", "a&user_id=1"}) UserCtl().UserList.AddItem(entry, true);
    UserCtl().UserList.AddItem(Emu().Users().demo, true);
    BackDays(1);
    frm->Users().Timelines().GetAllUTL_Click();

    const auto sent = Sent("/1.1/statuses/user_timeline.json");
    ASSERT_FALSE(sent.empty());
    for (const auto& request : sent) EXPECT_EQ(request.Param("screen_name"), Emu().Users().demo);
    const auto lines = LogLines();
    for (const char* entry : {"#tag", "John Smith", "a&user_id=1"})
        EXPECT_EQ(std::count(lines.begin(), lines.end(),
                             std::string("Skipped 1 entries that are not screen names or user ids: [") +
                                 entry + "]"),
                  1);
}

TEST_F(UserEntryFaultTest, AFollowerRequestSendsTheNameAsOneValue) {
    // The window skips such a name before asking; the client still sends any name it is
    // given as one value.
    W().Engine.Client().GetFollowersList("", "a&user_id=1", "200", W().Engine.Users(), true);
    const auto sent = Sent("/1.1/followers/list.json");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Param("screen_name"), "a&user_id=1");
    EXPECT_EQ(sent[0].Param("user_id"), "");
    EXPECT_EQ(W().Engine.Users().Count(), 0);
}

}  // namespace
}  // namespace marlin::testing
