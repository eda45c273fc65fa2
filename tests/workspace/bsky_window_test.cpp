// The window's Bluesky side against the emulator: Settings › "Service" › "Bluesky", the log-in asked
// for once and kept, the search, the look-up and the menu items without a call of the service.
#include <cstdlib>
#include <map>
#include <set>

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
    // The handles of the corpus accounts from the index `first` on.
    std::vector<std::string> Handles(int first, int count) {
        std::vector<std::string> handles;
        for (int k = first; k < first + count; ++k)
            handles.push_back(Emu().BlueskyHandle(Emu().Data().ScreenName(k)));
        return handles;
    }
    int Index(const std::string& screenName) { return *Emu().Data().FindScreenName(screenName); }
    int RowsOf(const std::string& handle) {
        int rows = 0;
        for (int row = 0; row < W().TweetsTable.Rows().RowCount(); ++row)
            rows += Trimmed(W().TweetsTable.Rows().Cell(row, TweetColumn::UserScreenName)) == handle;
        return rows;
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

// The checked accounts' author feeds fill the table, a repost a row of the account that reposted; an
// unchecked account is not asked for.
TEST_F(BskyWindowTest, TimelinesOfTheCheckedAccountsFillTheTable) {
    AnswerLogIn(Emu().Config().bskyAppPassword);
    const emulator::KnownUsers users = Emu().Users();
    const std::string demo = Emu().BlueskyHandle(users.demo);
    const std::string midsize = Emu().BlueskyHandle(users.midsize);
    UserCtl().UserList.AddItem(demo, true);
    UserCtl().UserList.AddItem(Emu().BlueskyHandle(users.popular), false);
    UserCtl().UserList.AddItem(midsize, true);
    BackDays(36500);
    UserCtl().GetAllUTL.Click();

    const int demoPosts = static_cast<int>(Emu().Data().TimelineIds(users.demo).size());
    const int midsizePosts = static_cast<int>(Emu().Data().TimelineIds(users.midsize).size());
    ASSERT_GT(demoPosts, 0) << ::testing::PrintToString(LogLines());
    EXPECT_EQ(RowsOf(demo), demoPosts);
    EXPECT_EQ(RowsOf(midsize), midsizePosts);
    EXPECT_EQ(W().TweetsTable.Rows().RowCount(), demoPosts + midsizePosts);
    const std::vector<std::string> ids = TableIds();
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    std::set<std::string> asked;
    for (const auto& request : RequestsTo("/xrpc/app.bsky.feed.getAuthorFeed"))
        asked.insert(request.Param("actor"));
    EXPECT_EQ(asked, (std::set<std::string>{demo, midsize}));
    EXPECT_EQ(CountRequests("/1.1/statuses/user_timeline.json"), 0);
}

// Followers across pages reach the user list once each, as handles (which hold dots and dashes that
// no screen name of the first service does).
TEST_F(BskyWindowTest, FollowersFillTheUserListWholeAndOnce) {
    AnswerLogIn(Emu().Config().bskyAppPassword);
    const std::string demo = Emu().Users().demo;
    tk.promptAnswers.insert(tk.promptAnswers.begin(), Emu().BlueskyHandle(demo));  // asked first
    frm->Users().List().mGetUserFollowers_Click();

    const int followers = Emu().Data().FollowerCount(Index(demo));
    ASSERT_GT(followers, 100) << "more than one page";
    std::vector<std::string> expected;
    for (int follower : Emu().Data().Followers(Index(demo), 0, followers))
        expected.push_back(Emu().BlueskyHandle(Emu().Data().ScreenName(follower)));
    EXPECT_EQ(UserCtl().UserList.Items(), expected);
    const auto pages = RequestsTo("/xrpc/app.bsky.graph.getFollowers");
    ASSERT_FALSE(pages.empty());
    const int perPage = std::stoi(pages[0].Param("limit"));
    EXPECT_EQ(static_cast<int>(pages.size()), (followers + perPage - 1) / perPage);

    // A name that can be no handle is not asked for.
    tk.promptAnswers = {"John Smith"};
    frm->Users().List().mGetUserFollowers_Click();
    EXPECT_EQ(RequestsTo("/xrpc/app.bsky.graph.getFollowers").size(), pages.size());
    EXPECT_EQ(UserCtl().UserList.Items(), expected);
}

// A look-up of more accounts than one request takes: a row each, the DID as id, the corpus's counts.
TEST_F(BskyWindowTest, ALookUpFillsTheUserTableWithTheProfiles) {
    AnswerLogIn(Emu().Config().bskyAppPassword);
    const std::vector<std::string> handles = Handles(8, 30);
    frm->Users().Profiles().GetUsers(W().Engine, handles, false, false);

    ASSERT_EQ(W().Engine.Users().Count(), static_cast<int>(handles.size()));
    std::map<std::string, const UserSet::Record*> byHandle;
    for (int k = 1; k <= W().Engine.Users().Count(); ++k)
        byHandle[W().Engine.Users().Item(k).ScreenName] = &W().Engine.Users().Item(k);
    for (int k = 0; k < static_cast<int>(handles.size()); ++k) {
        SCOPED_TRACE(handles[k]);
        ASSERT_EQ(byHandle.count(handles[k]), 1u);
        const std::string name = Emu().Data().ScreenName(8 + k);
        EXPECT_EQ(byHandle[handles[k]]->Id, Emu().BlueskyDid(name));
        EXPECT_EQ(byHandle[handles[k]]->Followers, Emu().Data().FollowerCount(8 + k));
    }
    EXPECT_EQ(CountRequests("/xrpc/app.bsky.actor.getProfiles"), 2);
    EXPECT_EQ(CountRequests("/1.1/users/lookup.json"), 0);
}

}  // namespace
}  // namespace marlin::testing
