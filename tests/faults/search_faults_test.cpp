// The search workflow when the service fails in the middle of it: after the first page
// of a multi-page search, the next request meets a fault.

#include <map>

#include "fault_fixture.h"

namespace marlin::testing {
namespace {

using emulator::Family;

constexpr const char* kQuery = "data";
constexpr int kPage = 100;

class SearchFaultTest : public FaultTest, public ::testing::WithParamInterface<ServiceFault> {
  protected:
    void SetUp() override {
        Start();
        BackDays(9);  // older than the search index: every page the service has is wanted
        m_expected = Emu().Data().SearchIds(kQuery, "en");
        ASSERT_GT(m_expected.size(), 2u * kPage) << "the search must need several pages";
    }

    // A new search whose second request meets the test's fault.
    void SearchWithFault() {
        InjectWhen([this] { return W().Engine.Tweets().Count() > 0; }, GetParam(), Family::Search);
        TweetCtl().SearchQuery.SetText(kQuery);
        frm->Search().GetSrch_Click();
        tk.onDoEvents = nullptr;
    }

    std::vector<std::string> FirstPage() const {
        return std::vector<std::string>(m_expected.begin(), m_expected.begin() + kPage);
    }

    std::vector<std::string> m_expected;
};

class SearchExchangeFaultTest : public SearchFaultTest {};
class SearchStatusFaultTest : public SearchFaultTest {};

TEST_P(SearchExchangeFaultTest, RetryAnsweredYes) {
    SearchWithFault();

    const std::string question = std::string("Recoverable error within GetSearch|") + kSearchRetryText;
    ASSERT_FALSE(tk.messages.empty());
    EXPECT_EQ(tk.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(W().Run.Busy());
    // Yes sends the request again, whether the answer was lost or came without a quota header.
    EXPECT_EQ(Questions(), std::vector<std::string>{question});
    EXPECT_EQ(TableIds(), m_expected);  // none lost, none doubled
    EXPECT_THAT(LogLines().back(), EndsWith(", no more statuses available: 200:OK")) << LogLines().back();
}

TEST_P(SearchExchangeFaultTest, RetryDeclinedKeepsTheFirstPageAndWhatWasSaved) {
    TweetCtl().SearchQuery.SetText(kQuery);
    frm->Search().GetSrch_Click();
    const std::string saved = SaveTable("saved.txt");
    ASSERT_FALSE(saved.empty());
    tk.messages.clear();

    tk.messageAnswers.push_back(MsgResult::No);
    SearchWithFault();

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(TableIds(), FirstPage());
    const auto lines = LogLines();
    EXPECT_THAT(lines[lines.size() - 2],
                EndsWith(", no more statuses available: Couldn't access the API server"))
        << lines[lines.size() - 2];
    EXPECT_EQ(
        lines.back().rfind("Retrieval stopped early (Couldn't access the API server), oldest tweet held", 0),
        0u);
    EXPECT_TRUE(W().TweetsDirty());
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_EQ(ReadFileBytes(File("saved.txt")), saved);

    // The window goes on working: the next search is whole again.
    Heal(Family::Search);
    tk.messageAnswers.push_back(MsgResult::No);  // do not save the partial table
    TweetCtl().SearchQuery.SetText(kQuery);
    frm->Search().GetSrch_Click();
    EXPECT_EQ(TableIds(), m_expected);
}

TEST_P(SearchStatusFaultTest, RefusalEndsTheSearchWithThePagesAlreadyRetrieved) {
    TweetCtl().SearchQuery.SetText(kQuery);
    frm->Search().GetSrch_Click();
    const std::string saved = SaveTable("saved.txt");
    tk.messages.clear();

    SearchWithFault();

    EXPECT_TRUE(Questions().empty()) << Questions().at(0);  // a refusal is no question
    EXPECT_EQ(TableIds(), FirstPage());
    const std::string ended = LogLines().at(LogLines().size() - 2);
    const std::string code = ended.substr(ended.rfind("no more statuses available: ") + 28);
    const std::map<ServiceFault, std::string> expectedCode = {{ServiceFault::Error500, "500:"},
                                                              {ServiceFault::Error503, "503:"},
                                                              {ServiceFault::Unauthorized, "401:"},
                                                              {ServiceFault::RateLimited, "429:"}};
    EXPECT_EQ(code.substr(0, 4), expectedCode.at(GetParam()));
    const auto lines = LogLines();
    EXPECT_THAT(lines[lines.size() - 2], EndsWith(", no more statuses available: " + code))
        << lines[lines.size() - 2];
    EXPECT_EQ(lines.back().rfind("Retrieval stopped early (" + code + "), oldest tweet held", 0), 0u);
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_TRUE(TweetCtl().UpdateSearch.Enabled());
    EXPECT_EQ(ReadFileBytes(File("saved.txt")), saved);

    // Once the service answers again, "Update" picks up from the newest row as usual
    // and a new search is whole.
    Heal(Family::Search);
    frm->Search().UpdateSearch_Click();
    EXPECT_EQ(TableIds(), FirstPage());  // nothing newer than the newest row exists
    tk.messageAnswers.push_back(MsgResult::No);
    frm->Search().GetSrch_Click();
    EXPECT_EQ(TableIds(), m_expected);
}

INSTANTIATE_TEST_SUITE_P(Faults, SearchExchangeFaultTest, ::testing::ValuesIn(ExchangeFaults()),
                         FaultTestName);
INSTANTIATE_TEST_SUITE_P(Faults, SearchStatusFaultTest, ::testing::ValuesIn(StatusFaults()), FaultTestName);

}  // namespace
}  // namespace marlin::testing
