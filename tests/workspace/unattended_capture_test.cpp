// Captures that run on their own: spent quota windows waited out instead of asked about,
// failed requests sent again by themselves, and a cut-short search finished later from
// below its oldest tweet.
#include <gmock/gmock.h>

#include <algorithm>
#include <set>

#include "main_window_fixture.h"
#include "workspace/engine/page_bound.h"
#include "workspace/engine/quota_wait.h"
#include "workspace/session/preferences.h"

namespace marlin::testing {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class UnattendedCaptureTest : public MainWindowTest {
  protected:
    // Short quota windows with room for two search pages each before the wait.
    static emulator::EmulatorConfig ShortWindows() {
        emulator::EmulatorConfig config = SmallCorpus();
        config.tweetsPerDay = 800;  // "data" then needs four pages and more
        config.windowSeconds = 2;
        config.limits[static_cast<int>(emulator::Family::Search)] = 11;
        return config;
    }

    void StartUnattended(emulator::EmulatorConfig config = SmallCorpus()) {
        StartWindow(config, !std::filesystem::exists(File("bin")));  // the scorer once per folder
        frm->TweetCtl().mWaitQuota.Click();
        W().Settings.RetryDelays = {20, 20, 20};
        BackDays(9);  // past the search index: the search ends at its last, empty page
    }

    std::vector<std::string> SortedIds() {
        std::vector<std::string> ids = TableIds();
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<std::string> Expected() {
        std::vector<std::string> ids = Emu().Data().SearchIds("data", "en");
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    std::vector<std::string> RetryQuestions() const {
        std::vector<std::string> titles;
        for (const auto& message : tk.messages)
            if (message.title.rfind("Recoverable error within ", 0) == 0) titles.push_back(message.title);
        return titles;
    }
};

TEST_F(UnattendedCaptureTest, SearchAcrossThreeQuotaWindowsHoldsEveryTweetOnceWithoutADialog) {
    StartUnattended(ShortWindows());
    int waits = 0;
    bool waiting = false;
    tk.onDoEvents = [&] {
        const bool now = W().InfoBar.Panel(3).rfind("Waiting for the next search window: ", 0) == 0;
        waits += now && !waiting;
        waiting = now;
    };
    NewSearch("data");

    // Four full pages and the empty last one: five requests, two windows' worth and more.
    ASSERT_GT(Expected().size(), 300u) << "the query must need more pages than two windows give";
    EXPECT_GE(waits, 2);
    EXPECT_EQ(TableIds().size(), Expected().size());
    EXPECT_EQ(SortedIds(), Expected());
    EXPECT_TRUE(tk.messages.empty()) << tk.messages.front().text;
    // The note of the last, empty page went to the log instead of a box.
    const std::vector<std::string> log = LogLines();
    EXPECT_THAT(log, ::testing::Contains("JSON response contained no records"));
    EXPECT_THAT(log.back(), EndsWith(", no more statuses available: 200:OK"));
    EXPECT_FALSE(W().Run.Busy());
}

TEST_F(UnattendedCaptureTest, CancelDuringAWaitEndsTheRetrievalWithWhatItHas) {
    emulator::EmulatorConfig config = ShortWindows();
    config.windowSeconds = 600;  // a wait nobody would sit through
    StartUnattended(config);
    tk.onDoEvents = [&] {
        if (W().InfoBar.Panel(3).rfind("Waiting for the next search window: ", 0) == 0) frm->QuitGet_Click();
    };
    NewSearch("data");

    EXPECT_EQ(TableIds().size(), 200u);  // the two pages before the wait
    EXPECT_THAT(LogLines().back(), EndsWith(", user cancelled the procedure"));
    EXPECT_THAT(tk.MessageTexts(), ::testing::ElementsAre("User cancelled the retrieval process"));
    EXPECT_FALSE(W().Run.Busy());
    EXPECT_FALSE(W().Run.QuotaWaiting());
    EXPECT_EQ(SearchRequests(), 2);
}

TEST_F(UnattendedCaptureTest, DroppedConnectionsAndServerErrorsAreRetriedBeforeAnyQuestion) {
    struct Case {
        emulator::Fault fault;
        int count;
        std::size_t questions;
    };
    for (const Case& c :
         {Case{emulator::Fault::CloseConnection, 3, 0}, Case{emulator::Fault::Error503, 3, 0},
          Case{emulator::Fault::Error500, 2, 0}, Case{emulator::Fault::CloseConnection, 4, 1}}) {
        SCOPED_TRACE(emulator::FaultName(c.fault) + std::string(" x") + std::to_string(c.count));
        StartUnattended();
        Emu().InjectFault(emulator::Family::Search, c.fault, c.count);
        tk.messageAnswers.assign(4, MsgResult::Yes);  // the question, if it comes, is answered Yes
        NewSearch("data");
        EXPECT_EQ(RetryQuestions().size(), c.questions);
        EXPECT_EQ(SortedIds(), Expected());
        tk.messages.clear();
    }
}

TEST_F(UnattendedCaptureTest, WithTheSettingOffTheQuotaDialogAndTheRetryQuestionComeAsBefore) {
    StartWindow(ShortWindows(), false);
    BackDays(9);
    Emu().InjectFault(emulator::Family::Search, emulator::Fault::CloseConnection, 1);
    tk.messageAnswers = {MsgResult::Yes, MsgResult::Cancel};  // retry, then leave at the quota dialog
    NewSearch("data");
    ASSERT_GE(tk.messages.size(), 2u);
    EXPECT_THAT(tk.messages[0].title, StartsWith("Recoverable error within "));
    EXPECT_THAT(tk.messages[1].text, StartsWith("Quota for this window running low. Wait until "));
    EXPECT_EQ(W().Settings.WaitForQuota, false);
    EXPECT_FALSE(TweetCtl().mWaitQuota.Checked());
}

TEST_F(UnattendedCaptureTest, ContinueBackAfterACancelledSearchGivesWhatAFullSearchGives) {
    StartWindow();
    BackDays(9);
    tk.onDoEvents = [&] {
        if (SearchRequests() >= 2 && W().Run.Busy()) frm->QuitGet_Click();
    };
    NewSearch("data");
    tk.onDoEvents = nullptr;
    const std::size_t before = TableIds().size();
    ASSERT_GT(before, 0u);
    ASSERT_LT(before, Expected().size());
    const std::size_t logBefore = LogLines().size();

    frm->mContinueBack_Click();

    EXPECT_EQ(SortedIds(), Expected());  // nothing doubled or lost at the seam
    const std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), logBefore + 3);
    EXPECT_THAT(log[logBefore], StartsWith("Search initiated @"));
    EXPECT_THAT(log.back(), EndsWith(", no more statuses available: 200:OK"));
    // The first page asked for the tweets just below the oldest row.
    const auto requests = Emu().Requests();
    std::vector<std::string> maxIds;
    for (const auto& request : requests)
        if (request.path == "/1.1/search/tweets.json") maxIds.push_back(request.Param("max_id"));
    ASSERT_GE(maxIds.size(), 3u);
    EXPECT_FALSE(maxIds[2].empty());
    EXPECT_TRUE(W().TweetsDirty());
}

TEST_F(UnattendedCaptureTest, ContinueBackStopsAtTheThresholdDate) {
    StartWindow();
    BackDays(3);
    NewSearch("data");
    const std::vector<std::string> full = SortedIds();

    // The same service again: another one would number its tweets from its own start.
    ReopenWindow();
    BackDays(3);
    // Cancelled once the first page is held (a Cancel while a request is out drops that page).
    tk.onDoEvents = [&] {
        if (W().Engine.Tweets().Count() > 0 && W().Run.Busy()) frm->QuitGet_Click();
    };
    NewSearch("data");
    tk.onDoEvents = nullptr;
    frm->mContinueBack_Click();
    EXPECT_EQ(SortedIds(), full);
    EXPECT_THAT(LogLines().back(), HasSubstr("terminated at user threshold date ("));
}

TEST_F(UnattendedCaptureTest, TheSettingsAreKeptInPrefsAndOlderPrefsReadAsUnchecked) {
    StartWindow(SmallCorpus(), false);
    WriteFileBytes(File("prefs"), "QP-data,a.txt\r\nLA-en\r\n");
    frm->Session().LoadPrefs();
    EXPECT_FALSE(TweetCtl().mWaitQuota.Checked());
    EXPECT_FALSE(TweetCtl().mKeepRaw.Checked());
    frm->Session().SavePrefs();
    EXPECT_THAT(ReadFileBytes(File("prefs")), ::testing::Not(HasSubstr("AW-")));

    frm->TweetCtl().mWaitQuota.Click();
    frm->TweetCtl().mKeepRaw.Click();
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_THAT(ReadFileBytes(File("prefs")), EndsWith("AW-1\r\nRA-1\r\n"));

    StartWindow(SmallCorpus(), false);
    frm->Session().LoadPrefs();
    EXPECT_TRUE(TweetCtl().mWaitQuota.Checked());
    EXPECT_TRUE(W().Settings.WaitForQuota);
    EXPECT_TRUE(W().Settings.KeepRawResponses);
}

TEST_F(UnattendedCaptureTest, TheProgressBarShowsTheCoveredSpanWhileASearchRuns) {
    StartWindow(SmallCorpus(), false);
    BackDays(9);
    int highest = 0;
    bool sawRate = false;
    tk.onDoEvents = [&] {
        if (!W().RetrievalBar.Visible()) return;
        highest = std::max(highest, W().RetrievalBar.Percent());
        sawRate = sawRate || W().RetrievalBar.RateText().find(" tweets/min") != std::string::npos;
    };
    NewSearch("data");
    EXPECT_GT(highest, 50);  // the index spans 7 of the 9 days
    EXPECT_LT(highest, 100);
    EXPECT_TRUE(sawRate);
    EXPECT_FALSE(W().RetrievalBar.Visible());
}

TEST(QuotaWaitTexts, CountdownIsMinutesAndSeconds) {
    EXPECT_EQ(QuotaWait::Countdown(271), "4:31");
    EXPECT_EQ(QuotaWait::Countdown(5), "0:05");
    EXPECT_EQ(QuotaWait::Countdown(-3), "0:00");
    EXPECT_EQ(PageBound::IdBelow("1000"), "999");
    EXPECT_EQ(PageBound::IdBelow("1234567890123456789"), "1234567890123456788");
}

}  // namespace
}  // namespace marlin::testing
