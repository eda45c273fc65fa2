// The second service's client against the emulator: sessions and their failures, an expired session
// mid-paging, typed read failures, the windows, and a search paged past the service's cap per query.
#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "core/bsky_post_id.h"
#include "core/tweet_set.h"
#include "emulator/corpus.h"
#include "emulator/emulator.h"
#include "emulator/search_query.h"
#include "service/bsky_client.h"
#include "service/bsky_translator.h"
#include "service/curl_http_request.h"

namespace marlin {
namespace {

using namespace std::chrono_literals;
using emulator::Family;
using emulator::Fault;

emulator::EmulatorConfig SmallCorpus() {
    emulator::EmulatorConfig config;
    config.users = 600;
    config.tweetsPerDay = 1000;
    config.seed = 11;
    config.bskySearchCap = 150;
    return config;
}

BskyClient::Search Query(const std::string& q, int limit = 100) {
    BskyClient::Search search;
    search.q = q;
    search.limit = limit;
    return search;
}

struct BskyClientTest : ::testing::Test {
    BskyClientTest() : service(SmallCorpus()), client(Requests(), (service.Start(), service.BaseUrl())) {}
    static HttpRequestFactory Requests() {
        return CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""});
    }
    BskyOutcome LogIn() {
        return client.CreateSession(service.Config().bskyHandle, service.Config().bskyAppPassword);
    }
    int Count(const std::string& method) const {
        int n = 0;
        for (const auto& request : service.Requests()) n += request.path == "/xrpc/" + method ? 1 : 0;
        return n;
    }
    emulator::Emulator service;
    BskyClient client;
};

TEST_F(BskyClientTest, EachSessionFailureHasItsOwnKind) {
    struct Case {
        const char* name;
        std::string handle;
        std::string password;
        int sessionsLeft;  // -1: the window as it is
        BskyFailure expected;
    };
    const std::string demo = service.Config().bskyHandle;
    const std::string password = service.Config().bskyAppPassword;
    const Case cases[] = {
        {"wrong app password", demo, "abcd-efgh-ijkl-mnop", -1, BskyFailure::WrongPassword},
        {"unknown handle", "nobody.bsky.social", password, -1, BskyFailure::WrongPassword},
        {"account taken down", service.BlueskyHandle(service.Users().protectedUser), password, -1,
         BskyFailure::SessionRefused},
        {"session limit spent", demo, password, 0, BskyFailure::SessionLimit},
        {"the demo account", "@" + demo, password, 30, BskyFailure::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.sessionsLeft >= 0) service.SetRemaining(Family::BskySession, c.sessionsLeft);
        const BskyOutcome outcome = client.CreateSession(c.handle, c.password);
        EXPECT_EQ(outcome.failure, c.expected) << outcome.Describe();
        EXPECT_EQ(client.Session().Valid(), c.expected == BskyFailure::None);
    }
    EXPECT_EQ(client.Session().handle, demo);
    EXPECT_EQ(client.Session().did, service.BlueskyDid(service.Users().demo));
}

TEST_F(BskyClientTest, AnExpiredSessionIsRefreshedOnceMidPaging) {
    std::vector<BskySession> stored;
    client.SetSessionListener([&](const BskySession& s) { stored.push_back(s); });
    const BskyOutcome login = LogIn();
    ASSERT_TRUE(login.Ok()) << login.Describe() << " " << login.body;
    BskyOutcome page = client.AuthorFeed(service.Config().bskyHandle, 100, "");
    ASSERT_TRUE(page.Ok());
    std::string cursor;
    BskyTranslator translator;
    translator.PostPage(page.body, false, &cursor);
    service.ExpireBlueskySessions();
    page = client.AuthorFeed(service.Config().bskyHandle, 100, cursor);
    EXPECT_TRUE(page.Ok()) << page.Describe();
    EXPECT_EQ(Count("com.atproto.server.refreshSession"), 1);
    EXPECT_EQ(Count("app.bsky.feed.getAuthorFeed"), 3);  // the expired request went again once
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_NE(stored[1].accessJwt, stored[0].accessJwt);

    // A refresh token the service no longer takes ends the session with its own message.
    service.ExpireBlueskySessions();
    client.SetSession({stored[1].did, stored[1].handle, stored[1].accessJwt, stored[0].refreshJwt});
    page = client.AuthorFeed(service.Config().bskyHandle, 100, cursor);
    EXPECT_EQ(page.failure, BskyFailure::ExpiredToken);
    EXPECT_NE(page.Describe().find("log in again"), std::string::npos);
}

TEST_F(BskyClientTest, ReadFailuresAreTypedAndWindowsRead) {
    const BskyOutcome login = LogIn();
    ASSERT_TRUE(login.Ok()) << login.Describe() << " " << login.body;
    BskyOutcome search = client.SearchPosts(Query("data", 10));
    ASSERT_TRUE(search.Ok()) << search.Describe();
    const BskyQuota& window = client.Quota(BskyClient::Call::Search);
    EXPECT_EQ(window.limit, 3000);
    EXPECT_EQ(window.remaining, 2999);
    EXPECT_EQ(window.windowSeconds, 300);
    EXPECT_GT(window.reset, std::time(nullptr));

    struct Case {
        const char* name;
        std::function<void()> arrange;
        BskyClient::Search search;
        BskyFailure expected;
    };
    const Case cases[] = {
        {"limit over 100", [] {}, Query("data", 101), BskyFailure::InvalidRequest},
        {"server error", [&] { service.InjectFault(Family::BskySearch, Fault::Error500, 1); }, Query("data"),
         BskyFailure::ServerError},
        {"window spent", [&] { service.SetRemaining(Family::BskySearch, 0); }, Query("data"),
         BskyFailure::RateLimited},
        {"connection dropped", [&] { service.InjectFault(Family::BskySearch, Fault::CloseConnection, 1); },
         Query("data"), BskyFailure::NoAnswer},
        {"not a page", [&] { service.InjectFault(Family::BskyFeed, Fault::HtmlPage, 1); }, Query(""),
         BskyFailure::Unreadable},
        {"no session", [&] { client.SetSession({}); }, Query("data"), BskyFailure::AuthRequired},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        const BskyOutcome outcome = c.search.q.empty() ? client.AuthorFeed(service.Config().bskyHandle, 5, "")
                                                       : client.SearchPosts(c.search);
        EXPECT_EQ(outcome.failure, c.expected) << outcome.Describe();
    }
    EXPECT_EQ(client.Quota(BskyClient::Call::Search).remaining, 0);
}

// A query answers at most the cap; the search goes on below the oldest post held with `until`, and the
// posts of that millisecond that come again are known by their ids: every post once, none missing.
TEST_F(BskyClientTest, SearchPastTheCapWithoutDoublesOrGaps) {
    const BskyOutcome login = LogIn();
    ASSERT_TRUE(login.Ok()) << login.Describe() << " " << login.body;
    emulator::SearchOptions all;
    all.wholeArchive = all.noRetweets = true;
    all.count = INT_MAX;
    const std::size_t expected = service.Data().Search(emulator::SearchQuery("data"), all).size();
    ASSERT_GT(expected, 3u * 150);

    TweetSet tweets{Yield()};
    BskyTranslator translator;
    std::set<std::string> held;
    BskyClient::Search search = Query("data");
    int queries = 0, repeats = 0, newInQuery = 0;
    std::string previousId;
    for (;;) {
        const BskyOutcome page = client.SearchPosts(search);
        ASSERT_TRUE(page.Ok()) << page.Describe();
        std::string cursor;
        const std::optional<std::string> records = translator.PostPage(page.body, true, &cursor);
        ASSERT_TRUE(records);
        const int before = tweets.Count();
        tweets.SetData(*records, true, true);
        for (int i = before + 1; i <= tweets.Count(); ++i) {
            const std::string& id = tweets.TweetID(i);
            if (!held.insert(id).second) {
                ++repeats;
                continue;
            }
            // Newest first across every page and query: the ids' times follow the service's order.
            if (!previousId.empty()) {
                EXPECT_LE(*BskyPostId::TimeOfId(id), *BskyPostId::TimeOfId(previousId));
            }
            previousId = id;
            ++newInQuery;
        }
        if (!cursor.empty()) {
            search.cursor = cursor;
            continue;
        }
        if (newInQuery == 0) break;
        newInQuery = 0;
        search.cursor.clear();
        search.until = BskyPostId::UntilFor(previousId);
        ASSERT_LT(++queries, 100);
    }
    EXPECT_EQ(held.size(), expected);
    EXPECT_GE(queries, 3);
    EXPECT_LE(repeats, queries + 1);  // only the seam's millisecond comes again
}

}  // namespace
}  // namespace marlin
