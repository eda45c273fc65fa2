// Compares the shape of every answer with the responses the service really sent (the recorded fixtures):
// the same keys, in the same order, nested the same way.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "emulator/emulator.h"
#include "emulator_client.h"
#include "mini_json.h"
#include "test_support.h"

namespace marlin::emulator::testing {
namespace {

// Key sequences of every object, grouped by what the object is: "tweet", "user", or a path below the
// nearest tweet or user ("tweet.entities.urls", "user.entities.url"). Grouping by kind rather than by full
// path lets a tweet inside a retweet be compared with every tweet the fixtures hold.
using Shapes = std::map<std::string, std::vector<std::vector<std::string>>>;

void Collect(const JsonValue& v, const std::string& kind, Shapes& out) {
    if (v.type == JsonValue::Type::Array) {
        for (const JsonValue& item : v.items) Collect(item, kind, out);
        return;
    }
    if (v.type != JsonValue::Type::Object) return;
    std::vector<std::string> keys;
    for (const auto& [name, value] : v.members) {
        if (name == "display_text_range") continue;           // only in the extended text mode
        keys.push_back(name == "full_text" ? "text" : name);  // the extended mode's name for the text
        static const std::set<std::string> tweets{"statuses", "retweeted_status", "quoted_status", "status"};
        // In the rate-limit status these names are resource families, not tweets or users.
        const bool named = kind.rfind("limits", 0) != 0;
        std::string child = named && tweets.count(name)                    ? "tweet"
                            : named && (name == "user" || name == "users") ? "user"
                                                                           : kind + "." + name;
        Collect(value, child, out);
    }
    out[kind].push_back(keys);
}

Shapes FixtureShapes() {
    // The recordings of 2016-2022, which share the service's modern key order.
    const std::pair<const char*, const char*> fixtures[] = {
        {"search_tweets_page.json", "search"},
        {"search_tweets_geocode_extended.json", "search"},
        {"search_tweets_last_page_empty.json", "search"},
        {"user_timeline_page.json", "tweet"},
        {"user_timeline_app_auth.json", "tweet"},
        {"user_timeline_extended_page.json", "tweet"},
        {"users_lookup.json", "user"},
        {"users_lookup_screen_names.json", "user"},
        {"friends_list_last_page.json", "list"},
        {"followers_ids_page.json", "ids"},
        {"followers_ids_last_page.json", "ids"},
    };
    Shapes shapes;
    for (const auto& [name, kind] : fixtures)
        Collect(JsonParser::Parse(marlin::testing::Fixture(name)), kind, shapes);
    return shapes;
}

// Every key ours uses is one the service used there; keys the service always sent are present; no two keys
// come in the opposite order to the service's (where the service kept an order: it wrote a photo's sizes in
// any order).
std::vector<std::string> ShapeProblems(const Shapes& ours, const Shapes& reference) {
    std::set<std::string> problems;
    for (const auto& [kind, sequences] : ours) {
        auto ref = reference.find(kind);
        if (ref == reference.end()) {
            problems.insert("an object the service never sent: " + kind);
            continue;
        }
        std::set<std::string> known;
        std::set<std::pair<std::string, std::string>> before;
        std::map<std::string, size_t> seen;
        for (const auto& keys : ref->second) {
            for (size_t i = 0; i < keys.size(); ++i) {
                known.insert(keys[i]);
                ++seen[keys[i]];
                for (size_t j = i + 1; j < keys.size(); ++j) before.insert({keys[i], keys[j]});
            }
        }
        for (const auto& keys : std::set<std::vector<std::string>>(sequences.begin(), sequences.end())) {
            std::set<std::string> present(keys.begin(), keys.end());
            for (const auto& [key, count] : seen)
                if (count == ref->second.size() && !present.count(key))
                    problems.insert(kind + ": missing " + key);
            for (size_t i = 0; i < keys.size(); ++i) {
                if (!known.count(keys[i])) problems.insert(kind + ": unknown key " + keys[i]);
                for (size_t j = i + 1; j < keys.size(); ++j)
                    if (before.count({keys[j], keys[i]}) && !before.count({keys[i], keys[j]}))
                        problems.insert(kind + ": " + keys[i] + " before " + keys[j]);
            }
        }
    }
    return {problems.begin(), problems.end()};
}

// What a compact body of the service looks like on the wire: ASCII only, no blanks between tokens, every
// slash escaped, lower-case \u escapes.
void ExpectServiceEncoding(const std::string& body) {
    bool inString = false;
    for (size_t i = 0; i < body.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(body[i]);
        ASSERT_LT(c, 0x80) << "raw non-ASCII at " << i;
        if (inString) {
            if (c == '\\') {
                char e = body[++i];
                for (int k = 1; e == 'u' && k <= 4; ++k) {
                    ASSERT_FALSE(std::isupper(static_cast<unsigned char>(body[i + k])));
                }
            } else if (c == '"') {
                inString = false;
            } else {
                ASSERT_NE(c, '/') << "unescaped slash at " << i;
            }
        } else {
            ASSERT_FALSE(std::isspace(c)) << "blank at " << i;
            inString = c == '"';
        }
    }
}

class ShapeTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_reference = new Shapes(FixtureShapes());
        s_emulator = new Emulator(testing::SmallConfig());
        s_emulator->Start();
    }
    static void TearDownTestSuite() {
        delete s_emulator;
        delete s_reference;
    }

    // Fetches, checks the encoding, and returns the parsed body with its shapes.
    static JsonValue Fetch(const std::string& target, const std::string& rootKind, Shapes& shapes) {
        testing::Reply reply = EmulatorClient(*s_emulator).Get(target);
        EXPECT_EQ(reply.status, 200) << target;
        ExpectServiceEncoding(reply.body);
        JsonValue body = JsonParser::Parse(reply.body);
        Collect(body, rootKind, shapes);
        return body;
    }

    static Emulator* s_emulator;
    static Shapes* s_reference;
};
Emulator* ShapeTest::s_emulator = nullptr;
Shapes* ShapeTest::s_reference = nullptr;

TEST_F(ShapeTest, SearchPagesLookLikeTheService) {
    Shapes shapes;
    std::string next = "?q=data&count=100";
    for (int page = 0; page < 4 && !next.empty(); ++page) {
        JsonValue body = Fetch("/1.1/search/tweets.json" + next, "search", shapes);
        for (const JsonValue& t : body["statuses"].items) {
            EXPECT_TRUE(t.Has("metadata"));
            EXPECT_TRUE(!t.Has("retweeted_status") || t["retweeted_status"].Has("metadata"));
        }
        next =
            body["search_metadata"].Has("next_results") ? body["search_metadata"]["next_results"].text : "";
    }
    Fetch("/1.1/search/tweets.json?q=zyxwvutsrq", "search", shapes);  // an empty page
    EXPECT_GT(shapes["tweet.geo"].size(), 0u);
    EXPECT_GT(shapes["tweet.extended_entities.media"].size(), 0u);
    EXPECT_GT(shapes["tweet.quoted_status_permalink"].size(), 0u);
    EXPECT_GT(shapes["tweet"].size(), 400u);
    EXPECT_EQ(ShapeProblems(shapes, *s_reference), std::vector<std::string>{});
}

TEST_F(ShapeTest, TimelinePagesLookLikeTheService) {
    Shapes shapes;
    JsonValue body =
        Fetch("/1.1/statuses/user_timeline.json?screen_name=demo_researcher&count=200", "tweet", shapes);
    Fetch("/1.1/statuses/user_timeline.json?screen_name=polyglot_voices&count=200", "tweet", shapes);
    for (const JsonValue& t : body.items) EXPECT_FALSE(t.Has("metadata"));
    EXPECT_GT(shapes["tweet.place"].size(), 0u);
    EXPECT_GT(shapes["tweet.entities.urls"].size(), 0u);
    EXPECT_EQ(ShapeProblems(shapes, *s_reference), std::vector<std::string>{});
}

TEST_F(ShapeTest, ExtendedTextPagesLookLikeTheService) {
    Shapes shapes;
    JsonValue search =
        Fetch("/1.1/search/tweets.json?q=data&count=100&tweet_mode=extended", "search", shapes);
    Fetch("/1.1/statuses/user_timeline.json?screen_name=demo_researcher&count=200&tweet_mode=extended",
          "tweet", shapes);
    EXPECT_GT(shapes["tweet.extended_entities.media"].size(), 0u);
    EXPECT_EQ(ShapeProblems(shapes, *s_reference), std::vector<std::string>{});
    // The whole text and its shown range take the place of the text.
    auto head = [](const JsonValue& tweet) {
        std::vector<std::string> keys;
        for (const auto& member : tweet.members) {
            if (member.first == "entities") break;
            keys.push_back(member.first);
        }
        return keys;
    };
    const auto recorded =
        head(JsonParser::Parse(marlin::testing::Fixture("user_timeline_extended_page.json"))[0]);
    EXPECT_EQ(recorded, (std::vector<std::string>{"created_at", "id", "id_str", "full_text", "truncated",
                                                  "display_text_range"}));
    for (const JsonValue& t : search["statuses"].items) EXPECT_EQ(head(t), recorded);
}

TEST_F(ShapeTest, TheRateLimitStatusLooksLikeTheService) {
    Shapes reference, ours;
    Collect(JsonParser::Parse(marlin::testing::Fixture("rate_limit_status.json")), "limits", reference);
    Fetch("/1.1/application/rate_limit_status.json", "limits", ours);
    EXPECT_EQ(ours["limits.resources"].size(), 1u);
    // The emulator lists only the endpoints it serves, and an application-only token's limits belong to the
    // application, which the service named where the recording (made with a user's token) names the token.
    std::vector<std::string> problems;
    for (const std::string& problem : ShapeProblems(ours, reference))
        if (problem.rfind("limits.resources", 0) != 0 || problem.find(": missing ") == std::string::npos)
            problems.push_back(problem);
    EXPECT_EQ(problems, (std::vector<std::string>{"limits.rate_limit_context: missing access_token",
                                                  "limits.rate_limit_context: unknown key application"}));
}

TEST_F(ShapeTest, UserAnswersLookLikeTheService) {
    Shapes shapes;
    std::string names;
    for (int u = 0; u < 100; ++u) names += s_emulator->Data().ScreenName(u) + ",";
    JsonValue lookup = Fetch("/1.1/users/lookup.json?screen_name=" + names, "user", shapes);
    for (const JsonValue& u : lookup.items) {
        EXPECT_TRUE(u.Has("withheld_in_countries"));
        EXPECT_FALSE(u.Has("live_following"));
        EXPECT_TRUE(!u.Has("status") || !u["status"].Has("user"));
    }
    EXPECT_EQ(ShapeProblems(shapes, *s_reference), std::vector<std::string>{});

    Shapes lists;
    JsonValue followers = Fetch("/1.1/followers/list.json?screen_name=city_library&count=200", "list", lists);
    Fetch("/1.1/friends/list.json?screen_name=city_library&count=200", "list", lists);
    for (const JsonValue& u : followers["users"].items) {
        EXPECT_TRUE(u.Has("live_following") && u.Has("muting") && u.Has("blocking") && u.Has("blocked_by"));
        EXPECT_FALSE(u.Has("withheld_in_countries"));
    }
    Fetch("/1.1/followers/ids.json?screen_name=city_library", "ids", lists);
    EXPECT_EQ(ShapeProblems(lists, *s_reference), std::vector<std::string>{});
}

TEST_F(ShapeTest, TheCheckItselfNoticesAWrongOrderAndAStrangeKey) {
    Shapes ours;
    Collect(JsonParser::Parse(R"({"ids":[],"next_cursor_str":"0","next_cursor":0,"previous_cursor":0,)"
                              R"("previous_cursor_str":"0","total_count":null,"extra":1})"),
            "ids", ours);
    auto problems = ShapeProblems(ours, *s_reference);
    EXPECT_EQ(problems, (std::vector<std::string>{"ids: next_cursor_str before next_cursor",
                                                  "ids: unknown key extra"}));
}

}  // namespace
}  // namespace marlin::emulator::testing
