// Follower lists and profile look-ups when the service fails in the middle of them: the
// second follower page, or the second look-up batch, meets a fault.

#include <algorithm>

#include "fault_fixture.h"

namespace marlin::testing {
namespace {

using emulator::Family;

constexpr int kBatch = 100;  // profiles per look-up request

class FollowerFaultTest : public FaultTest, public ::testing::WithParamInterface<ServiceFault> {
  protected:
    void SetUp() override {
        Start();
        m_account = Emu().Users().midsize;
        m_expected = Emu().Data().FollowerIds(m_account);
        ASSERT_GT(m_expected.size(), 400u) << "the followers must need several pages";
    }

    void GetFollowers() {
        tk.promptAnswers.push_back(m_account);
        frm->Users().List().mGetUserFollowers_Click();
    }
    void GetFollowersWithFault() {
        InjectWhen([this] { return W().Engine.Users().Count() > 0; }, GetParam(), Family::FollowersList);
        GetFollowers();
        tk.onDoEvents = nullptr;
    }
    std::vector<std::string> ListIds() {
        std::vector<std::string> ids;
        for (int i = 1; i <= W().Engine.Users().Count(); ++i) ids.push_back(W().Engine.Users().Id(i));
        return ids;
    }
    std::vector<std::string> FirstPage() const {
        return std::vector<std::string>(m_expected.begin(), m_expected.begin() + 200);
    }

    std::string m_account;
    std::vector<std::string> m_expected;
};

class FollowerExchangeFaultTest : public FollowerFaultTest {};
class FollowerStatusFaultTest : public FollowerFaultTest {};

TEST_P(FollowerExchangeFaultTest, RetryAnsweredEitherWayLosesNothing) {
    GetFollowersWithFault();
    EXPECT_EQ(Questions(), std::vector<std::string>{
                               std::string("Recoverable error within GetFollowersList|") + kRetryText});
    EXPECT_EQ(ListIds(), m_expected);
    EXPECT_EQ(UserCtl().UserList.Count(), static_cast<int>(m_expected.size()));

    // Declined, the page is asked for again: a failed page is repeated until it arrives.
    frm->Users().List().mULClear_Click();
    tk.messages.clear();
    tk.messageAnswers.push_back(MsgResult::No);
    GetFollowersWithFault();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(ListIds(), m_expected);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(FollowerFaultTest, ASecondFailureOfTheResentPageEndsTheCommandWithTheFirstPage) {
    UserCtl().UserList.AddItem("kept");
    tk.onDoEvents = [this, done = false]() mutable {
        if (done || W().Engine.Users().Count() == 0) return;
        done = true;
        Emu().InjectFault(Family::FollowersList, emulator::Fault::CloseConnection, 2);
    };
    GetFollowers();
    tk.onDoEvents = nullptr;

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(ListIds(), FirstPage());
    EXPECT_EQ(UserCtl().UserList.Count(), 200);
    EXPECT_FALSE(W().Run.Busy());

    frm->Users().List().mULClear_Click();
    GetFollowers();
    EXPECT_EQ(ListIds(), m_expected);
}

TEST_P(FollowerStatusFaultTest, RefusalMidListKeepsTheFirstPage) {
    if (GetParam() == ServiceFault::RateLimited) {
        // A spent window the client has not been told of is asked again and again; the
        // user's Cancel ends that with the first page kept.
        tk.onDoEvents = [this, injected = false]() mutable {
            if (!injected && W().Engine.Users().Count() > 0) {
                injected = true;
                Inject(ServiceFault::RateLimited, Family::FollowersList);
            } else if (injected && W().LastGET.Text() == "Failed" && W().Run.Busy()) {
                frm->QuitGet_Click();
            }
        };
        GetFollowers();
        tk.onDoEvents = nullptr;
        EXPECT_EQ(ListIds(), FirstPage());
        ASSERT_FALSE(tk.messages.empty());
        EXPECT_EQ(tk.messages.back().text, "User cancelled the retrieval process");
    } else {
        GetFollowersWithFault();
        EXPECT_TRUE(Questions().empty()) << Questions().at(0);
        // A passing refusal is repeated; a refused token ends the list.
        EXPECT_EQ(ListIds(), GetParam() == ServiceFault::Unauthorized ? FirstPage() : m_expected);
    }
    EXPECT_EQ(UserCtl().UserList.Count(), W().Engine.Users().Count());
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_FALSE(W().Run.Cancelled());

    Heal(Family::FollowersList);
    frm->Users().List().mULClear_Click();
    GetFollowers();
    EXPECT_EQ(ListIds(), m_expected);
}

// ---- Profile look-ups: a pasted list of names, looked up a hundred at a time

class LookupFaultTest : public FaultTest, public ::testing::WithParamInterface<ServiceFault> {
  protected:
    static constexpr int kNames = 250;  // three batches

    void SetUp() override {
        Start();
        for (int i = emulator::Corpus::kRoleCount; i < emulator::Corpus::kRoleCount + kNames; ++i)
            m_clipboard += Emu().Data().ScreenName(i) + "\r\n";
    }

    void PasteWithFault() {
        InjectWhen([this] { return W().Engine.Users().Count() > 0; }, GetParam(), Family::UsersLookup);
        Paste();
        tk.onDoEvents = nullptr;
    }
    void Paste() {
        UserCtl().UserList.Clear();
        tk.ClipboardSetText(m_clipboard);
        frm->Users().List().mPasteUL_Click();
    }
    int Found() { return W().Engine.Users().Count(); }

    std::string m_clipboard;
};

class LookupExchangeFaultTest : public LookupFaultTest {};
class LookupStatusFaultTest : public LookupFaultTest {};

TEST_P(LookupExchangeFaultTest, RetryAnsweredYesLosesNothingAndNoLosesOneBatch) {
    PasteWithFault();
    ASSERT_FALSE(Questions().empty());
    EXPECT_EQ(Questions()[0], std::string("Recoverable error within GetUsersLookUp|") + kRetryText);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Found(), kNames);

    tk.messages.clear();
    tk.messageAnswers = {MsgResult::No};
    PasteWithFault();
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Found(), kNames - kBatch);  // the second batch is missing, the third is there
    EXPECT_EQ(UserCtl().UserList.Count(), kNames);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_P(LookupStatusFaultTest, RefusedBatchIsMissingAndTheRestArrive) {
    PasteWithFault();
    EXPECT_TRUE(Questions().empty()) << Questions().at(0);
    const bool lasting = GetParam() == ServiceFault::Unauthorized || GetParam() == ServiceFault::RateLimited;
    EXPECT_EQ(Found(), lasting ? kBatch : kNames - kBatch);
    EXPECT_FALSE(W().Run.Busy());

    Heal(Family::UsersLookup);
    Paste();
    EXPECT_EQ(Found(), kNames);
}

INSTANTIATE_TEST_SUITE_P(Faults, FollowerExchangeFaultTest, ::testing::ValuesIn(ExchangeFaults()),
                         FaultTestName);
INSTANTIATE_TEST_SUITE_P(Faults, FollowerStatusFaultTest, ::testing::ValuesIn(StatusFaults()), FaultTestName);
INSTANTIATE_TEST_SUITE_P(Faults, LookupExchangeFaultTest, ::testing::ValuesIn(ExchangeFaults()),
                         FaultTestName);
INSTANTIATE_TEST_SUITE_P(Faults, LookupStatusFaultTest, ::testing::ValuesIn(StatusFaults()), FaultTestName);

}  // namespace
}  // namespace marlin::testing
