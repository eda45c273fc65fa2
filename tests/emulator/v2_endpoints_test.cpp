// The v2 dialect: the same corpus as v1.1, only the fields asked for, the service's refusals.
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "emulator/emulator.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator::testing {
namespace {

const std::string kAllFields =
    "&tweet.fields=created_at,author_id,lang,public_metrics,entities,geo,referenced_tweets,note_tweet"
    "&expansions=author_id,referenced_tweets.id,referenced_tweets.id.author_id,geo.place_id"
    "&user.fields=public_metrics,location&place.fields=full_name,geo";

class V2Test : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EmulatorConfig config = testing::SmallConfig();
        for (int& limit : config.limits) limit = 100000;
        config.noteShare = 0.05;
        config.archivePaceMs = 0;
        s_emulator = new Emulator(config);
        s_emulator->Start();
    }
    static void TearDownTestSuite() {
        delete s_emulator;
        s_emulator = nullptr;
    }
    static JsonValue Get(const std::string& target, int status = 200) {
        Reply reply = EmulatorClient(*s_emulator).Get(target);
        EXPECT_EQ(reply.status, status) << target << " " << reply.body.substr(0, 300);
        return JsonParser::Parse(reply.body);
    }
    // Every post of a v2 search, page by page.
    static std::vector<JsonValue> SearchAll(const std::string& query, const std::string& extra) {
        std::vector<JsonValue> posts;
        std::string token;
        for (int page = 0; page < 200; ++page) {
            JsonValue answer = Get("/2/tweets/search/recent?max_results=100&query=" + query + extra + token);
            for (size_t k = 0; answer.Has("data") && k < answer["data"].size(); ++k)
                posts.push_back(answer["data"][k]);
            if (!answer["meta"].Has("next_token")) break;
            token = "&next_token=" + answer["meta"]["next_token"].text;
        }
        return posts;
    }
    static Emulator* s_emulator;
};
Emulator* V2Test::s_emulator = nullptr;

TEST_F(V2Test, RecentSearchFindsTheSamePostsAsTheV11Search) {
    std::vector<std::string> v2;
    for (const JsonValue& post : SearchAll("data", "")) v2.push_back(post["id"].text);
    EXPECT_EQ(v2, s_emulator->Data().SearchIds("data"));
    std::vector<std::string> v2French;
    for (const JsonValue& post : SearchAll("data%20lang%3Afr", "")) v2French.push_back(post["id"].text);
    EXPECT_EQ(v2French, s_emulator->Data().SearchIds("data", "fr"));
}

TEST_F(V2Test, OnlyTheDefaultAndTheAskedFieldsAppear) {
    auto keys = [](const JsonValue& object) {
        std::string names;
        for (const auto& [name, value] : object.members) names += name + " ";
        return names;
    };
    JsonValue bare = Get("/2/tweets/search/recent?query=data&max_results=10");
    EXPECT_EQ(keys(bare["data"][0]), "edit_history_tweet_ids id text ");
    EXPECT_FALSE(bare.Has("includes"));
    JsonValue users = Get("/2/users/by?usernames=city_library&user.fields=public_metrics");
    EXPECT_EQ(keys(users["data"][0]), "id name username public_metrics ");
    JsonValue full = Get("/2/tweets/search/recent?query=data&max_results=100" + kAllFields);
    std::set<std::string> authors;
    for (const JsonValue& user : full["includes"]["users"].items) authors.insert(user["id"].text);
    for (const JsonValue& post : full["data"].items) {
        EXPECT_TRUE(authors.count(post["author_id"].text)) << post["id"].text;
        EXPECT_EQ(post["created_at"].text.size(), 24u)
            << post["created_at"].text;  // 2022-11-08T10:00:00.000Z
    }
}

TEST_F(V2Test, RetweetsNotesAndGoneReferencesLookAsTheServiceSendsThem) {
    int retweets = 0, notes = 0, gone = 0;
    for (const JsonValue& post : SearchAll("data", kAllFields)) {
        const std::string& text = post["text"].text;
        if (post.Has("referenced_tweets") && post["referenced_tweets"][0]["type"].text == "retweeted") {
            ++retweets;
            EXPECT_EQ(text.rfind("RT @", 0), 0u) << text;
        }
        if (post.Has("note_tweet")) {
            ++notes;
            EXPECT_GT(post["note_tweet"]["text"].text.size(), text.size());
            EXPECT_NE(text.find("\u2026 https://t.co/"), std::string::npos) << text;
        }
    }
    for (int page = 0; page < 5; ++page) {
        JsonValue answer = Get("/2/tweets/search/recent?query=data&max_results=100" + kAllFields);
        if (!answer.Has("errors")) continue;
        gone += static_cast<int>(answer["errors"].size());
        EXPECT_EQ(answer["errors"][0]["title"].text, "Not Found Error");
    }
    EXPECT_GT(retweets, 0);
    EXPECT_GT(notes, 0);
    EXPECT_GT(gone, 0);
}

TEST_F(V2Test, RequestsTheServiceRefusesGet400WithTheV2Body) {
    const std::string recent = "/2/tweets/search/recent?query=data";
    const std::string user = "/2/users/" + s_emulator->Data().UserIdText("city_library");
    std::string manyIds = "1";
    for (int id = 2; id <= 101; ++id) manyIds.append(",").append(std::to_string(id));
    for (const std::string& target : std::vector<std::string>{
             recent + "&since_id=1&start_time=2022-11-07T00:00:00Z",
             recent + "&until_id=9&end_time=2022-11-07T00:00:00Z", recent + "&max_results=9",
             recent + "&max_results=101", recent + "&start_time=2022-10-01T00:00:00Z",
             recent + "&tweet.fields=colour", recent + "&next_token=made_up_token",
             std::string("/2/tweets/search/all?query="), "/2/tweets/search/all?query=data&max_results=501",
             "/2/tweets/counts/recent?query=data&granularity=week", user + "/tweets?max_results=4",
             user + "/followers?max_results=1001", "/2/tweets?ids=" + manyIds,
             std::string("/2/tweets?ids=12,x3"), std::string("/2/tweets/1/quote_tweets?max_results=9"),
             std::string("/2/tweets/x/retweeted_by"), std::string("/2/lists/1/members?max_results=101")}) {
        JsonValue body = Get(target, 400);
        EXPECT_EQ(body["title"].text, "Invalid Request") << target;
        EXPECT_TRUE(body["errors"][0].Has("message")) << target;
    }
}

TEST_F(V2Test, CountsAddUpToTheSearchAndGoByDays) {
    JsonValue counts = Get("/2/tweets/counts/recent?query=data&granularity=day");
    int64_t total = 0;
    for (const JsonValue& day : counts["data"].items) total += std::stoll(day["tweet_count"].text);
    EXPECT_EQ(total, static_cast<int64_t>(s_emulator->Data().SearchIds("data").size()));
    EXPECT_EQ(counts["meta"]["total_tweet_count"].text, std::to_string(total));
    EXPECT_EQ(counts["data"].size(), 8u);  // seven days from a moment in the day: eight calendar days
    EXPECT_EQ(counts["data"][1]["start"].text.substr(10), "T00:00:00.000Z");
}

TEST_F(V2Test, UserListsPageWithTokensAndFindEveryone) {
    const std::string id = s_emulator->Data().UserIdText("city_library");
    std::vector<std::string> followers;
    std::string token;
    do {
        JsonValue page = Get("/2/users/" + id + "/followers?max_results=1000" + token);
        for (const JsonValue& user : page["data"].items) followers.push_back(user["id"].text);
        token = page["meta"].Has("next_token") ? "&pagination_token=" + page["meta"]["next_token"].text : "";
    } while (!token.empty());
    EXPECT_EQ(followers, s_emulator->Data().FollowerIds("city_library"));
    JsonValue mixed = Get("/2/users/by?usernames=city_library,nobody_here_at_all");
    EXPECT_EQ(mixed["data"].size(), 1u);
    EXPECT_EQ(mixed["errors"][0]["value"].text, "nobody_here_at_all");
}

TEST(V2QuotaTest, TheFullArchiveKeepsAPaceAndRefusedV11RequestsGet453) {
    EmulatorConfig config = testing::SmallConfig();
    config.v11Refused = true;
    config.archivePaceMs = 400;
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    const std::string all = "/2/tweets/search/all?query=data";
    EXPECT_EQ(client.Get(all).status, 200);
    Reply tooSoon = client.Get(all);
    EXPECT_EQ(tooSoon.status, 429);
    EXPECT_EQ(tooSoon.Header("x-rate-limit-remaining"), "299");  // requests remain: only the pace refused it
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
    EXPECT_EQ(client.Get(all).status, 200);
    for (const char* target :
         {"/1.1/search/tweets.json?q=data", "/1.1/statuses/user_timeline.json?screen_name=city_library"}) {
        Reply refused = client.Get(target);
        EXPECT_EQ(refused.status, 403);
        EXPECT_NE(refused.body.find("\"code\":453"), std::string::npos);
    }
    EXPECT_EQ(client.Get("/1.1/users/lookup.json?screen_name=city_library").status, 200);
}

}  // namespace
}  // namespace marlin::emulator::testing
