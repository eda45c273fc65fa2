// Beyond search: posts by id and conversations from what the one corpus implies (the paged lists are
// read through the service floor's readers in the service tests, and by tweepy).
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "emulator/emulator.h"
#include "emulator/post_graph.h"
#include "emulator_client.h"
#include "mini_json.h"

namespace marlin::emulator::testing {
namespace {

class PostGraphEndpointsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        EmulatorConfig config = testing::SmallConfig();
        for (int& limit : config.limits) limit = 100000;
        s_emulator = new Emulator(config);
        s_emulator->Start();
        s_graph = new PostGraph(s_emulator->Data(), config.seed);
    }
    static void TearDownTestSuite() {
        delete s_graph;
        delete s_emulator;
    }
    static const Corpus& C() { return s_emulator->Data(); }
    static JsonValue Get(const std::string& target) {
        Reply reply = EmulatorClient(*s_emulator).Get(target);
        EXPECT_EQ(reply.status, 200) << target << " " << reply.body.substr(0, 300);
        return JsonParser::Parse(reply.body);
    }
    // The first post of the whole corpus (the newest of each user first) that the test wants.
    static std::optional<Tweet> FindPost(const std::function<bool(const Tweet&)>& wanted) {
        for (int user = 0; user < C().UserCount(); ++user)
            for (int seq = 0; seq < C().TweetCount(user); ++seq)
                if (Tweet t = C().MakeTweet({user, seq}); wanted(t)) return t;
        return std::nullopt;
    }
    static Emulator* s_emulator;
    static PostGraph* s_graph;
};
Emulator* PostGraphEndpointsTest::s_emulator = nullptr;
PostGraph* PostGraphEndpointsTest::s_graph = nullptr;

TEST_F(PostGraphEndpointsTest, PostsByIdAreGivenOrMissedWithTheServiceReason) {
    using V = PostGraph::Visibility;
    auto of = [](V seen) { return FindPost([&](const Tweet& t) { return s_graph->Of(t.ref) == seen; })->id; };
    struct Case {
        uint64_t id;
        const char* title;  // "": given
    };
    const Case cases[] = {{of(V::Visible), ""},
                          {of(V::Deleted), "Not Found Error"},
                          {of(V::Protected), "Authorization Error"},
                          {of(V::Suspended), "Authorization Error"},
                          {12345, "Not Found Error"}};
    std::string ids;
    for (const Case& c : cases) ids.append(ids.empty() ? "" : ",").append(std::to_string(c.id));
    JsonValue v2 = Get("/2/tweets?ids=" + ids + "&tweet.fields=author_id&expansions=author_id");
    JsonValue v11 = Get("/1.1/statuses/lookup.json?map=true&id=" + ids);
    size_t missing = 0;
    for (const Case& c : cases) {
        const std::string id = std::to_string(c.id);
        if (*c.title) {
            EXPECT_EQ(v2["errors"][missing]["value"].text, id);
            EXPECT_EQ(v2["errors"][missing++]["title"].text, c.title) << id;
            EXPECT_TRUE(v11["id"][id].IsNull()) << id;
        } else {
            EXPECT_EQ(v2["data"][0]["id"].text, id);
            EXPECT_EQ(v2["includes"]["users"][0]["id"].text, v2["data"][0]["author_id"].text);
            EXPECT_EQ(v11["id"][id]["id_str"].text, id);
        }
    }
    EXPECT_EQ(missing, v2["errors"].size());
    EXPECT_EQ(Get("/1.1/statuses/lookup.json?id=" + ids).size(), 1u);
}

TEST_F(PostGraphEndpointsTest, AConversationSearchFindsEveryReplyOfTheThreadWithItsConversationId) {
    // A thread with replies to replies within the search index.
    const Tweet nested = *FindPost([](const Tweet& t) {
        return t.replyTo.Valid() && C().MakeTweet(t.replyTo).replyTo.Valid() &&
               t.timeMs > C().IndexStartMs() + 86400000;
    });
    const uint64_t root = PostGraph::ConversationId(C(), nested);
    ASSERT_NE(root, C().TweetId(nested.replyTo));
    std::vector<std::string> found;
    std::string token;
    do {
        JsonValue page = Get("/2/tweets/search/recent?max_results=10&tweet.fields=conversation_id&query=" +
                             std::string("conversation_id%3A") + std::to_string(root) + token);
        for (const JsonValue& post : page["data"].items) {
            EXPECT_EQ(post["conversation_id"].text, std::to_string(root));
            found.push_back(post["id"].text);
        }
        token = page["meta"].Has("next_token") ? "&next_token=" + page["meta"]["next_token"].text : "";
    } while (!token.empty());
    EXPECT_NE(std::find(found.begin(), found.end(), std::to_string(nested.id)), found.end());
    std::vector<std::string> expected;
    for (uint64_t reply : s_graph->Replies(root))
        if (reply >= Corpus::FirstIdAt(C().IndexStartMs()) &&
            !C().IsProtected(static_cast<int>(reply & 0x3FFFFF)))
            expected.push_back(std::to_string(reply));
    EXPECT_EQ(found, expected);
}

TEST(PostGraphOptionsTest, KeywordSearchCanLeaveRepostsOutAsTheServiceDoesNow) {
    EmulatorConfig config = testing::SmallConfig();
    config.searchWithoutReposts = true;
    Emulator emulator(config);
    emulator.Start();
    EmulatorClient client(emulator);
    JsonValue page = JsonParser::Parse(
        client.Get("/2/tweets/search/recent?query=data&max_results=100&tweet.fields=referenced_tweets").body);
    ASSERT_EQ(page["data"].size(), 100u);
    for (const JsonValue& post : page["data"].items) {
        if (!post.Has("referenced_tweets")) continue;
        EXPECT_NE(post["referenced_tweets"][0]["type"].text, "retweeted");
    }
    // The v1.1 search of the same index as well.
    JsonValue v11 = JsonParser::Parse(client.Get("/1.1/search/tweets.json?q=data&count=100").body);
    ASSERT_EQ(v11["statuses"].size(), 100u);
    for (const JsonValue& post : v11["statuses"].items) EXPECT_FALSE(post.Has("retweeted_status"));
    JsonValue counts = JsonParser::Parse(client.Get("/2/tweets/counts/recent?query=data").body);
    size_t withReposts = emulator.Data().SearchIds("data").size();
    EXPECT_LT(std::stoul(counts["meta"]["total_tweet_count"].text), withReposts);
}

}  // namespace
}  // namespace marlin::emulator::testing
