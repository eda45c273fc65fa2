// The timeline workflow when the service fails in the middle of it: two checked users,
// and the second request of the first one's timeline meets a fault.

#include <algorithm>

#include "fault_fixture.h"

namespace marlin::testing {
namespace {

using emulator::Family;

constexpr int kPage = 200;

class TimelineFaultTest : public FaultTest, public ::testing::WithParamInterface<ServiceFault> {
  protected:
    void SetUp() override {
        Start();
        BackDays(11);  // before the corpus begins: whole timelines are wanted
        m_first = Emu().Users().demo;
        m_second = Emu().Users().verified;
        m_firstIds = Emu().Data().TimelineIds(m_first);
        m_secondIds = Emu().Data().TimelineIds(m_second);
        ASSERT_GT(m_firstIds.size(), static_cast<std::size_t>(kPage)) << "the first timeline needs two pages";
        ASSERT_FALSE(m_secondIds.empty());
        UserCtl().UserList.AddItem(m_first, true);
        UserCtl().UserList.AddItem(m_second, true);
    }

    void RetrieveWithFault() {
        InjectWhen([this] { return W().Engine.Tweets().Count() > 0; }, GetParam(), Family::UserTimeline);
        frm->Users().Timelines().GetAllUTL_Click();
        tk.onDoEvents = nullptr;
    }

    static std::vector<std::string> Sorted(std::vector<std::string> ids) {
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    // The rows of the table as a sorted list of ids.
    std::vector<std::string> Rows() { return Sorted(TableIds()); }
    // Every tweet of the first user's first page and of the second user, if wanted.
    std::vector<std::string> FirstPageAnd(bool second) const {
        std::vector<std::string> ids(m_firstIds.begin(), m_firstIds.begin() + kPage);
        if (second) ids.insert(ids.end(), m_secondIds.begin(), m_secondIds.end());
        return Sorted(ids);
    }
    int ErrorLines() const {
        const auto lines = LogLines();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
            return l.rfind("Retrieval error: ", 0) == 0;
        }));
    }

    std::string m_first, m_second;
    std::vector<std::string> m_firstIds, m_secondIds;
};

class TimelineExchangeFaultTest : public TimelineFaultTest {};
class TimelineStatusFaultTest : public TimelineFaultTest {};

TEST_P(TimelineExchangeFaultTest, RetryAnsweredYes) {
    RetrieveWithFault();

    const std::string question = std::string("Recoverable error within GetUserTimeLine|") + kRetryText;
    EXPECT_EQ(Questions(), std::vector<std::string>(1, question));
    std::vector<std::string> all = m_firstIds;
    all.insert(all.end(), m_secondIds.begin(), m_secondIds.end());
    EXPECT_EQ(Rows(), Sorted(all));
    EXPECT_EQ(ErrorLines(), 0);
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_EQ(W().CurTweetSrc(), TweetSource::Timelines);
}

TEST_P(TimelineExchangeFaultTest, RetryDeclinedEndsThatUserAndGoesOnWithTheNext) {
    tk.messageAnswers.push_back(MsgResult::No);
    RetrieveWithFault();

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Rows(), FirstPageAnd(true));
    EXPECT_EQ(ErrorLines(), 1);
    EXPECT_FALSE(W().Run.Busy());
}

TEST_P(TimelineStatusFaultTest, RefusalEndsThatUserAndKeepsWhatArrived) {
    RetrieveWithFault();

    EXPECT_TRUE(Questions().empty()) << Questions().at(0);
    // A passing refusal costs the first user's older page; one that lasts (a refused
    // token, a spent window) costs the second user too.
    const bool lasting = GetParam() == ServiceFault::Unauthorized || GetParam() == ServiceFault::RateLimited;
    EXPECT_EQ(Rows(), FirstPageAnd(!lasting));
    EXPECT_EQ(ErrorLines(), lasting ? 2 : 1);
    const auto lines = LogLines();
    const bool ended = std::any_of(lines.begin(), lines.end(), [this](const std::string& l) {
        return l.rfind("Retrieval of [" + m_first + "] ended @", 0) == 0 &&
               l.find(", no more statuses available: ") != std::string::npos;
    });
    EXPECT_TRUE(ended);
    EXPECT_FALSE(W().Run.Busy());

    // Once the service answers again, "Update" brings what each user posted since their
    // newest row: nothing for the first user, the whole timeline for a user without rows.
    Heal(Family::UserTimeline);
    frm->Users().Timelines().UpdateUTL_Click();
    EXPECT_EQ(Rows(), FirstPageAnd(true));
}

INSTANTIATE_TEST_SUITE_P(Faults, TimelineExchangeFaultTest, ::testing::ValuesIn(ExchangeFaults()),
                         FaultTestName);
INSTANTIATE_TEST_SUITE_P(Faults, TimelineStatusFaultTest, ::testing::ValuesIn(StatusFaults()), FaultTestName);

}  // namespace
}  // namespace marlin::testing
