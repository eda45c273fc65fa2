// The records of a v2 page of posts made straight from the answer against the reference:
// the answer written as the v1.1 page and read by the documented reader. Every page the
// emulator serves (several corpora, both text settings, search and timeline) and a table of
// pages built at the reader's odd corners give the same records, byte for byte, and the same
// account of the page (partial errors, values left out, ids, paging).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "toolkit_hosts.h"
#include "v2_paths.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using testing::V2PagePaths;

// The bodies of the first pages of a v2 search and of a v2 timeline of one corpus.
struct ServedPages : testing::ToolkitExchangeHost {
    explicit ServedPages(emulator::EmulatorConfig config)
        : ToolkitExchangeHost(kit), service(std::move(config)) {
        service.Start();
        TwitterAPI api(
            *this, CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""}),
            service.BaseUrl());
        api.SetApiVersion(ApiVersion::V2);
        const auto& c = service.Config();
        api.AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret);
        tweets.SetNoticeSink([](const std::string&) {});
        std::string maxId;
        for (int page = 0; page < 6; ++page) {
            std::string count = "100";
            const RequestOutcome got =
                api.GetSearch(service.Queries().common, "", "", maxId, count, tweets, false, "recent");
            if (got.Count() <= 0) break;
            search.push_back(got.body);
            maxId = tweets.OldestTweetId(true);
        }
        maxId.clear();
        for (int page = 0; page < 3; ++page) {
            const RequestOutcome got =
                api.GetUserTimeLine(service.Users().prolific, true, "", maxId, "100", tweets, false);
            if (got.Count() <= 0) break;
            timeline.push_back(got.body);
            maxId = tweets.OldestTweetId(true);
        }
        service.Stop();
    }
    void ErrorLine(const std::string&) override {}

    testing::ScriptedToolkit kit;
    emulator::Emulator service;
    TweetSet tweets{Yield()};
    std::vector<std::string> search;
    std::vector<std::string> timeline;
};

TEST(V2RecordsTest, EveryServedPageGivesTheReferenceRecords) {
    for (const std::uint64_t seed : {1u, 7u, 23u}) {
        emulator::EmulatorConfig config;
        config.seed = seed;
        config.users = 400;
        config.tweetsPerDay = 3000;
        config.longTextShare = 0.3;
        config.noteShare = 0.1;
        config.photoShare = 0.4;
        ServedPages pages(config);
        ASSERT_GE(pages.search.size(), 3u) << seed;
        ASSERT_FALSE(pages.timeline.empty()) << seed;
        int direct = 0, all = 0;
        for (const bool exact : {false, true}) {
            for (const bool search : {true, false}) {
                V2PagePaths paths{search, exact};
                for (const std::string& body : search ? pages.search : pages.timeline) {
                    EXPECT_EQ(paths.Direct(body), paths.Reference(body))
                        << "seed " << seed << " exact " << exact;
                    direct += paths.direct ? 1 : 0;
                    ++all;
                    EXPECT_EQ(V2PagePaths::Translation(body, search, V2Page::Reading::Indexed),
                              V2PagePaths::Translation(body, search, V2Page::Reading::PerObject));
                }
            }
        }
        // The service's own pages meet no odd corner: none of them goes the long way.
        EXPECT_EQ(direct, all) << seed;
    }
}

// A post of a search page with its author in includes; `post` members go in after the id.
std::string Page(const std::string& post, const std::string& user = R"("name":"Ann","username":"ann")",
                 const std::string& rest = "") {
    return R"({"data":[{"id":"11","author_id":"5",)" + post + R"(}],"includes":{"users":[{"id":"5",)" + user +
           R"(}])" + rest + R"(},"meta":{"result_count":1}})";
}

TEST(V2RecordsTest, PagesAtTheReadersCornersGiveTheReferenceRecords) {
    struct Case {
        const char* what;
        std::string body;
        bool direct;  // the records are made straight from the answer
    };
    const Case cases[] = {
        {"plain post", Page(R"("text":"hi there","created_at":"2026-12-09T08:28:09.000Z","lang":"en")"),
         true},
        {"unicode, escapes and entities",
         Page(
             R"("text":"caf\u00e9 \ud83d\ude00 ü € 😀 a\/b \"q\" \\ &amp; [x] \n\t end")",
             R"("name":"Zoë \ud83d\ude00","username":"z","location":"Kyiv / Київ","description":"[1] \"d\"")"),
         true},
        {"text ending in a backslash", Page(R"("text":"ends \\")"), false},
        {"name ending in a backslash", Page(R"("text":"t")", R"("name":"Ann \\","username":"ann")"), false},
        {"text ending in a name searched after it", Page(R"("text":"my coordinates")"), false},
        {"text ending in an earlier name", Page(R"("text":"in that context")"), true},
        {"id ending in text", Page(R"("text":"t")", R"("id":"5","name":"Ann","username":"ann")") + R"()",
         true},
        {"description ending in a later name",
         Page(R"("text":"t")", R"("name":"Ann","username":"ann","description":"my followers_count")"), false},
        {"profile image address ending in a later name",
         Page(R"("text":"t")", R"("name":"A","username":"a","profile_image_url":"https://p/coordinates")"),
         false},
        {"location ending in an earlier name",
         Page(R"("text":"t")", R"("name":"Ann","username":"ann","location":"a name")"), true},
        {"geo, author and link",
         Page(R"("text":"t","geo":{"coordinates":{"type":"Point","coordinates":[-0.12,51.5]}},)"
              R"("entities":{"urls":[{"url":"https://t.co/a","expanded_url":"https://a.example/x"}]})"),
         true},
        {"geo without author or link",
         R"({"data":[{"id":"11","text":"t","geo":{"coordinates":{"type":"Point","coordinates":[1,2]}}}]})",
         true},
        {"geo of equal coordinates without author",
         R"({"data":[{"id":"11","text":"t","geo":{"coordinates":{"type":"Point","coordinates":[3,3]}}}]})",
         true},
        {"numeric id, huge counts", Page(R"("id":123,"text":"t","public_metrics":{"retweet_count":1e400})"),
         true},
        {"counts of every type",
         Page(
             R"("text":"t","public_metrics":{"retweet_count":"7"})",
             R"("name":"A","username":"a","public_metrics":{"followers_count":-2.5,"tweet_count":99999999999})"),
         true},
        {"fields of the wrong types",
         Page(R"("text":{"a":1},"created_at":17,"lang":[],"entities":"x","geo":null)",
              R"("name":null,"username":{},"protected":"yes","url":"")"),
         true},
        {"retweet with its original and a long note",
         Page(
             R"("text":"RT @b: short…","referenced_tweets":[{"type":"retweeted","id":"9"}])",
             R"("name":"A","username":"a"},{"id":"6","name":"B","username":"b")",
             R"(,"tweets":[{"id":"9","author_id":"6","text":"short","note_tweet":{"text":"the whole \ud83d\ude00"}}])"),
         true},
        {"link with a media key and a null address",
         Page(R"("text":"t","entities":{"urls":[{"url":"https://t.co/a","expanded_url":null},)"
              R"({"url":"https://t.co/p","expanded_url":"https://p","media_key":"3_1"}]})"),
         true},
        {"link whose address ends in its later name",
         Page(R"("text":"t","entities":{"urls":[{"url":"https://t.co/expanded_url","expanded_url":"x"}]})"),
         false},
        {"invalid date kept as it stands", Page(R"("text":"t","created_at":"yesterday [at] noon")"), true},
        {"author missing from includes", R"({"data":[{"id":"11","author_id":"404","text":"t"}]})", true},
        {"no posts", R"({"meta":{"result_count":0}})", true},
        {"entries that are no objects", R"({"data":[1,"x",null,{"id":"2","text":"t"}]})", true},
        {"partial errors and a next token",
         R"({"data":[{"id":"2","text":"t"}],"errors":[{"title":"Not Found Error","resource_type":"tweet",)"
         R"("value":"8"}],"meta":{"next_token":"abc"}})",
         true},
        {"stray backslash before a letter beyond ASCII",
         Page(R"("text":"a\т b")", R"("name":"A","username":"a","description":"x\т")"), true},
        {"not JSON", "<html>portal</html>", false},
        {"cut short", R"({"data":[{"id":"2","text":"t"})", false},
    };
    for (const Case& c : cases) {
        for (const bool exact : {false, true}) {
            for (const bool search : {true, false}) {
                V2PagePaths paths{search, exact};
                EXPECT_EQ(paths.Direct(c.body), paths.Reference(c.body)) << c.what << ", exact " << exact;
                EXPECT_EQ(paths.direct, c.direct) << c.what;
            }
        }
    }
}

// A backslash before a letter beyond ASCII (no JSON escape, yet simdjson lets it pass) once
// took the text's closing quote with the letter: the v1.1 page ran on, and the posts after
// it were lost.
TEST(V2RecordsTest, AStrayBackslashLosesNoPost) {
    const std::string body = R"({"data":[{"id":"1","text":"ends \т"},{"id":"2","text":"next"}]})";
    for (const bool exact : {false, true}) {
        V2PagePaths paths{true, exact};
        const std::string reference = paths.Reference(body);
        EXPECT_EQ(paths.Direct(body), reference);
        EXPECT_NE(reference.find("count 3\n"), std::string::npos) << reference;
        EXPECT_NE(reference.find("\tnext\t"), std::string::npos) << reference;
    }
}

}  // namespace
}  // namespace marlin
