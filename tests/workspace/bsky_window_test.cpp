// The window's Bluesky side against the emulator: Settings › "Service" › "Bluesky", the log-in asked
// for once and kept, the search, the look-up and the menu items without a call of the service.
#include <cstdlib>

#include "emulator/search_query.h"
#include "main_window_fixture.h"
#include "service/bsky_session_file.h"
#include "workspace/engine/bsky_capture.h"
#include "workspace/session/bluesky_log_in.h"
#include "workspace/users/timeline_samples.h"

namespace marlin::testing {
namespace {

class BskyWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        StartService();
        // The window's server; the log-in's own answer ("bsky.social") is overridden as on the command line.
        setenv("MARLIN_BSKY_BASE", Emu().BaseUrl().c_str(), 1);
        OpenForm();
        TweetCtl().mServiceBluesky.Click();
    }
    void TearDown() override { unsetenv("MARLIN_BSKY_BASE"); }
    void AnswerLogIn(const std::string& password) {
        tk.promptAnswers = {Emu().Config().bskyHandle, password, "bsky.social"};
    }
    std::size_t Expected(const std::string& query) {
        emulator::SearchOptions all;
        all.wholeArchive = all.noRetweets = true;
        all.lang = "en";
        all.count = 1 << 30;
        all.sinceId = 0;
        return Emu().Data().Search(emulator::SearchQuery(query), all).size();
    }
};

TEST_F(BskyWindowTest, ASearchAsksForTheLogInOnceAndFillsTheTable) {
    EXPECT_TRUE(TweetCtl().mServiceBluesky.Checked());
    EXPECT_FALSE(TweetCtl().mApiV11.Checked());
    AnswerLogIn(Emu().Config().bskyAppPassword);
    BackDays(3650);
    NewSearch(Emu().Queries().common);
    EXPECT_TRUE(tk.promptAnswers.empty()) << "handle, app password and server asked";
    ASSERT_GT(W().TweetsTable.Rows().RowCount(), 0) << ::testing::PrintToString(LogLines());
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(Expected(Emu().Queries().common)));
    EXPECT_TRUE(std::filesystem::exists(File(BskySessionFile::kFileName)));

    // The next window finds the stored session and asks nothing.
    OpenForm();
    TweetCtl().mServiceBluesky.Click();
    BackDays(3650);
    NewSearch(Emu().Queries().common);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), static_cast<int>(Expected(Emu().Queries().common)));
    EXPECT_EQ(CountRequests("/xrpc/com.atproto.server.createSession"), 1);
}

TEST_F(BskyWindowTest, AWrongPasswordAndTheVolumeEstimateSaySo) {
    AnswerLogIn("abcd-efgh-ijkl-mnop");
    TweetCtl().mBlueskyLogIn.Click();
    ASSERT_NE(tk.LastMessage(), nullptr);
    EXPECT_THAT(tk.LastMessage()->text, HasSubstr("did not accept this handle and app password"));

    TweetCtl().mEstimateVolume.Click();
    EXPECT_EQ(tk.LastMessage()->text, BskyCapture::kNoCount);
    EXPECT_EQ(CountRequests("/2/tweets/counts/recent"), 0);
}

// The user table's behavioural statistics come from a sample of each account's author feed, a repost
// counting as a retweet does.
TEST_F(BskyWindowTest, ASampleOfAnAuthorFeedGivesTheBehaviouralStatistics) {
    AnswerLogIn(Emu().Config().bskyAppPassword);
    CaptureRequest request = W().Request(CaptureKind::Sample, TweetCtl(), UserCtl());
    request.accounts = {Emu().BlueskyHandle(Emu().Users().demo)};
    request.backTo = CaptureRequest::DaysBack(365);
    request.limits.maxRecords = 30;
    int sampled = 0;
    double reposts = 0;
    AccountSteps steps;
    steps.done = [&](int) {
        sampled = W().Engine.Tweets().Count();
        reposts = TimelineSamples::SampleStats(W().Engine.Tweets(), 20).PctRT;
    };
    W().Engine.Capture(request, steps);
    EXPECT_EQ(sampled, 30);
    EXPECT_GT(reposts, 0);
    EXPECT_EQ(CountRequests("/xrpc/app.bsky.feed.getAuthorFeed"), 1);
}

}  // namespace
}  // namespace marlin::testing
