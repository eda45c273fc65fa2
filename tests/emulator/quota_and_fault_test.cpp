#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "emulator/emulator.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator::testing {
namespace {

// The first service's families, a request of each and its window's limit; the second's speak its own
// headers (BskyClientTest).
struct Window {
    Family family;
    const char* target;
    int limit;
};
const Window kWindows[] = {
    {Family::Search, "/1.1/search/tweets.json?q=data&count=1", 450},
    {Family::UserTimeline, "/1.1/statuses/user_timeline.json?screen_name=city_library&count=1", 1500},
    {Family::UsersLookup, "/1.1/users/lookup.json?screen_name=city_library", 300},
    {Family::FollowersList, "/1.1/followers/list.json?screen_name=city_library&count=1", 15},
    {Family::FriendsList, "/1.1/friends/list.json?screen_name=city_library&count=1", 15},
    {Family::FollowerIds, "/1.1/followers/ids.json?screen_name=city_library&count=1", 15},
    {Family::FriendIds, "/1.1/friends/ids.json?screen_name=city_library&count=1", 15},
    {Family::RateLimitStatus, "/1.1/application/rate_limit_status.json", 180},
    {Family::V2Search, "/2/tweets/search/recent?query=data", 450},
    {Family::V2Archive, "/2/tweets/search/all?query=data", 300},
    {Family::V2Counts, "/2/tweets/counts/recent?query=data", 300},
    {Family::V2ArchiveCounts, "/2/tweets/counts/all?query=data", 300},
    {Family::V2UserPosts, "/2/users/1/tweets", 10000},
    {Family::V2Users, "/2/users/by?usernames=city_library", 300},
    {Family::V2Followers, "/2/users/1/followers", 300},
    {Family::V2Following, "/2/users/1/following", 300},
    {Family::V2PostLookup, "/2/tweets?ids=1", 3500},
    {Family::V2Quotes, "/2/tweets/1/quote_tweets", 75},
    {Family::V2RetweetedBy, "/2/tweets/1/retweeted_by", 75},
    {Family::V2LikingUsers, "/2/tweets/1/liking_users", 75},
    {Family::V2ListMembers, "/2/lists/1500000000000000000/members", 900},
    {Family::StatusesLookup, "/1.1/statuses/lookup.json?id=1", 300},
    {Family::V2Usage, "/2/usage/tweets", 50},
};

const char* Target(Family family) {
    for (const Window& window : kWindows)
        if (window.family == family) return window.target;
    return nullptr;
}

int HeaderNumber(const Reply& reply, const char* name) {
    return std::stoi(reply.Header(name));
}

TEST(QuotaTest, EveryFamilyCountsItsOwnWindowWithTheAppOnlyLimits) {
    EmulatorConfig config = testing::SmallConfig();
    config.archivePaceMs = 0;
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    for (const Window& window : kWindows) {
        int64_t before = static_cast<int64_t>(std::time(nullptr));
        Reply first = client.Get(window.target);
        Reply second = client.Get(window.target);
        ASSERT_EQ(first.status, 200) << FamilyName(window.family);
        EXPECT_EQ(HeaderNumber(first, "x-rate-limit-limit"), window.limit);
        EXPECT_EQ(HeaderNumber(first, "x-rate-limit-remaining"), window.limit - 1);
        EXPECT_EQ(HeaderNumber(second, "x-rate-limit-remaining"), window.limit - 2);
        int64_t reset = std::stoll(first.Header("x-rate-limit-reset"));
        EXPECT_GE(reset, before + 900);
        EXPECT_LE(reset, before + 902);
        EXPECT_EQ(second.Header("x-rate-limit-reset"), first.Header("x-rate-limit-reset"));
    }
    // Requests that fail for want of a user still count, as they did with the service.
    Reply missing = client.Get("/1.1/followers/ids.json?screen_name=nobody_at_all");
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(HeaderNumber(missing, "x-rate-limit-remaining"), 12);
}

// The status answer reads every window of the calling token without counting a request in any but its own.
TEST(QuotaTest, TheRateLimitStatusReportsTheLiveWindowsOfTheCallingToken) {
    EmulatorConfig config = testing::SmallConfig();
    config.startRemaining[static_cast<int>(Family::FriendIds)] = 4;
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    Reply search = client.Get(Target(Family::Search));
    client.Get(Target(Family::Search));
    Reply status = client.Get("/1.1/application/rate_limit_status.json");
    ASSERT_EQ(status.status, 200);
    JsonValue body = JsonParser::Parse(status.body);
    EXPECT_EQ(body["rate_limit_context"]["application"].text, config.consumerKey);
    const JsonValue& resources = body["resources"];
    struct Expected {
        const char* family;
        const char* path;
        int limit;
        int remaining;
    };
    const Expected table[] = {
        {"search", "/search/tweets", 450, 448},
        {"statuses", "/statuses/user_timeline", 1500, 1500},
        {"users", "/users/lookup", 300, 300},
        {"followers", "/followers/list", 15, 15},
        {"followers", "/followers/ids", 15, 15},
        {"friends", "/friends/list", 15, 15},
        {"friends", "/friends/ids", 15, 4},  // a window not opened yet starts as configured
        {"application", "/application/rate_limit_status", 180, 179},
    };
    for (const Expected& e : table) {
        const JsonValue& window = resources[e.family][e.path];
        EXPECT_EQ(window["limit"].text, std::to_string(e.limit)) << e.path;
        EXPECT_EQ(window["remaining"].text, std::to_string(e.remaining)) << e.path;
    }
    EXPECT_EQ(resources["search"]["/search/tweets"]["reset"].text, search.Header("x-rate-limit-reset"));
    EXPECT_EQ(HeaderNumber(status, "x-rate-limit-limit"), 180);
    EXPECT_EQ(HeaderNumber(status, "x-rate-limit-remaining"), 179);
    // Reading the status took nothing from the windows it reports.
    EXPECT_EQ(HeaderNumber(client.Get(Target(Family::UserTimeline)), "x-rate-limit-remaining"), 1499);

    JsonValue some = JsonParser::Parse(
        client.Get("/1.1/application/rate_limit_status.json?resources=friends,search,moon").body);
    std::vector<std::string> families;
    for (const auto& [name, value] : some["resources"].members) families.push_back(name);
    EXPECT_EQ(families, (std::vector<std::string>{"friends", "search"}));
    EXPECT_EQ(some["resources"]["search"]["/search/tweets"]["remaining"].text, "448");
}

TEST(QuotaTest, ASpentWindowAnswersTooManyRequestsUntilItResets) {
    EmulatorConfig config = testing::SmallConfig();
    config.windowSeconds = 2;
    config.startRemaining[static_cast<int>(Family::FollowersList)] = 2;
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    const char* target = Target(Family::FollowersList);
    EXPECT_EQ(HeaderNumber(client.Get(target), "x-rate-limit-remaining"), 1);
    EXPECT_EQ(HeaderNumber(client.Get(target), "x-rate-limit-remaining"), 0);
    Reply refused = client.Get(target);
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.reason, "Too Many Requests");
    EXPECT_EQ(refused.body, "{\"errors\":[{\"message\":\"Rate limit exceeded\",\"code\":88}]}");
    EXPECT_EQ(HeaderNumber(refused, "x-rate-limit-remaining"), 0);
    EXPECT_EQ(HeaderNumber(refused, "x-rate-limit-limit"), 15);
    EXPECT_EQ(client.Get(Target(Family::FriendsList)).status, 200);  // another family is untouched

    int64_t reset = std::stoll(refused.Header("x-rate-limit-reset"));
    while (static_cast<int64_t>(std::time(nullptr)) < reset)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Reply fresh = client.Get(target);
    EXPECT_EQ(fresh.status, 200);
    EXPECT_EQ(HeaderNumber(fresh, "x-rate-limit-remaining"), 14);  // a new window is full
}

TEST(QuotaTest, SetRemainingBringsAWindowNearItsEnd) {
    Emulator emulator(testing::SmallConfig());
    emulator.Start();
    EmulatorClient client(emulator);
    EXPECT_EQ(HeaderNumber(client.Get(Target(Family::Search)), "x-rate-limit-remaining"), 449);
    emulator.SetRemaining(Family::Search, 9);
    EXPECT_EQ(HeaderNumber(client.Get(Target(Family::Search)), "x-rate-limit-remaining"), 8);
    emulator.SetRemaining(Family::UserTimeline, 0);
    EXPECT_EQ(client.Get(Target(Family::UserTimeline)).status, 429);
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override { m_emulator.Start(); }
    Emulator m_emulator{testing::SmallConfig()};
    EmulatorClient m_client{m_emulator};
};

TEST_F(FaultTest, CloseEndsTheConnectionWithoutAnAnswerForTheNextRequestsOnly) {
    m_emulator.InjectFault(Family::Search, Fault::CloseConnection, 2);
    EXPECT_FALSE(m_client.Get(Target(Family::Search)).answered);
    EXPECT_EQ(m_client.Get(Target(Family::UserTimeline)).status, 200);  // other families go on
    EXPECT_FALSE(m_client.Get(Target(Family::Search)).answered);
    Reply after = m_client.Get(Target(Family::Search));
    EXPECT_EQ(after.status, 200);
    EXPECT_EQ(HeaderNumber(after, "x-rate-limit-remaining"), 449);  // dropped requests were not counted
    EXPECT_EQ(m_emulator.Requests().size(), 4u);
}

TEST_F(FaultTest, StallDelaysTheAnswer) {
    m_emulator.InjectFault(Family::UsersLookup, Fault::Stall, 1, 1);
    auto start = std::chrono::steady_clock::now();
    Reply slow = m_client.Get(Target(Family::UsersLookup));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
    EXPECT_EQ(slow.status, 200);
}

TEST_F(FaultTest, EachRateLimitHeaderCanBeLeftOut) {
    const std::pair<Fault, const char*> cases[] = {{Fault::OmitLimit, "x-rate-limit-limit"},
                                                   {Fault::OmitRemaining, "x-rate-limit-remaining"},
                                                   {Fault::OmitReset, "x-rate-limit-reset"}};
    for (const auto& [fault, header] : cases) {
        m_emulator.InjectFault(Family::UserTimeline, fault, 1);
        Reply reply = m_client.Get(Target(Family::UserTimeline));
        EXPECT_EQ(reply.status, 200);
        EXPECT_FALSE(reply.Has(header)) << header;
        for (const char* other : {"x-rate-limit-limit", "x-rate-limit-remaining", "x-rate-limit-reset"}) {
            EXPECT_TRUE(std::string(other) == header || reply.Has(other)) << other;
        }
        EXPECT_TRUE(m_client.Get(Target(Family::UserTimeline)).Has(header));
    }
}

TEST_F(FaultTest, ServerErrorsCarryTheirReasonPhrases) {
    m_emulator.InjectFault(Family::FollowerIds, Fault::Error500, 1);
    Reply internal = m_client.Get(Target(Family::FollowerIds));
    EXPECT_EQ(internal.status, 500);
    EXPECT_EQ(internal.reason, "Internal Server Error");
    EXPECT_EQ(JsonParser::Parse(internal.body)["errors"][0]["code"].text, "131");
    m_emulator.InjectFault(Family::FollowerIds, Fault::Error503, 1);
    Reply over = m_client.Get(Target(Family::FollowerIds));
    EXPECT_EQ(over.status, 503);
    EXPECT_EQ(over.reason, "Service Unavailable");
    EXPECT_EQ(m_client.Get(Target(Family::FollowerIds)).status, 200);
}

TEST_F(FaultTest, AFractionOfRequestsFailsEvenlyAndTheTokenExchangeCanFailToo) {
    m_emulator.InjectFaultFraction(Family::FriendsList, Fault::Error503, 0.25);
    std::vector<int> statuses;
    for (int k = 0; k < 8; ++k) statuses.push_back(m_client.Get(Target(Family::FriendsList)).status);
    EXPECT_EQ(statuses, (std::vector<int>{200, 200, 200, 503, 200, 200, 200, 503}));
    m_emulator.ClearFaults();
    EXPECT_EQ(m_client.Get(Target(Family::FriendsList)).status, 200);

    m_emulator.InjectFault(Family::Token, Fault::CloseConnection, 1);
    EXPECT_FALSE(m_client.PostToken(m_emulator.BasicCredentials()).answered);
    EXPECT_EQ(m_client.PostToken(m_emulator.BasicCredentials()).status, 200);
}

TEST(FaultConfigTest, FaultsGivenAtStartApply) {
    EmulatorConfig config = testing::SmallConfig();
    config.faults.push_back({Family::Search, Fault::Error500, 1, 0.0, 0});
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    EXPECT_EQ(client.Get(Target(Family::Search)).status, 500);
    EXPECT_EQ(client.Get(Target(Family::Search)).status, 200);
}

TEST(EmulatorLifeTest, StopEndsAStallAtOnceAndTheEmulatorCanStartAgain) {
    Emulator emulator(testing::SmallConfig());
    emulator.Start();
    emulator.InjectFault(Family::Search, Fault::Stall, 1, 60);
    EmulatorClient client(emulator);
    std::thread waiting([&] { client.Get(Target(Family::Search)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto start = std::chrono::steady_clock::now();
    emulator.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    waiting.join();
    EXPECT_FALSE(emulator.Running());
    emulator.Start();
    EXPECT_EQ(EmulatorClient(emulator).Get(Target(Family::Search)).status, 200);
}

}  // namespace
}  // namespace marlin::emulator::testing
