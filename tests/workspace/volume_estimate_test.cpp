// The service settings and the search volume estimate, in the window and on the command line.
#include <sstream>

#include "platform/console_toolkit.h"
#include "service/curl_http_request.h"
#include "user_side_fixture.h"
#include "workspace/headless/headless_run.h"

namespace marlin::testing {
namespace {

using ::testing::HasSubstr;

TEST(VolumeEstimateTest, RequestsWindowsAndCostFollowFromThePosts) {
    struct Case {
        std::vector<int64_t> posts;
        bool archive;
        int64_t requests, windows;
        const char* summary;
    };
    const Case cases[] = {
        {{},
         false,
         1,
         1,
         "0 posts, 1 search request, 1 quota window (15 minutes), $0.00 at $0.005 a post read"},
        {{60, 41},
         false,
         2,
         1,
         "101 posts, 2 search requests, 1 quota window (15 minutes), $0.51 at $0.005 a post read"},
        {{45000, 1},
         false,
         451,
         2,
         "45001 posts, 451 search requests, 2 quota windows (30 minutes), $225.01 at $0.005 a post read"},
        {{30001},
         true,
         301,
         2,
         "30001 posts, 301 search requests, 2 quota windows (30 minutes), $150.01 at $0.005 a post read"},
    };
    for (const Case& c : cases) {
        std::vector<TweetCountDay> days;
        for (int64_t posts : c.posts) days.push_back({"2026-12-01", posts});
        const VolumeEstimate e = VolumeEstimate::From(days, c.archive, 0.005);
        EXPECT_EQ(e.requests, c.requests);
        EXPECT_EQ(e.windows, c.windows);
        EXPECT_EQ(e.Summary(0.005), c.summary);
    }
}

class ServiceSettingsTest : public UserSideTest {};

TEST_F(ServiceSettingsTest, TheDialectArchiveAndPricesAreKeptInPrefsAndOffByDefault) {
    StartWindow(SmallCorpus(), false);
    EXPECT_TRUE(TweetCtl().mApiV11.Checked());
    EXPECT_FALSE(TweetCtl().mApiV2.Checked());
    EXPECT_FALSE(TweetCtl().mFullArchive.Checked());
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_THAT(ReadFileBytes(File("prefs")), ::testing::Not(HasSubstr("AV-")));

    TweetCtl().mApiV2.Click();
    TweetCtl().mFullArchive.Click();
    SpendingCommands& spending = frm->Spending();
    spending.mPrices.Click();
    EXPECT_EQ(spending.PriceFields[0].Text(), "0.005");
    spending.PriceFields[0].SetText("$0.01");
    EXPECT_TRUE(spending.PricesOK_Click());
    EXPECT_EQ(W().Engine.Client().GetApiVersion(), ApiVersion::V2);
    EXPECT_TRUE(W().TableEngine.Client().FullArchiveSearch());
    ASSERT_TRUE(frm->Session().SavePrefs());
    EXPECT_THAT(ReadFileBytes(File("prefs")), HasSubstr("AV-2\r\nFA-1\r\nPP-0.01\r\n"));

    StartWindow(SmallCorpus(), false);
    frm->Session().LoadPrefs();
    EXPECT_TRUE(TweetCtl().mApiV2.Checked());
    EXPECT_FALSE(TweetCtl().mApiV11.Checked());
    EXPECT_EQ(W().TableEngine.Client().GetApiVersion(), ApiVersion::V2);
    EXPECT_EQ(W().Settings.prices.postRead, Money::Micros(10000));
    frm->Spending().mPrices.Click();
    frm->Spending().PriceFields[1].SetText("cheap");
    EXPECT_FALSE(frm->Spending().PricesOK_Click());
    EXPECT_EQ(tk.messages.back().text, std::string("\"User read\"") + SpendingCommands::kBadAmount);
    Prices kept;
    kept.postRead = Money::Micros(10000);
    EXPECT_EQ(W().Settings.prices, kept);
}

TEST_F(ServiceSettingsTest, TheEstimateCountsTheQueryByDayInTheLogTheChartAndAMessage) {
    StartWindow(SmallCorpus(), false);
    TweetCtl().SearchQuery.SetText(Emu().Queries().common);
    BackDays(3);
    frm->Estimator().mEstimateVolume_Click();
    EXPECT_EQ(tk.messages.back().text, SearchVolumeEstimate::kNeedsV2);
    EXPECT_EQ(CountRequests("/2/tweets/counts/recent"), 0);

    std::vector<TweetCountDay> charted;
    frm->Estimator().SetChartAction([&](const std::vector<TweetCountDay>& days) { charted = days; });
    frm->Service().SetApiV2(true);
    frm->Estimator().mEstimateVolume_Click();
    ASSERT_EQ(charted.size(), 4u);  // three days back and today
    int64_t total = 0;
    for (const TweetCountDay& day : charted) total += day.posts;
    const std::vector<std::string> log = LogLines();
    EXPECT_EQ(log[log.size() - 3], charted[3].date + ": " + std::to_string(charted[3].posts) + " posts");
    const std::string summary = VolumeEstimate::From(charted, false, 0.005).Summary(0.005);
    EXPECT_EQ(log[log.size() - 2], "Estimate: " + summary);
    // The counts request is charged, and the run's end line says so.
    EXPECT_EQ(log.back(), "0 posts and 0 users read, 1 counts requests, 0 repeats not charged, $0.005 spent");
    EXPECT_THAT(summary, ::testing::StartsWith(std::to_string(total) + " posts, " +
                                               std::to_string((total + 99) / 100) + " search requests"));
    EXPECT_THAT(tk.messages.back().text, HasSubstr(summary));
    EXPECT_EQ(RequestsTo("/2/tweets/counts/recent").back().Param("granularity"), "day");
}

TEST_F(ServiceSettingsTest, TheCountCommandPrintsDaysAndASummaryAndNeedsV2) {
    StartService(SmallCorpus(), false);
    StoreCredentials();
    auto run = [this](std::vector<std::string> arguments, std::string& out, std::string& err) {
        std::ostringstream outStream;
        const int code = RunCommandLine(arguments, &err,
                                        [&outStream](HeadlessRun::Setup& setup) { setup.out = &outStream; });
        out = outStream.str();
        return code;
    };
    std::string out, err;
    const std::string query = Emu().Queries().common;
    EXPECT_EQ(run({"count", query, "--back", "2"}, out, err), HeadlessRun::kBadUsage);
    EXPECT_THAT(err, HasSubstr(SearchVolumeEstimate::kNeedsV2));
    EXPECT_EQ(run({"count", query, "--back", "2", "--api", "v3"}, out, err), HeadlessRun::kBadUsage);
    EXPECT_THAT(err, HasSubstr("--api takes v2 or v1.1"));

    ASSERT_EQ(run({"count", query, "--back", "2", "--api", "v2", "--archive-search"}, out, err),
              HeadlessRun::kDone);
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "date,posts");
    int days = 0;
    for (; std::getline(lines, line) && line[0] != '#'; ++days) {
        EXPECT_THAT(line, ::testing::MatchesRegex("20[0-9-]+,[0-9]+"));
    }
    EXPECT_EQ(days, 3);
    EXPECT_THAT(line, HasSubstr("quota window"));
    EXPECT_EQ(CountRequests("/2/tweets/counts/all"), 1);
}

}  // namespace
}  // namespace marlin::testing
