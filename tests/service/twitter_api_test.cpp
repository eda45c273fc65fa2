// The service client against the emulator on loopback: what each method sends, what it
// keeps from the answer, and how failures reach the user.
#include "service/twitter_api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "emulator/corpus.h"
#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "test_support.h"
#include "toolkit_hosts.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using emulator::Family;
using emulator::Fault;
using emulator::LoggedRequest;
using testing::ScriptedToolkit;
using testing::ToolkitExchangeHost;

constexpr const char* kTroubleContacting = "SKD is having trouble contacting the server. Try again?";

struct RunningEmulator : emulator::Emulator {
    RunningEmulator() { Start(); }
};

HttpRequestFactory Requests(std::chrono::milliseconds total) {
    return CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = total, .caFile = ""});
}

// The names of the headers a request carried besides Host, sorted: the server's log does
// not keep their order (the order on the wire is checked against the loopback listener).
std::vector<std::string> HeaderNames(const LoggedRequest& request) {
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers)
        if (name != "Host") names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

class TwitterApiTest : public ::testing::Test {
  protected:
    // The retry questions shown so far (a page without records brings a notice of its own).
    std::vector<ScriptedToolkit::ShownMessage> Questions() const {
        std::vector<ScriptedToolkit::ShownMessage> questions;
        for (const auto& message : kit.messages)
            if (message.title.rfind("Recoverable error within ", 0) == 0) questions.push_back(message);
        return questions;
    }

    void Authenticate(TwitterAPI& client) {
        const auto& config = service.Config();
        ASSERT_EQ(client.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret),
                  service.IssueToken());
    }
    void SetUp() override {
        Authenticate(api);
        service.ClearRequests();
    }

    RequestOutcome Search(const std::string& query, std::string count = "100", const std::string& maxId = "",
                          bool append = true) {
        return api.GetSearch(query, "", "", maxId, count, tweets, append, "recent");
    }
    // The path and query of the only request since the last call.
    std::string OnlyTarget() {
        const auto requests = service.Requests();
        service.ClearRequests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? std::string() : requests.back().target;
    }

    RunningEmulator service;
    ScriptedToolkit kit;
    ToolkitExchangeHost host{kit};
    TweetSet tweets{kit.Yielder()};
    UserSet users{kit.Yielder()};
    TwitterAPI api{host, Requests(20s), service.BaseUrl()};
};

TEST_F(TwitterApiTest, TokenRequestSendsFourHeadersAndTheFormBody) {
    TwitterAPI client(host, Requests(20s), service.BaseUrl());
    Authenticate(client);
    EXPECT_EQ(client.BearerToken(), service.IssueToken());

    const LoggedRequest sent = service.Requests().at(0);
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.target, "/oauth2/token?grant_type=client_credentials");
    EXPECT_EQ(HeaderNames(sent),
              (std::vector<std::string>{"Authorization", "Content-Length", "Content-Type", "User-Agent"}));
    EXPECT_EQ(sent.Header("User-Agent"), service.Config().appName);
    // Key and secret together are longer than one line of the encoder; the value is one line.
    EXPECT_EQ(sent.Header("Authorization"), service.BasicCredentials());
    EXPECT_EQ(sent.Header("Content-Type"), "application/x-www-form-urlencoded;charset=UTF-8");
    EXPECT_EQ(sent.Header("Content-Length"), "29");
    EXPECT_EQ(sent.body, "grant_type=client_credentials");

    // The token request changes nothing else: the next request that sends nothing reports
    // no code and no answer.
    const RequestOutcome none = client.GetUserTimeLine("", true, "", "", "200", tweets, false);
    EXPECT_EQ(none.responseCode, "");
    EXPECT_EQ(none.body, "");
    EXPECT_EQ(client.SearchRateLimitRemaining(), 450);
}

TEST_F(TwitterApiTest, FailedTokenRequestsGiveAnEmptyTextAndStoreNothing) {
    TwitterAPI client(host, Requests(20s), service.BaseUrl());
    const auto& config = service.Config();
    EXPECT_EQ(client.AuthAppAccess(config.appName, config.consumerKey, "wrong"), "");
    service.InjectFault(Family::Token, Fault::CloseConnection, 1);
    EXPECT_EQ(client.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret), "");
    service.InjectFault(Family::Token, Fault::Error503, 1);
    EXPECT_EQ(client.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret), "");
    EXPECT_EQ(client.BearerToken(), "");
    EXPECT_TRUE(kit.messages.empty());
    // Without a token the status requests send nothing.
    std::string count = "100";
    service.ClearRequests();
    EXPECT_EQ(client.GetSearch("marlin", "", "", "", count, tweets, false, "recent").status,
              RequestOutcome::Status::NotSent);
    EXPECT_EQ(client.GetUserTimeLine("somebody", true, "", "", "200", tweets, false).status,
              RequestOutcome::Status::NotSent);
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(TwitterApiTest, ATokenAnswerSlowerThanFiveSecondsIsAFailure) {
    TwitterAPI client(host, Requests(20s), service.BaseUrl());
    service.InjectFault(Family::Token, Fault::Stall, 1, 8);
    const auto& config = service.Config();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(client.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret), "");
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 4900ms);
    EXPECT_LT(waited, 7s);
}

TEST_F(TwitterApiTest, RequestsCarryOnlyTheApplicationNameAndTheBearerToken) {
    Search(service.Queries().rare);
    const LoggedRequest sent = service.Requests().at(0);
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(HeaderNames(sent), (std::vector<std::string>{"Authorization", "User-Agent"}));
    EXPECT_EQ(sent.Header("User-Agent"), service.Config().appName);
    EXPECT_EQ(sent.Header("Authorization"), "Bearer " + service.IssueToken());
}

TEST_F(TwitterApiTest, SearchClampsTheCountAndOrdersItsParameters) {
    std::string count = "500";
    api.GetSearch("a b#c", "", "", "", count, tweets, false, "recent");
    EXPECT_EQ(count, "100");
    EXPECT_EQ(OnlyTarget(), "/1.1/search/tweets.json?q=a%20b%23c&count=100&lang=&result_type=recent");

    for (std::string small : {"5", "abc", ""}) {
        api.GetSearch("x", "en", "", "", small, tweets, false, "recent");
        EXPECT_EQ(small, "10");
        EXPECT_EQ(OnlyTarget(), "/1.1/search/tweets.json?q=x&count=10&lang=en&result_type=recent");
    }

    count = "50";
    api.GetSearch("x", "", "300", "900", count, tweets, false, "recent");
    EXPECT_EQ(count, "50");
    EXPECT_EQ(OnlyTarget(),
              "/1.1/search/tweets.json?q=x&count=50&lang=&result_type=recent&max_id=900&since_id=300");
}

TEST_F(TwitterApiTest, TimelineQueriesStartWithAnEmptyParameter) {
    api.GetUserTimeLine("somebody", true, "", "", "200", tweets, false);
    EXPECT_EQ(OnlyTarget(), "/1.1/statuses/user_timeline.json?&count=200&screen_name=somebody");
    api.GetUserTimeLine("12345", false, "3", "5", "200", tweets, false);
    EXPECT_EQ(OnlyTarget(), "/1.1/statuses/user_timeline.json?&count=200&user_id=12345&max_id=5&since_id=3");

    const std::string demo = service.Users().demo;
    const RequestOutcome page = api.GetUserTimeLine(demo, true, "", "", "200", tweets, false);
    EXPECT_TRUE(page.Answered());
    EXPECT_NE(page.body.find("\"id_str\""), std::string::npos);
    EXPECT_EQ(page.responseCode, "200:OK");
    EXPECT_EQ(page.Count(), tweets.Count());
    EXPECT_GT(tweets.Count(), 0);
    EXPECT_EQ(tweets.ScreenName(1), demo);
    EXPECT_EQ(api.UTLRateLimit(), service.Config().limits[1]);
    EXPECT_LT(api.UTLRateLimitRemaining(), service.Config().limits[1]);
}

TEST_F(TwitterApiTest, FollowerPagesContinueFromTheCursorAndAFreshRequestStartsOver) {
    const std::string name = service.Users().midsize;
    const RequestOutcome first = api.GetFollowersList("", name, "200", users, false);
    EXPECT_EQ(OnlyTarget(), "/1.1/followers/list.json?screen_name=" + name + "&user_id=&count=200&cursor=-1");
    EXPECT_EQ(users.Count(), 200);
    const std::string cursor = users.NextCursor();
    ASSERT_NE(cursor, "-1");
    ASSERT_NE(cursor, "0");
    EXPECT_EQ(api.Window(ResourceFamily::FollowersList).remaining, service.Config().limits[3] - 1);
    EXPECT_EQ(first.Count(), 200);  // the users of the page
    EXPECT_EQ(tweets.Count(), 0);

    api.GetFollowersList("", name, "200", users, true);
    EXPECT_EQ(OnlyTarget(),
              "/1.1/followers/list.json?screen_name=" + name + "&user_id=&count=200&cursor=" + cursor);
    EXPECT_GT(users.Count(), 200);

    // Starting afresh drops the earlier users even when the request is refused.
    service.SetRemaining(Family::FriendsList, 0);
    EXPECT_EQ(api.GetFriendsList("42", "", "200", users, false).status, RequestOutcome::Status::Refused);
    EXPECT_EQ(OnlyTarget(), "/1.1/friends/list.json?screen_name=&user_id=42&count=200&cursor=-1");
    EXPECT_EQ(users.Count(), 0);
    EXPECT_EQ(users.NextCursor(), "-1");

    EXPECT_EQ(api.GetFriendsList("", "", "200", users, false).status, RequestOutcome::Status::NotSent);
    EXPECT_TRUE(service.Requests().empty());
}

TEST_F(TwitterApiTest, UsersLookupPrefersIdsAndSendsListsAsGiven) {
    api.GetUsersLookUp("1,2,3,", "alice,bob", users, false);
    EXPECT_EQ(OnlyTarget(), "/1.1/users/lookup.json?user_id=1,2,3,");

    const auto names = service.Users();
    const std::string list = names.demo + "," + names.verified + ",";
    EXPECT_TRUE(api.GetUsersLookUp("", list, users, false).Answered());
    EXPECT_EQ(OnlyTarget(), "/1.1/users/lookup.json?screen_name=" + list);
    EXPECT_EQ(users.Count(), 2);
    EXPECT_EQ(api.ULRateLimit(), service.Config().limits[2]);

    const RequestOutcome none = api.GetUsersLookUp("", "", users, true);
    EXPECT_EQ(none.body, "");
    EXPECT_TRUE(service.Requests().empty());
    EXPECT_EQ(none.Count(), -1);
}

TEST_F(TwitterApiTest, FollowerIdsAsksForTheFirstPageAndTouchesNoWindow) {
    const std::string name = service.Users().demo;
    const RequestOutcome ids = api.GetFollowerIds(name);
    EXPECT_EQ(OnlyTarget(), "/1.1/followers/ids.json?cursor=-1&screen_name=" + name + "&count=5000");
    EXPECT_TRUE(ids.Answered());
    EXPECT_NE(ids.body.find("\"ids\""), std::string::npos);
    EXPECT_EQ(ids.responseCode, "200:OK");
    for (auto family : {ResourceFamily::UserTimeline, ResourceFamily::Search, ResourceFamily::FollowersList,
                        ResourceFamily::FriendsList, ResourceFamily::UsersLookup})
        EXPECT_EQ(api.Window(family).reset, 0);
    EXPECT_EQ(api.GetFollowerIds("").status, RequestOutcome::Status::NotSent);
}

TEST_F(TwitterApiTest, QuotaWindowsFollowTheHeadersOfEachFamily) {
    EXPECT_EQ(api.SearchRateLimitRemaining(), 450);
    Search(service.Queries().rare);
    EXPECT_EQ(api.SearchRateLimit(), 450);
    EXPECT_EQ(api.SearchRateLimitRemaining(), 449);
    Search(service.Queries().rare);
    EXPECT_EQ(api.SearchRateLimitRemaining(), 448);

    const int32_t reset = api.Window(ResourceFamily::Search).reset;
    const std::time_t now = std::time(nullptr);
    EXPECT_GT(reset, now - 5);
    EXPECT_LE(reset, now + service.Config().windowSeconds + 5);
    // Only the search family moved.
    EXPECT_EQ(api.UTLRateLimitRemaining(), 300);
    EXPECT_EQ(api.UTLRateLimit(), 0);

    // The next window start is the reset time in local clock time.
    std::time_t resetTime = reset;
    std::tm local{};
    localtime_r(&resetTime, &local);
    EXPECT_EQ(api.SearchNextLimitReset(),
              (SKDFuncs::DateValue{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                   local.tm_min, local.tm_sec}));
}

TEST_F(TwitterApiTest, RefusedRequestsFailWithoutTouchingWindowsOrRecords) {
    const std::string common = service.Queries().common;
    ASSERT_TRUE(Search(common).Answered());
    const int held = tweets.Count();
    ASSERT_GT(held, 0);
    const QuotaWindow before = api.Window(ResourceFamily::Search);

    service.SetRemaining(Family::Search, 0);
    const RequestOutcome refused = Search(common, "100", tweets.OldestTweetId(true));
    EXPECT_EQ(refused.status, RequestOutcome::Status::Refused);
    EXPECT_EQ(refused.responseCode, "429:Too Many Requests");
    EXPECT_EQ(refused.httpStatus, 429);
    EXPECT_EQ(refused.reason, "Too Many Requests");
    EXPECT_EQ(refused.retryAt, static_cast<std::time_t>(before.reset));
    EXPECT_TRUE(refused.WindowSpent());
    EXPECT_EQ(refused.Count(), -1);
    EXPECT_EQ(api.Window(ResourceFamily::Search).remaining, before.remaining);
    EXPECT_EQ(api.Window(ResourceFamily::Search).limit, before.limit);
    EXPECT_EQ(api.Window(ResourceFamily::Search).reset, before.reset);
    EXPECT_EQ(tweets.Count(), held);
    EXPECT_EQ(refused.body, "");

    const RequestOutcome closed =
        api.GetUserTimeLine(service.Users().protectedUser, true, "", "", "200", tweets, true);
    EXPECT_EQ(closed.status, RequestOutcome::Status::Refused);
    EXPECT_EQ(closed.responseCode.substr(0, 4), "401:");
    EXPECT_EQ(api.UTLRateLimitRemaining(), 300);
    EXPECT_EQ(tweets.Count(), held);

    service.InjectFault(Family::UsersLookup, Fault::Error500, 1);
    const RequestOutcome broken = api.GetUsersLookUp("", service.Users().demo, users, false);
    EXPECT_TRUE(broken.Failed());
    EXPECT_EQ(broken.responseCode, "500:Internal Server Error");

    // A client without a token still sends user requests, with an empty bearer, and is refused.
    TwitterAPI stranger(host, Requests(20s), service.BaseUrl());
    const RequestOutcome unknown = stranger.GetFollowersList("", service.Users().demo, "200", users, false);
    EXPECT_TRUE(unknown.Failed());
    EXPECT_EQ(unknown.responseCode.substr(0, 1), "4");
    EXPECT_EQ(service.Requests().back().Header("Authorization").rfind("Bearer", 0), 0u);
    EXPECT_TRUE(kit.messages.empty());
}

TEST_F(TwitterApiTest, SearchRetriesADroppedConnectionUntilTheUserGivesUp) {
    const std::string rare = service.Queries().rare;
    service.InjectFault(Family::Search, Fault::CloseConnection, 2);
    kit.messageAnswers = {MsgResult::Yes, MsgResult::Yes};
    const RequestOutcome answered = Search(rare, "100", "", false);
    EXPECT_TRUE(answered.Answered());
    EXPECT_EQ(answered.responseCode, "200:OK");
    ASSERT_EQ(Questions().size(), 2u);
    EXPECT_EQ(Questions()[0].text, "SKD is having trouble accessing the API server. Try again?");
    EXPECT_EQ(Questions()[0].title, "Recoverable error within GetSearch");
    EXPECT_EQ(Questions()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(service.Requests().size(), 3u);

    kit.messages.clear();
    service.InjectFault(Family::Search, Fault::CloseConnection, 1);
    kit.messageAnswers = {MsgResult::No};
    const RequestOutcome declined = Search(rare);
    EXPECT_EQ(declined.status, RequestOutcome::Status::Failed);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(declined.responseCode, "Couldn't access the API server");
    EXPECT_EQ(declined.Count(), -1);
    EXPECT_EQ(declined.body, "");
}

TEST_F(TwitterApiTest, AnAnswerLargerThanTheLimitBringsTheQuestion) {
    CurlRequestOptions small;
    small.maxResponseBytes = 2000;
    TwitterAPI bounded(host, CurlHttpRequest::Factory(small), service.BaseUrl());
    Authenticate(bounded);
    kit.messageAnswers = {MsgResult::No};
    std::string count = "100";
    const RequestOutcome declined =
        bounded.GetSearch(service.Queries().rare, "", "", "", count, tweets, false, "recent");
    EXPECT_TRUE(declined.Failed());
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].title, "Recoverable error within GetSearch");
    EXPECT_EQ(declined.responseCode, "Couldn't access the API server");
    EXPECT_EQ(tweets.Count(), 0);
}

TEST_F(TwitterApiTest, AMissingResetHeaderKeepsWhatWasReadBeforeIt) {
    service.InjectFault(Family::UserTimeline, Fault::OmitReset, 1);
    kit.messageAnswers = {MsgResult::No};
    const RequestOutcome declined =
        api.GetUserTimeLine(service.Users().demo, true, "", "", "200", tweets, false);
    EXPECT_EQ(declined.status, RequestOutcome::Status::Failed);

    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].text, kTroubleContacting);
    EXPECT_EQ(Questions()[0].title, "Recoverable error within GetUserTimeLine");
    EXPECT_EQ(service.Requests().size(), 1u);
    EXPECT_NE(declined.body.find("\"id_str\""), std::string::npos);
    EXPECT_EQ(api.UTLRateLimit(), service.Config().limits[1]);
    EXPECT_EQ(api.UTLRateLimitRemaining(), service.Config().limits[1] - 1);
    EXPECT_EQ(api.Window(ResourceFamily::UserTimeline).reset, 0);
    EXPECT_EQ(tweets.Count(), 0);
    EXPECT_EQ(declined.Count(), -1);
    EXPECT_EQ(declined.responseCode, "");
}

TEST_F(TwitterApiTest, YesToAMissingHeaderSendsTheRequestAgain) {
    // Reading the same answer again would never find the header: the question would come
    // back for ever.
    service.InjectFault(Family::UserTimeline, Fault::OmitReset, 1);
    kit.messageAnswers = {MsgResult::Yes};
    const RequestOutcome answered =
        api.GetUserTimeLine(service.Users().demo, true, "", "", "200", tweets, false);
    EXPECT_TRUE(answered.Answered());

    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(service.Requests().size(), 2u);
    EXPECT_GT(api.Window(ResourceFamily::UserTimeline).reset, 0);
    EXPECT_GT(tweets.Count(), 0);
    EXPECT_EQ(answered.responseCode, "200:OK");
}

TEST_F(TwitterApiTest, AStallPastTheTimeOutBringsTheQuestion) {
    TwitterAPI impatient(host, Requests(1000ms), service.BaseUrl());
    Authenticate(impatient);
    service.InjectFault(Family::UsersLookup, Fault::Stall, 1, 4);
    kit.messageAnswers = {MsgResult::Yes};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(impatient.GetUsersLookUp("", service.Users().demo, users, false).Answered());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3500ms);
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].text, kTroubleContacting);
    EXPECT_EQ(Questions()[0].title, "Recoverable error within GetUsersLookUp");
    EXPECT_EQ(users.Count(), 1);
}

TEST_F(TwitterApiTest, ListRequestsResendOnceAndThenPassTheErrorOn) {
    const std::string name = service.Users().demo;
    service.InjectFault(Family::FriendsList, Fault::CloseConnection, 1);
    kit.messageAnswers = {MsgResult::Yes};
    EXPECT_TRUE(api.GetFriendsList("", name, "200", users, false).Answered());
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_EQ(Questions()[0].title, "Recoverable error within GetFriendsList");
    EXPECT_GT(users.Count(), 0);

    service.InjectFault(Family::FollowersList, Fault::CloseConnection, 2);
    kit.messageAnswers = {MsgResult::Yes};
    EXPECT_THROW(api.GetFollowersList("", name, "200", users, false), HttpError);
    EXPECT_EQ(Questions().size(), 2u);
    EXPECT_EQ(Questions()[1].title, "Recoverable error within GetFollowersList");

    service.InjectFault(Family::FollowersList, Fault::CloseConnection, 1);
    kit.messageAnswers = {MsgResult::No};
    const RequestOutcome declined = api.GetFollowersList("", name, "200", users, false);
    EXPECT_EQ(declined.status, RequestOutcome::Status::Failed);
    EXPECT_EQ(declined.Count(), -1);

    // Follower ids have no question of their own.
    service.InjectFault(Family::FollowerIds, Fault::CloseConnection, 1);
    EXPECT_THROW(api.GetFollowerIds(name), HttpError);
    EXPECT_EQ(Questions().size(), 3u);
}

TEST_F(TwitterApiTest, PagingAWholeSearchReturnsEveryMatchingTweetOnce) {
    const std::string query = service.Queries().common;
    std::string maxId;
    int pages = 0;
    for (; pages < 200; ++pages) {
        const RequestOutcome page = Search(query, "100", maxId);
        ASSERT_TRUE(page.Answered());
        if (page.Count() == 0) break;
        maxId = tweets.OldestTweetId(true);
    }
    EXPECT_GT(pages, 2);

    std::vector<std::string> ids;
    for (int i = 1; i <= tweets.Count(); ++i) ids.push_back(tweets.TweetID(i));
    const std::set<std::string> distinct(ids.begin(), ids.end());
    EXPECT_EQ(distinct.size(), ids.size());
    const std::vector<std::string> expected = service.Data().SearchIds(query);
    EXPECT_EQ(ids, expected);  // newest first, as the service hands them out
    EXPECT_EQ(api.SearchRateLimitRemaining(), 450 - pages - 1);
}

TEST(TwitterApiTlsTest, TheServerCertificateIsAlwaysVerified) {
    testing::TempFolder folder;
    const std::string cert = (folder / "cert.pem").string();
    const std::string key = (folder / "key.pem").string();
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout " +
        key + " -out " + cert + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "openssl cannot make a test certificate here";

    emulator::EmulatorConfig config;
    config.certFile = cert;
    config.keyFile = key;
    emulator::Emulator service(config);
    service.Start();
    ASSERT_EQ(service.BaseUrl().rfind("https://", 0), 0u);

    ScriptedToolkit kit;
    ToolkitExchangeHost host(kit);
    TwitterAPI untrusting(host, CurlHttpRequest::Factory(), service.BaseUrl());
    EXPECT_EQ(untrusting.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret), "");

    TwitterAPI trusting(host, CurlHttpRequest::Factory({.caFile = cert}), service.BaseUrl());
    EXPECT_EQ(trusting.AuthAppAccess(config.appName, config.consumerKey, config.consumerSecret),
              service.IssueToken());
}

}  // namespace
}  // namespace marlin
