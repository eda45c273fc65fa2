#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "emulator/emulator.h"
#include "emulator_client.h"
#include "mini_json.h"
#include "test_support.h"

namespace marlin::emulator::testing {
namespace {

// One emulator for the whole suite; every test reads, none changes quotas or faults.
class EndpointsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EmulatorConfig config = testing::SmallConfig();
        for (int& limit : config.limits) limit = 100000;  // paging through everything must not hit a quota
        s_emulator = new Emulator(config);
        s_emulator->Start();
    }
    static void TearDownTestSuite() {
        delete s_emulator;
        s_emulator = nullptr;
    }
    static Emulator& E() { return *s_emulator; }
    static const Corpus& C() { return s_emulator->Data(); }

    static JsonValue GetJson(const std::string& target, int expectedStatus = 200) {
        Reply reply = EmulatorClient(E()).Get(target);
        EXPECT_EQ(reply.status, expectedStatus) << target << " " << reply.body;
        return JsonParser::Parse(reply.body);
    }

    static Emulator* s_emulator;
};
Emulator* EndpointsTest::s_emulator = nullptr;

TEST_F(EndpointsTest, TokenExchangeAcceptsOnlyTheConfiguredApplication) {
    EmulatorClient client(E());
    Reply good = client.PostToken(E().BasicCredentials());
    ASSERT_EQ(good.status, 200);
    EXPECT_EQ(good.reason, "OK");
    EXPECT_EQ(good.body, "{\"token_type\":\"bearer\",\"access_token\":\"" + client.Token() + "\"}");
    EXPECT_EQ(good.Header("Content-Type"), "application/json;charset=utf-8");
    // The grant type may also travel as the form body.
    EXPECT_EQ(
        client.PostToken(E().BasicCredentials(), "/oauth2/token", "grant_type=client_credentials").status,
        200);

    Reply bad = client.PostToken("Basic " + std::string("bm90OnJpZ2h0"));  // not:right
    EXPECT_EQ(bad.status, 403);
    EXPECT_EQ(bad.reason, "Forbidden");
    EXPECT_EQ(JsonParser::Parse(bad.body)["errors"][0]["code"].text, "99");
    EXPECT_EQ(client.PostToken("Bearer " + client.Token()).status, 403);
    EXPECT_EQ(client.PostToken(E().BasicCredentials(), "/oauth2/token").status, 403);  // no grant type
}

// The service answered a missing or unknown token before it looked at any quota window: those answers
// carry no rate-limit header (the recorded 215 answer has none), and a client must not expect one.
TEST_F(EndpointsTest, EveryEndpointWantsTheIssuedBearerToken) {
    EmulatorClient client(E());
    const char* kLimitHeaders[] = {"x-rate-limit-limit", "x-rate-limit-remaining", "x-rate-limit-reset"};
    const std::string recorded = marlin::testing::Fixture("error_bad_auth_215.headers.txt");
    for (const char* header : kLimitHeaders) EXPECT_EQ(recorded.find(header), std::string::npos) << header;
    for (const char* target :
         {"/1.1/search/tweets.json?q=data", "/1.1/statuses/user_timeline.json?screen_name=city_library",
          "/1.1/users/lookup.json?screen_name=city_library",
          "/1.1/followers/list.json?screen_name=city_library",
          "/1.1/friends/list.json?screen_name=city_library",
          "/1.1/followers/ids.json?screen_name=city_library",
          "/1.1/friends/ids.json?screen_name=city_library", "/1.1/application/rate_limit_status.json"}) {
        Reply wrong = client.Get(target, "AAAAnotthetoken");
        EXPECT_EQ(wrong.status, 401) << target;
        EXPECT_EQ(wrong.reason, "Unauthorized");
        EXPECT_EQ(wrong.body, "{\"errors\":[{\"code\":89,\"message\":\"Invalid or expired token.\"}]}");
        Reply none = client.Get(target, "");
        EXPECT_EQ(none.status, 400) << target;
        EXPECT_EQ(none.body, "{\"errors\":[{\"code\":215,\"message\":\"Bad Authentication data.\"}]}");
        for (const char* header : kLimitHeaders) {
            EXPECT_FALSE(wrong.Has(header)) << target << " " << header;
            EXPECT_FALSE(none.Has(header)) << target << " " << header;
        }
        EXPECT_EQ(client.Get(target).status, 200) << target;
    }
    Reply unknown = client.Get("/1.1/statuses/home_timeline.json");
    EXPECT_EQ(unknown.status, 404);
    EXPECT_EQ(JsonParser::Parse(unknown.body)["errors"][0]["code"].text, "34");
}

TEST_F(EndpointsTest, SearchPagesByMaxIdReturnEveryMatchExactlyOnce) {
    const std::string word = E().Queries().common;
    std::vector<std::string> seen;
    std::string next = "?q=" + word + "&count=100";
    int pages = 0;
    while (!next.empty()) {
        JsonValue page = GetJson("/1.1/search/tweets.json" + next);
        for (const JsonValue& t : page["statuses"].items) seen.push_back(t["id_str"].text);
        const JsonValue& meta = page["search_metadata"];
        next = meta.Has("next_results") ? meta["next_results"].text : "";
        EXPECT_EQ(meta["count"].text, "100");
        ++pages;
    }
    EXPECT_GT(pages, 3);
    EXPECT_EQ(seen, C().SearchIds(word));
    // An update asks only for what is newer than what it has.
    JsonValue update = GetJson("/1.1/search/tweets.json?q=" + word + "&count=100&since_id=" + seen[5]);
    ASSERT_EQ(update["statuses"].size(), 5u);
    EXPECT_EQ(update["statuses"][0]["id_str"].text, seen[0]);
    EXPECT_EQ(update["search_metadata"]["since_id_str"].text, seen[5]);
}

TEST_F(EndpointsTest, SearchHonoursCountLanguageAndTheQueryOperators) {
    EXPECT_EQ(GetJson("/1.1/search/tweets.json?q=data")["statuses"].size(), 15u);  // the default
    EXPECT_EQ(GetJson("/1.1/search/tweets.json?q=data&count=500")["statuses"].size(), 100u);
    EXPECT_EQ(GetJson("/1.1/search/tweets.json?q=data&count=abc", 400)["errors"][0]["code"].text, "44");
    EXPECT_EQ(GetJson("/1.1/search/tweets.json?q=", 400)["errors"][0]["code"].text, "25");
    JsonValue greek = GetJson("/1.1/search/tweets.json?q=from%3Apolyglot_voices&lang=el&count=100");
    ASSERT_GT(greek["statuses"].size(), 0u);
    for (const JsonValue& t : greek["statuses"].items) {
        EXPECT_EQ(t["lang"].text, "el");
        EXPECT_EQ(t["user"]["screen_name"].text, "polyglot_voices");
        EXPECT_EQ(t["metadata"]["iso_language_code"].text, "el");
    }
    JsonValue popular = GetJson("/1.1/search/tweets.json?q=the&result_type=popular&count=100");
    ASSERT_GT(popular["statuses"].size(), 0u);
    for (const JsonValue& t : popular["statuses"].items) {
        EXPECT_EQ(t["metadata"]["result_type"].text, "popular");
        EXPECT_GE(std::stoi(t["favorite_count"].text), 500);
    }
    EXPECT_NE(popular["search_metadata"]["refresh_url"].text.find("&result_type=popular"), std::string::npos);
    JsonValue none = GetJson("/1.1/search/tweets.json?q=" + E().Queries().none);
    EXPECT_EQ(none["statuses"].size(), 0u);
    EXPECT_FALSE(none["search_metadata"].Has("next_results"));
    // The whole text holds the tag; a truncated one may have lost it.
    JsonValue tagged = GetJson("/1.1/search/tweets.json?q=%23OpenData&count=100&tweet_mode=extended");
    for (const JsonValue& t : tagged["statuses"].items)
        EXPECT_NE(t["full_text"].text.find("#OpenData"), std::string::npos) << t["full_text"].text;
    JsonValue phrase =
        GetJson("/1.1/search/tweets.json?q=%22happy%20birthday%22%20-filter%3Aretweets&count=100");
    ASSERT_GT(phrase["statuses"].size(), 0u);
    for (const JsonValue& t : phrase["statuses"].items) {
        EXPECT_NE(t["text"].text.find("Happy birthday"), std::string::npos) << t["text"].text;
        EXPECT_FALSE(t.Has("retweeted_status"));
    }
}

TEST_F(EndpointsTest, TimelinePagesCoverTheMostRecent3200TweetsOnce) {
    const std::string name = E().Users().prolific;
    std::vector<std::string> seen;
    std::string maxId;
    while (true) {
        std::string target = "/1.1/statuses/user_timeline.json?screen_name=" + name + "&count=250";
        if (!maxId.empty()) target += "&max_id=" + maxId;
        JsonValue page = GetJson(target);
        if (page.size() == 0) break;
        ASSERT_LE(page.size(), 200u);
        for (const JsonValue& t : page.items) seen.push_back(t["id_str"].text);
        maxId = std::to_string(std::stoull(seen.back()) - 1);
    }
    EXPECT_EQ(seen.size(), 3200u);
    EXPECT_EQ(seen, C().TimelineIds(name));

    // By user id, newer than a known tweet, without retweets.
    std::string demoId = C().UserIdText(E().Users().demo);
    auto demo = C().TimelineIds(E().Users().demo);
    JsonValue recent = GetJson("/1.1/statuses/user_timeline.json?user_id=" + demoId +
                               "&since_id=" + demo[30] + "&count=200");
    ASSERT_EQ(recent.size(), 30u);
    EXPECT_EQ(recent[0]["id_str"].text, demo[0]);
    EXPECT_EQ(GetJson("/1.1/statuses/user_timeline.json?screen_name=demo_researcher").size(), 20u);
    JsonValue noRetweets =
        GetJson("/1.1/statuses/user_timeline.json?screen_name=demo_researcher&count=200&include_rts=false");
    EXPECT_LT(noRetweets.size(), 200u);
    for (const JsonValue& t : noRetweets.items) EXPECT_FALSE(t.Has("retweeted_status"));
}

TEST_F(EndpointsTest, TimelinesOfUnknownAndProtectedAccountsAreRefused) {
    EXPECT_EQ(
        GetJson("/1.1/statuses/user_timeline.json?screen_name=no_such_person", 404)["errors"][0]["code"].text,
        "34");
    Reply hidden =
        EmulatorClient(E()).Get("/1.1/statuses/user_timeline.json?screen_name=" + E().Users().protectedUser);
    EXPECT_EQ(hidden.status, 401);
    EXPECT_EQ(hidden.body,
              "{\"request\":\"\\/1.1\\/statuses\\/user_timeline.json\",\"error\":\"Not authorized.\"}");
    EXPECT_EQ(GetJson("/1.1/statuses/user_timeline.json?screen_name=" + E().Users().silent).size(), 0u);
}

TEST_F(EndpointsTest, FollowerAndFriendListsWalkByCursorOverEveryUserOnce) {
    const std::string name = E().Users().midsize;
    for (bool friends : {false, true}) {
        std::string base =
            friends ? "/1.1/friends/list.json?screen_name=" : "/1.1/followers/list.json?screen_name=";
        std::vector<std::string> ids;
        std::vector<std::string> previousCursors;
        std::string cursor = "-1";
        while (cursor != "0") {
            JsonValue page = GetJson(base + name + "&count=200&cursor=" + cursor);
            ASSERT_LE(page["users"].size(), 200u);
            for (const JsonValue& u : page["users"].items) ids.push_back(u["id_str"].text);
            EXPECT_EQ(page["next_cursor"].text, page["next_cursor_str"].text);
            EXPECT_EQ(page["previous_cursor"].text, page["previous_cursor_str"].text);
            EXPECT_TRUE(page["total_count"].IsNull());
            previousCursors.push_back(page["previous_cursor_str"].text);
            cursor = page["next_cursor_str"].text;
        }
        EXPECT_EQ(ids, friends ? C().FriendIds(name) : C().FollowerIds(name)) << base;
        EXPECT_GT(previousCursors.size(), 1u);
        EXPECT_EQ(previousCursors.front(), "0");
        // A previous cursor leads back to the page before.
        JsonValue back = GetJson(base + name + "&count=200&cursor=" + previousCursors[1]);
        EXPECT_EQ(back["users"][0]["id_str"].text, ids[0]);
        EXPECT_EQ(back["previous_cursor_str"].text, "0");
    }
    EXPECT_EQ(GetJson("/1.1/followers/list.json?screen_name=" + name)["users"].size(), 20u);  // the default
    // An empty user_id beside a screen name names nobody; the screen name counts.
    EXPECT_EQ(GetJson("/1.1/friends/list.json?user_id=&screen_name=" + name + "&count=200")["users"].size(),
              200u);
    JsonValue bare = GetJson("/1.1/followers/list.json?screen_name=" + name + "&skip_status=true");
    for (const JsonValue& u : bare["users"].items) EXPECT_FALSE(u.Has("status"));
    JsonValue silent = GetJson("/1.1/followers/list.json?screen_name=" + E().Users().silent);
    EXPECT_EQ(silent["users"].size(), 0u);
    EXPECT_EQ(silent["next_cursor_str"].text, "0");
    // Cursors the emulator never handed out give a short page or none, whatever their size.
    for (const char* cursor : {"12345", "9223372036854775807", "-9223372036854775807", "x"}) {
        JsonValue odd = GetJson("/1.1/friends/list.json?screen_name=" + name + "&cursor=" + cursor);
        EXPECT_LE(odd["users"].size(), 20u) << cursor;
    }
    EXPECT_EQ(
        EmulatorClient(E()).Get("/1.1/followers/list.json?screen_name=" + E().Users().protectedUser).status,
        401);
    EXPECT_EQ(EmulatorClient(E()).Get("/1.1/friends/list.json?screen_name=nobody_at_all").status, 404);
}

TEST_F(EndpointsTest, FollowerIdsComeFiveThousandAPage) {
    const std::string name = E().Users().popular;
    std::vector<std::string> ids;
    std::string cursor = "-1";
    int pages = 0;
    while (cursor != "0") {
        JsonValue page =
            GetJson("/1.1/followers/ids.json?cursor=" + cursor + "&screen_name=" + name + "&count=5000");
        EXPECT_LE(page["ids"].size(), 5000u);
        for (const JsonValue& id : page["ids"].items) {
            EXPECT_EQ(id.type, JsonValue::Type::Number);
            ids.push_back(id.text);
        }
        cursor = page["next_cursor_str"].text;
        ++pages;
    }
    EXPECT_EQ(pages, 2);
    EXPECT_EQ(ids, C().FollowerIds(name));
    JsonValue text = GetJson("/1.1/followers/ids.json?screen_name=" + name + "&stringify_ids=true&count=3");
    ASSERT_EQ(text["ids"].size(), 3u);
    EXPECT_EQ(text["ids"][0].type, JsonValue::Type::String);
    EXPECT_EQ(text["ids"][0].text, ids[0]);
}

TEST_F(EndpointsTest, IdListsOfFollowersAndFriendsWalkByCursorOverEveryoneOnce) {
    struct Case {
        const char* list;  // "followers" or "friends"
        std::string name;
        int count;  // 0: the default of 5000
        bool asText;
    };
    const Case cases[] = {
        {"friends", E().Users().midsize, 0, false},      {"friends", E().Users().popular, 40, true},
        {"friends", E().Users().silent, 0, true},        {"followers", E().Users().midsize, 100, true},
        {"followers", E().Users().popular, 9000, false},  // at most 5000 a page
    };
    for (const Case& c : cases) {
        const bool friends = std::string(c.list) == "friends";
        const std::vector<std::string> expected = friends ? C().FriendIds(c.name) : C().FollowerIds(c.name);
        const int size = c.count ? std::min(c.count, 5000) : 5000;
        const int pages = std::max<int>(1, static_cast<int>((expected.size() + size - 1) / size));
        std::string base = "/1.1/" + std::string(c.list) + "/ids.json?screen_name=" + c.name +
                           (c.count ? "&count=" + std::to_string(c.count) : "") +
                           (c.asText ? "&stringify_ids=true" : "");
        std::vector<std::string> ids;
        std::string cursor = "-1";
        int walked = 0;
        for (; cursor != "0" && walked < 200; ++walked) {
            JsonValue page = GetJson(base + "&cursor=" + cursor);
            EXPECT_LE(page["ids"].size(), static_cast<size_t>(size)) << base;
            for (const JsonValue& id : page["ids"].items) {
                EXPECT_EQ(id.type, c.asText ? JsonValue::Type::String : JsonValue::Type::Number);
                ids.push_back(id.text);
            }
            cursor = page["next_cursor_str"].text;
        }
        EXPECT_EQ(ids, expected) << base;
        EXPECT_EQ(walked, pages) << base;
    }
    EXPECT_GT(C().FriendIds(E().Users().popular).size(), 40u);  // a walk above took several pages
    EXPECT_EQ(
        EmulatorClient(E()).Get("/1.1/friends/ids.json?screen_name=" + E().Users().protectedUser).status,
        401);
    EXPECT_EQ(EmulatorClient(E()).Get("/1.1/friends/ids.json?screen_name=nobody_at_all").status, 404);
}

// A full page now and then comes short in the middle of a result set; its link to the next page goes on
// from its own last tweet, so a client that follows the links loses nothing.
TEST(ShortPageTest, ShortPagesStillLeadToEveryMatchAndComeTheSameEachTime) {
    for (double share : {0.0, 1.0}) {
        EmulatorConfig config = testing::SmallConfig();
        config.shortPageShare = share;
        Emulator emulator(config);
        emulator.Start();
        EmulatorClient client(emulator);
        const std::string word = emulator.Queries().common;
        std::vector<std::string> seen;
        std::vector<size_t> sizes;
        std::string next = "?q=" + word + "&count=100";
        std::string second;
        while (!next.empty()) {
            if (sizes.size() == 1) second = next;
            JsonValue page = JsonParser::Parse(client.Get("/1.1/search/tweets.json" + next).body);
            for (const JsonValue& t : page["statuses"].items) seen.push_back(t["id_str"].text);
            sizes.push_back(page["statuses"].size());
            const JsonValue& meta = page["search_metadata"];
            next = meta.Has("next_results") ? meta["next_results"].text : "";
        }
        EXPECT_EQ(seen, emulator.Data().SearchIds(word)) << share;
        // No page but the last is empty; all or none are short.
        size_t shortPages = std::count_if(sizes.begin(), sizes.end() - 1, [](size_t n) { return n < 100; });
        EXPECT_EQ(std::count(sizes.begin(), sizes.end() - 1, 0u), 0) << share;
        EXPECT_EQ(shortPages, share == 0 ? 0 : sizes.size() - 1) << share;
        // Asked again, a page comes the same.
        ASSERT_FALSE(second.empty());
        EXPECT_EQ(JsonParser::Parse(client.Get("/1.1/search/tweets.json" + second).body)["statuses"].size(),
                  sizes[1]);
    }
}

TEST_F(EndpointsTest, LookupTakesUpToAHundredIdsOrNames) {
    std::string demoId = C().UserIdText(E().Users().demo);
    JsonValue users = GetJson(
        "/1.1/users/lookup.json?screen_name=CITY_LIBRARY,nobody_here,science_museum,&user_id=" + demoId +
        ",");
    ASSERT_EQ(users.size(), 3u);
    std::set<std::string> names;
    for (const JsonValue& u : users.items) names.insert(u["screen_name"].text);
    EXPECT_EQ(names, (std::set<std::string>{"city_library", "science_museum", "demo_researcher"}));
    for (const JsonValue& u : users.items) EXPECT_TRUE(u.Has("status"));

    JsonValue hidden = GetJson("/1.1/users/lookup.json?screen_name=" + E().Users().protectedUser);
    EXPECT_EQ(hidden[0]["protected"].text, "true");
    EXPECT_FALSE(hidden[0].Has("status"));

    Reply none = EmulatorClient(E()).Get("/1.1/users/lookup.json?screen_name=nobody_here,nor_here");
    EXPECT_EQ(none.status, 404);
    EXPECT_EQ(none.body, "{\"errors\":[{\"code\":17,\"message\":\"No user matches for specified terms.\"}]}");

    std::string hundred, hundredAndOne;
    for (int u = 0; u < 101; ++u) (u < 100 ? hundred : hundredAndOne) += C().ScreenName(u) + ",";
    EXPECT_EQ(GetJson("/1.1/users/lookup.json?screen_name=" + hundred).size(), 100u);
    EXPECT_EQ(EmulatorClient(E()).Get("/1.1/users/lookup.json?screen_name=" + hundred + hundredAndOne).status,
              403);
}

}  // namespace
}  // namespace marlin::emulator::testing
