// The window while a request is out and when the service says no: events run and Cancel
// drops the page in flight, a spent quota window is waited for, a search an error answer
// ended says it is incomplete, and the log names the error before the retry question.
#include <chrono>

#include <gmock/gmock.h>

#include "main_window_fixture.h"
#include "workspace/engine/quota_wait.h"
#include "workspace/session/window_session.h"

namespace marlin::testing {
namespace {

using emulator::Family;
using emulator::Fault;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Clock = std::chrono::steady_clock;

class RequestAnswersTest : public MainWindowTest {
  protected:
    // Calls `once` the first time the search holds its first page and is asking for more.
    void AfterFirstPage(std::function<void()> once) {
        tk.onDoEvents = [this, once, done = false]() mutable {
            if (!done && W().Engine.Tweets().Count() > 0) {
                done = true;
                once();
            }
        };
    }
    bool LogHas(const std::string& part) {
        for (const auto& line : LogLines())
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
};

TEST_F(RequestAnswersTest, CancelWhileARequestStallsDropsThatPageAndKeepsTheEarlierOnes) {
    StartWindow();
    BackDays(9);
    Clock::time_point pressed{};
    int waits = 0;
    tk.onDoEvents = [&] {
        if (W().Engine.Tweets().Count() == 0 || pressed != Clock::time_point{}) return;
        if (waits++ == 0) Emu().InjectFault(Family::Search, Fault::Stall, 1, 10);
        // The stalled request keeps the window's events running; press Cancel among them.
        if (waits == 5) {
            pressed = Clock::now();
            frm->QuitGet_Click();
        }
    };
    NewSearch("data");
    const auto took = Clock::now() - pressed;

    ASSERT_NE(pressed, Clock::time_point{});
    EXPECT_LT(took, std::chrono::seconds(1));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 100);  // the first page, and nothing of the stalled one
    EXPECT_THAT(LogLines().back(), ::testing::EndsWith(", user cancelled the procedure"));
    EXPECT_FALSE(LogHas("Retrieval stopped early"));
    EXPECT_THAT(tk.MessageTexts(), ::testing::Not(Contains(HasSubstr("Try again?"))));
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_FALSE(W().Run.Running());
}

TEST_F(RequestAnswersTest, OkOnASpentWindowWaitsForTheResetCountingDownThenGoesOn) {
    auto config = SmallCorpus();
    config.windowSeconds = 3;
    config.startRemaining[0] = 2;  // the second page spends the window
    StartWindow(config);
    BackDays(4);
    std::vector<std::string> panels;
    tk.onDoEvents = [&] {
        if (W().InfoBar.Panel(3).starts_with("Waiting")) panels.push_back(W().InfoBar.Panel(3));
    };
    NewSearch("data");

    ASSERT_FALSE(panels.empty());
    EXPECT_THAT(panels.front(), StartsWith("Waiting for the next search window: "));
    EXPECT_FALSE(LogHas("429"));
    EXPECT_THAT(LogLines().back(), HasSubstr("terminated at user threshold date"));
}

TEST_F(RequestAnswersTest, CancelEndsTheWaitForTheResetAndKeepsThePages) {
    auto config = SmallCorpus();
    config.startRemaining[0] = 1;  // spent after the first page; the reset is minutes away
    StartWindow(config);
    BackDays(4);
    tk.onDoEvents = [&] {
        if (W().InfoBar.Panel(3).starts_with("Waiting")) frm->QuitGet_Click();
    };
    const auto started = Clock::now();
    NewSearch("data");
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), 100);
    EXPECT_THAT(LogLines().back(), ::testing::EndsWith(", user cancelled the procedure"));
    EXPECT_FALSE(W().Run.QuotaWaiting());
}

TEST_F(RequestAnswersTest, ASearchThatARefusalEndsSaysItIsIncomplete) {
    StartWindow();
    BackDays(9);
    AfterFirstPage([&] { Emu().SetRemaining(Family::Search, 0); });
    NewSearch("data");

    ASSERT_EQ(W().TweetsTable.Rows().RowCount(), 100);
    const auto lines = LogLines();
    EXPECT_THAT(lines[lines.size() - 2], HasSubstr("no more statuses available: 429:Too Many Requests"));
    EXPECT_EQ(lines.back(), "Retrieval stopped early (429:Too Many Requests), oldest tweet held from " +
                                W().Engine.Tweets().DateTime(W().Engine.Tweets().Count()));
    ASSERT_FALSE(tk.messages.empty());
    const auto& box = tk.messages.back();
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.text,
              "The retrieval stopped early (429:Too Many Requests). The table does not reach back to "
              "the threshold date (" +
                  TweetCtl().ThresholdDateText() + ").");
}

TEST_F(RequestAnswersTest, TheLogNamesTheMethodAndTheErrorBeforeTheRetryQuestion) {
    StartWindow();
    BackDays(9);
    std::vector<std::string> logAtQuestion;
    tk.onMessage = [&](const ScriptedToolkit::ShownMessage& m) {
        if (m.text.find("Try again?") != std::string::npos) logAtQuestion = LogLines();
    };
    tk.messageAnswers = {MsgResult::No};
    AfterFirstPage([&] { Emu().InjectFault(Family::Search, Fault::CloseConnection, 1); });
    NewSearch("data");

    ASSERT_FALSE(logAtQuestion.empty());
    EXPECT_THAT(logAtQuestion.back(), StartsWith("GetSearch: "));
    EXPECT_GT(logAtQuestion.back().size(), std::string("GetSearch: ").size());
}

TEST_F(RequestAnswersTest, SetProxyOffersTheProxyInUseAndAnEmptyAnswerStopsUsingIt) {
    StartWindow();
    tk.promptAnswers = {"10.0.0.1:3128", "", ""};
    frm->Session().mSetProxy_Click();
    EXPECT_EQ(W().Engine.Client().ProxyServer(), "10.0.0.1:3128");
    frm->Session().mSetProxy_Click();
    EXPECT_EQ(tk.prompts[1].defaultAnswer, "10.0.0.1:3128");
    EXPECT_EQ(W().Engine.Client().ProxyServer(), "");
    frm->Session().mSetProxy_Click();
    EXPECT_EQ(tk.prompts[2].defaultAnswer, WindowSession::kDefaultProxy);
}

}  // namespace
}  // namespace marlin::testing
