// The v2 dialect of the service client against the emulator, which serves v1.1 and v2 from
// one corpus: the same requests in both dialects give the same records.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include <simdjson.h>

#include "core/raw_archive.h"
#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "test_support.h"
#include "toolkit_hosts.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedToolkit;

struct RunningEmulator : emulator::Emulator {
    explicit RunningEmulator(emulator::EmulatorConfig config = {}) : Emulator(std::move(config)) { Start(); }
};

// A client of the emulator in one dialect with the records it asked for, its request-log
// lines kept.
struct Client : testing::ToolkitExchangeHost {
    Client(RunningEmulator& service, ApiVersion version)
        : ToolkitExchangeHost(kit), api(*this, Requests(), service.BaseUrl()) {
        const auto& config = service.Config();
        api.SetApiVersion(version);
        api.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret);
        tweets.SetNoticeSink([](const std::string&) {});
        users.SetNoticeSink([](const std::string&) {});
    }
    static HttpRequestFactory Requests() {
        return CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""});
    }
    void ErrorLine(const std::string& line) override { log.push_back(line); }
    void Clear() {
        tweets.Clear();
        users.Clear();
    }
    ScriptedToolkit kit;
    TweetSet tweets{kit.Yielder()};
    UserSet users{kit.Yielder()};
    TwitterAPI api;
    std::vector<std::string> log;
};

// Up to `pages` pages of a tweet request, each below the oldest tweet held.
void TweetPages(Client& client, int pages, const std::function<RequestOutcome(const std::string&)>& fetch) {
    std::string maxId;
    for (int page = 0; page < pages; ++page) {
        if (fetch(maxId).Count() <= 0) return;
        maxId = client.tweets.OldestTweetId(true);
    }
}

// The tweet fields; v1's as v2 gives them where v2 cannot give the same: the UTC offset,
// and a text v1.1 cut at 140 characters (with the link to the whole post it adds).
std::vector<std::string> TweetFields(const TweetSet& set, int i, const TweetSet* v2 = nullptr) {
    TweetSet::Record r = set.Item(i);
    if (v2) {
        r.UTC_Offset = 0;
        const std::size_t cut = r.Text.find("[...] https://t.co/");
        if (cut != std::string::npos && v2->Text(i).compare(0, cut, r.Text, 0, cut) == 0) {
            r.Text = v2->Text(i);
            r.LinkURL = v2->LinkURL(i);
        }
    }
    return {r.DateTime,
            r.ScreenName,
            r.Text,
            r.TweetID,
            r.RealName,
            std::to_string(r.Followers),
            std::to_string(r.Following),
            r.Location,
            std::to_string(r.UTC_Offset),
            r.GeoCoords,
            r.UserTweets,
            std::to_string(r.Retweeted),
            r.LinkURL,
            r.Description};
}

std::vector<std::string> UserFields(const UserSet::Record& r) {
    return {r.CreatedAt,
            r.Description,
            std::to_string(r.Followers),
            std::to_string(r.Friends),
            r.Id,
            std::to_string(r.ListedCount),
            r.Location,
            r.RealName,
            std::to_string(r.Protected),
            r.ScreenName,
            std::to_string(r.StatusCount),
            r.URL,
            std::to_string(r.Verified),
            r.ProfileImage};
}

struct Capture {
    const char* name;
    std::function<void(Client&, const emulator::Emulator&)> run;
};

class V2DialectTest : public ::testing::Test {
  protected:
    RunningEmulator service;
    Client v11{service, ApiVersion::V1_1};
    Client v2{service, ApiVersion::V2};
};

TEST_F(V2DialectTest, EachRequestGivesTheRecordsOfTheV11Page) {
    const std::vector<Capture> captures = {
        {"search",
         [](Client& c, const emulator::Emulator& s) {
             TweetPages(c, 3, [&](const std::string& maxId) {
                 std::string count = "100";
                 return c.api.GetSearch(s.Queries().common, "", "", maxId, count, c.tweets, true, "recent");
             });
         }},
        {"timeline",
         [](Client& c, const emulator::Emulator& s) {
             TweetPages(c, 2, [&](const std::string& maxId) {
                 return c.api.GetUserTimeLine(s.Users().international, true, "", maxId, "100", c.tweets,
                                              true);
             });
         }},
        {"look-up",
         [](Client& c, const emulator::Emulator& s) {
             const std::string names = s.Users().demo + "," + s.Users().verified + "," +
                                       s.Users().international + "," + s.Users().midsize;
             c.api.GetUsersLookUp("", names, c.users, false);
         }},
        {"followers",
         [](Client& c, const emulator::Emulator& s) {
             c.api.GetFollowersList("", s.Users().midsize, "200", c.users, false);
             c.api.GetFollowersList("", s.Users().midsize, "200", c.users, true);
         }},
        {"friends",
         [](Client& c, const emulator::Emulator& s) {
             c.api.GetFriendsList("", s.Users().demo, "200", c.users, false);
         }},
    };
    for (const Capture& capture : captures) {
        SCOPED_TRACE(capture.name);
        v11.Clear();
        v2.Clear();
        capture.run(v11, service);
        capture.run(v2, service);
        const TweetSet& t1 = v11.tweets;
        const TweetSet& t2 = v2.tweets;
        ASSERT_EQ(t2.Count(), t1.Count());
        for (int i = 1; i <= t1.Count(); ++i)
            EXPECT_EQ(TweetFields(t2, i), TweetFields(t1, i, &t2)) << "tweet " << i;
        ASSERT_EQ(v2.users.Count(), v11.users.Count());
        for (int i = 1; i <= v11.users.Count(); ++i)
            EXPECT_EQ(UserFields(v2.users.Item(i)), UserFields(v11.users.Item(i))) << "user " << i;
        EXPECT_GT(t1.Count() + v11.users.Count(), 0);
    }
}

TEST(V2DialectQuirksTest, PartialErrorsKeepTheRecordsAndLogOneLinePerKind) {
    emulator::EmulatorConfig config;
    config.goneShare = 1.0;
    RunningEmulator service(config);
    Client v11(service, ApiVersion::V1_1);
    Client v2(service, ApiVersion::V2);
    for (Client* client : {&v11, &v2}) {
        std::string count = "100";
        client->api.GetSearch(service.Queries().common, "", "", "", count, client->tweets, false, "recent");
    }
    EXPECT_EQ(v2.tweets.Count(), v11.tweets.Count());
    ASSERT_FALSE(v2.log.empty());
    const std::set<std::string> kinds(v2.log.begin(), v2.log.end());
    EXPECT_EQ(kinds.size(), v2.log.size());
    for (const std::string& line : v2.log)
        EXPECT_EQ(line.rfind("GetSearch: partial answer, ", 0), 0u) << line;
    EXPECT_NE(v2.log.front().find(" x Not Found Error (tweet)"), std::string::npos) << v2.log.front();
}

// Refusals say what the service said; a v1.1 request outside today's access names the way out.
TEST(V2DialectQuirksTest, RefusalsCarryTheServicesReason) {
    emulator::EmulatorConfig config;
    config.v11Refused = true;
    RunningEmulator service(config);
    Client v11(service, ApiVersion::V1_1);
    Client v2(service, ApiVersion::V2);
    std::string count = "100";
    const RequestOutcome refused =
        v11.api.GetSearch(service.Queries().rare, "", "", "", count, v11.tweets, false, "recent");
    EXPECT_TRUE(refused.Failed());
    EXPECT_EQ(refused.responseCode,
              "403:Forbidden: the application's access does not include this v1.1 request; choose Settings "
              "\u203A \"Service\" \u203A \"X (v2)\"");
    EXPECT_TRUE(refused.V11AccessRefused());
    EXPECT_TRUE(
        v2.api.GetSearch(service.Queries().rare, "", "", "", count, v2.tweets, false, "recent").Answered());
    EXPECT_GT(v2.tweets.Count(), 0);

    const RequestOutcome unknown =
        v2.api.GetUserTimeLine("no_such_account_x", true, "", "", "100", v2.tweets, false);
    EXPECT_TRUE(unknown.Failed());
    EXPECT_EQ(unknown.responseCode.rfind("404:Not Found: Not Found Error: Could not find user", 0), 0u)
        << unknown.responseCode;
    EXPECT_EQ(unknown.serviceError.rfind("Not Found Error: Could not find user", 0), 0u)
        << unknown.serviceError;
    std::string ids = "1";
    for (int k = 2; k <= 101; ++k) ids.append(",").append(std::to_string(k));
    const RequestOutcome tooMany = v2.api.GetUsersLookUp(ids, "", v2.users, false);
    EXPECT_TRUE(tooMany.Failed());
    EXPECT_EQ(tooMany.responseCode.rfind("400:Bad Request: Invalid Request", 0), 0u) << tooMany.responseCode;
}

// The full archive allows one request a second; a 429 with requests left means "too fast".
TEST(V2DialectQuirksTest, FullArchiveSearchKeepsThePaceAndResendsWhenTooFast) {
    struct Case {
        int servicePaceMs;
        bool refusalsExpected;
    };
    for (const Case c : {Case{1000, false}, Case{1600, true}}) {
        SCOPED_TRACE(c.servicePaceMs);
        emulator::EmulatorConfig config;
        config.archivePaceMs = c.servicePaceMs;
        RunningEmulator service(config);
        Client v2(service, ApiVersion::V2);
        v2.api.SetFullArchiveSearch(true);
        service.ClearRequests();
        TweetPages(v2, 3, [&](const std::string& maxId) {
            std::string count = "100";
            return v2.api.GetSearch(service.Queries().common, "", "", maxId, count, v2.tweets, true,
                                    "recent");
        });
        EXPECT_EQ(v2.tweets.Count(), 300);
        const auto requests = service.Requests();
        EXPECT_EQ(requests.size() > 3, c.refusalsExpected) << requests.size();
        EXPECT_EQ(v2.api.SearchRateLimit(), 300);
        EXPECT_EQ(v2.api.SearchRateLimitRemaining(), 297);
    }
}

TEST_F(V2DialectTest, SearchesSendTheV2RequestOfTheV11One) {
    const std::time_t start = service.Now() - 3 * 86400;
    v2.api.SetSearchStartTime(start);
    std::string count = "100";
    v2.api.GetSearch("data", "en", "", "2130651782903235499", count, v2.tweets, false, "recent");
    v2.api.GetSearch("data", "en", "2130651782903235503", "", count, v2.tweets, false, "recent");
    const auto requests = service.Requests();
    ASSERT_GE(requests.size(), 2u);
    const emulator::LoggedRequest& back = requests[requests.size() - 2];
    const emulator::LoggedRequest& update = requests.back();
    EXPECT_EQ(back.path, "/2/tweets/search/recent");
    EXPECT_EQ(back.Param("query"), "data lang:en");
    EXPECT_EQ(back.Param("until_id"), "2130651782903235500");
    EXPECT_EQ(back.Param("start_time"), V2Translator::IsoTime(start));
    EXPECT_EQ(back.params.count("since_id"), 0u);
    EXPECT_EQ(update.Param("since_id"), "2130651782903235503");
    EXPECT_EQ(update.params.count("start_time"), 0u);
    EXPECT_EQ(update.params.count("until_id"), 0u);
}

TEST_F(V2DialectTest, CountsFollowEveryPageAndMatchTheSearch) {
    const std::string query = service.Queries().rare;
    const TwitterAPI::Counts counts = v2.api.GetTweetCounts(query, "", 0, 0);
    ASSERT_TRUE(counts.outcome.Answered());
    const std::vector<TweetCountDay>* days = &counts.days;
    int64_t total = 0;
    for (const TweetCountDay& day : *days) total += day.posts;
    EXPECT_EQ(total, static_cast<int64_t>(service.Data().SearchIds(query).size()));
    EXPECT_GE(days->size(), 6u);
    EXPECT_TRUE(std::is_sorted(days->begin(), days->end(),
                               [](const auto& a, const auto& b) { return a.date < b.date; }));
}

// Each post of a v2 page is one archive line that needs nothing else of the page.
TEST_F(V2DialectTest, TheArchiveLineOfAPostStandsAlone) {
    std::string count = "100";
    const RequestOutcome page =
        v2.api.GetSearch(service.Queries().common, "", "", "", count, v2.tweets, false, "recent");
    testing::TempFolder folder;
    RawArchive archive(folder / "a.jsonl");
    EXPECT_EQ(archive.AppendPage(page.body), v2.tweets.Count());
    EXPECT_EQ(archive.AppendPage(page.body), 0);  // the same ids again

    simdjson::dom::parser parser;
    int references = 0;
    int joined = 0;
    int places = 0;
    const std::string text = testing::ReadFileBytes(folder / "a.jsonl");
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const simdjson::dom::element post = parser.parse(text.substr(start, end - start));
        EXPECT_EQ(post["author"]["id"].get_string().value(), post["author_id"].get_string().value());
        std::string_view placeId;
        if (post["geo"]["place_id"].get(placeId) == simdjson::SUCCESS) {
            ++places;
            EXPECT_EQ(post["geo"]["place"]["id"].get_string().value(), placeId);
        }
        simdjson::dom::array refs;
        if (post["referenced_tweets"].get(refs) != simdjson::SUCCESS) continue;
        for (simdjson::dom::element ref : refs) {
            ++references;
            simdjson::dom::element tweet;
            if (ref["tweet"].get(tweet) != simdjson::SUCCESS) continue;  // gone
            ++joined;
            EXPECT_EQ(tweet["id"].get_string().value(), ref["id"].get_string().value());
            EXPECT_EQ(tweet["author"]["id"].get_string().value(), tweet["author_id"].get_string().value());
        }
    }
    EXPECT_GT(joined, 0);
    EXPECT_LE(joined, references);
    EXPECT_GT(places, 0);
}

}  // namespace
}  // namespace marlin
