// The v2 dialect of the service client against the emulator, which serves v1.1 and v2 from
// one corpus: the same requests in both dialects give the same records.
#include <gtest/gtest.h>

#include <functional>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedToolkit;

struct RunningEmulator : emulator::Emulator {
    explicit RunningEmulator(emulator::EmulatorConfig config = {}) : Emulator(std::move(config)) { Start(); }
};

// A client of the emulator in one dialect, its request-log lines kept.
struct Client {
    Client(RunningEmulator& service, ApiVersion version) : api(kit, Requests(), service.BaseUrl()) {
        const auto& config = service.Config();
        api.SetApiVersion(version);
        api.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret);
        api.SetErrorLog([this](const std::string& line) { log.push_back(line); });
        api.Tweets.SetNoticeSink([](const std::string&) {});
        api.Users.SetNoticeSink([](const std::string&) {});
    }
    static HttpRequestFactory Requests() {
        return CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""});
    }
    ScriptedToolkit kit;
    TwitterAPI api;
    std::vector<std::string> log;
};

// Up to `pages` pages of a tweet request, each below the oldest tweet held.
void TweetPages(TwitterAPI& api, int pages, const std::function<std::string(const std::string&)>& fetch) {
    std::string maxId;
    for (int page = 0; page < pages; ++page) {
        if (fetch(maxId) == TwitterAPI::kFailed || api.LastResponseCount() <= 0) return;
        maxId = api.Tweets.OldestTweetId(true);
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
    std::function<void(TwitterAPI&, const emulator::Emulator&)> run;
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
         [](TwitterAPI& api, const emulator::Emulator& s) {
             TweetPages(api, 3, [&](const std::string& maxId) {
                 std::string count = "100";
                 return api.GetSearch(s.Queries().common, "", "", "", maxId, count, true, "recent");
             });
         }},
        {"timeline",
         [](TwitterAPI& api, const emulator::Emulator& s) {
             TweetPages(api, 2, [&](const std::string& maxId) {
                 return api.GetUserTimeLine(s.Users().international, true, "", maxId, "100", true);
             });
         }},
        {"look-up",
         [](TwitterAPI& api, const emulator::Emulator& s) {
             const std::string names = s.Users().demo + "," + s.Users().verified + "," +
                                       s.Users().international + "," + s.Users().midsize;
             api.GetUsersLookUp("", names, false);
         }},
        {"followers",
         [](TwitterAPI& api, const emulator::Emulator& s) {
             api.GetFollowersList("", s.Users().midsize, "200", false);
             api.GetFollowersList("", s.Users().midsize, "200", true);
         }},
        {"friends",
         [](TwitterAPI& api, const emulator::Emulator& s) {
             api.GetFriendsList("", s.Users().demo, "200", false);
         }},
    };
    for (const Capture& capture : captures) {
        SCOPED_TRACE(capture.name);
        v11.api.Clear();
        v2.api.Clear();
        capture.run(v11.api, service);
        capture.run(v2.api, service);
        const TweetSet& t1 = v11.api.Tweets;
        const TweetSet& t2 = v2.api.Tweets;
        ASSERT_EQ(t2.Count(), t1.Count());
        for (int i = 1; i <= t1.Count(); ++i)
            EXPECT_EQ(TweetFields(t2, i), TweetFields(t1, i, &t2)) << "tweet " << i;
        ASSERT_EQ(v2.api.Users.Count(), v11.api.Users.Count());
        for (int i = 1; i <= v11.api.Users.Count(); ++i)
            EXPECT_EQ(UserFields(v2.api.Users.Item(i)), UserFields(v11.api.Users.Item(i))) << "user " << i;
        EXPECT_GT(t1.Count() + v11.api.Users.Count(), 0);
    }
}

}  // namespace
}  // namespace marlin
