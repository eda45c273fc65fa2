// What the emulator bills: each post served once a UTC day, the answer of /2/usage/tweets,
// and the monthly cap after which posts are refused as the service refuses them.
#include <gtest/gtest.h>

#include "emulator/emulator.h"
#include "emulator/usage_meter.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator::testing {
namespace {

constexpr int64_t kLastSecondOf2026 = 1798761599;  // 2026-12-31 23:59:59 UTC

TEST(UsageMeterTest, APostServedAgainTheSameUtcDayIsBilledOnce) {
    EmulatorConfig config;
    config.postCap = 4;
    UsageMeter meter(config);
    struct Step {
        int64_t at;
        std::vector<uint64_t> posts;
        int64_t day, month;  // billed that day and month after the step
        bool capSpent;
    };
    const std::vector<Step> steps = {
        {kLastSecondOf2026 - 60, {1, 2}, 2, 2, false},
        {kLastSecondOf2026, {2, 3, 3}, 3, 3, false},   // 2 again, 3 twice in one page
        {kLastSecondOf2026 + 1, {1, 2}, 2, 2, false},  // 00:00:00 UTC: a new day and a new month
        {kLastSecondOf2026 + 2, {4, 5}, 4, 4, true},
    };
    for (const Step& step : steps) {
        meter.Count(step.posts, step.at);
        EXPECT_EQ(meter.PostsOn(step.at), step.day) << step.at;
        EXPECT_EQ(meter.PostsInMonth(step.at), step.month) << step.at;
        EXPECT_EQ(meter.CapSpent(step.at), step.capSpent) << step.at;
    }
    EXPECT_FALSE(meter.CapSpent(kLastSecondOf2026));  // December kept its own count
}

class UsageEndpointTest : public ::testing::Test {
  protected:
    UsageEndpointTest() {
        EmulatorConfig config = SmallConfig();
        config.postCap = 150;
        m_emulator = std::make_unique<Emulator>(config);
        m_emulator->Start();
        m_client = std::make_unique<EmulatorClient>(*m_emulator);
    }
    JsonValue Usage(const std::string& query = "") {
        const Reply reply = m_client->Get("/2/usage/tweets" + query);
        EXPECT_EQ(reply.status, 200) << reply.body;
        return JsonParser::Parse(reply.body)["data"];
    }
    Reply Search(const std::string& extra = "") {
        return m_client->Get("/2/tweets/search/recent?query=data&max_results=100" + extra);
    }
    std::unique_ptr<Emulator> m_emulator;
    std::unique_ptr<EmulatorClient> m_client;
};

TEST_F(UsageEndpointTest, TheUsageAnswerCountsWhatWasServed) {
    JsonValue usage = Usage();
    std::string keys;
    for (const auto& [name, value] : usage.members) keys += name + " ";
    EXPECT_EQ(keys, "cap_reset_day project_cap project_id project_usage ");
    EXPECT_EQ(usage["project_cap"].text, "150");
    EXPECT_EQ(usage["project_usage"].text, "0");

    ASSERT_EQ(Search().status, 200);
    ASSERT_EQ(Search().status, 200);  // the same page: billed once today
    ASSERT_EQ(m_client->Get("/2/users/by?usernames=city_library").status, 200);  // users are no posts
    usage = Usage("?days=3&usage.fields=daily_project_usage,daily_client_app_usage,project_usage");
    EXPECT_EQ(usage["project_usage"].text, "100");
    const JsonValue& days = usage["daily_project_usage"]["usage"];
    ASSERT_EQ(days.items.size(), 3u);
    EXPECT_EQ(days[2]["usage"].text, "100");
    EXPECT_EQ(days[1]["usage"].text, "0");
    EXPECT_EQ(usage["daily_client_app_usage"][0]["usage_result_count"].text, "3");

    for (const std::string bad : {"?days=0", "?days=91", "?days=x", "?usage.fields=moon"})
        EXPECT_EQ(m_client->Get("/2/usage/tweets" + bad).status, 400) << bad;
}

TEST_F(UsageEndpointTest, PastTheMonthsCapPostsAreRefusedAsTheServiceRefusesThem) {
    const Reply first = Search();
    ASSERT_EQ(first.status, 200);
    const std::string token = JsonParser::Parse(first.body)["meta"]["next_token"].text;
    ASSERT_EQ(Search("&next_token=" + token).status, 200);  // served: 100 billed so far, under the cap of 150
    const Reply refused = Search();
    EXPECT_EQ(refused.status, 429);
    const JsonValue problem = JsonParser::Parse(refused.body);
    EXPECT_EQ(problem["title"].text, "UsageCapExceeded");
    EXPECT_EQ(problem["detail"].text, "Usage cap exceeded: Monthly product cap");
    EXPECT_EQ(problem["type"].text, "https://api.twitter.com/2/problems/usage-capped");
    const std::string user = std::to_string(m_emulator->Data().UserId(0));
    EXPECT_EQ(m_client->Get("/2/users/" + user + "/tweets").status, 429);
    // What serves no posts goes on.
    EXPECT_EQ(m_client->Get("/2/tweets/counts/recent?query=data").status, 200);
    EXPECT_EQ(Usage()["project_usage"].text, "200");
}

TEST(UsageCommandLineTest, ThePostCapIsAnOption) {
    EXPECT_EQ(ParseCommandLine({"--post-cap", "5"}).postCap, 5);
    EXPECT_EQ(EmulatorConfig().postCap, 3000000);
    EXPECT_THROW(ParseCommandLine({"--post-cap", "-1"}), std::invalid_argument);
    EXPECT_NE(CommandLineHelp().find("--post-cap"), std::string::npos);
    EXPECT_EQ(FamilyFromName("v2-usage"), Family::V2Usage);
}

}  // namespace
}  // namespace marlin::emulator::testing
