// Quota bookkeeping, the local clock and answers no real server gives, through a scripted
// request object.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "fake_http_request.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/twitter_api.h"
#include "toolkit_hosts.h"

namespace marlin {
namespace {

using SKDFuncs::DateValue;
using testing::FakeHttpService;
using testing::ScriptedToolkit;
using testing::ToolkitExchangeHost;

constexpr std::time_t kSummerNoonUtc = 1435752000;  // 2015-07-01 12:00:00 UTC, BST in London
constexpr std::time_t kWinterNoonUtc = 1420113600;  // 2015-01-01 12:00:00 UTC, GMT in London
constexpr const char* kTimelinePage = "[]";

// Sets TZ for the life of the object.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneScope() {
        if (m_old.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", m_old.c_str(), 1);
        ::tzset();
    }

  private:
    std::string m_old;
};

class TwitterApiQuotaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        api.SetClock([] { return kSummerNoonUtc; });
        service.answers.push_back({200, "OK", R"({"token_type":"bearer","access_token":"AAAA%2FBBBB"})", {}});
        ASSERT_EQ(api.AuthAppAccess("Marlin Demo", "key", "secret"), "AAAA%2FBBBB");
    }

    RequestOutcome Timeline() { return api.GetUserTimeLine("somebody", true, "", "", "200", tweets, false); }

    ScriptedToolkit kit;
    ToolkitExchangeHost host{kit};
    TweetSet tweets{kit.Yielder()};
    FakeHttpService service;
    TwitterAPI api{host, service.Factory(), "https://api.example.test/"};
};

TEST_F(TwitterApiQuotaTest, ANewClientStartsWithTheDocumentedWindows) {
    TwitterAPI fresh(host, service.Factory());
    fresh.SetClock([] { return kSummerNoonUtc; });
    EXPECT_EQ(fresh.UTLRateLimitRemaining(), 300);
    EXPECT_EQ(fresh.SearchRateLimitRemaining(), 450);
    EXPECT_EQ(fresh.Window(ResourceFamily::FollowersList).remaining, 0);
    EXPECT_EQ(fresh.Window(ResourceFamily::FriendsList).remaining, 0);
    EXPECT_EQ(fresh.ULRateLimitRemaining(), 0);
    EXPECT_EQ(fresh.SearchRateLimit(), 0);
    // Reset 0 shown in local time: one hour past the epoch in British summer time.
    EXPECT_EQ(fresh.SearchNextLimitReset(), (DateValue{1970, 1, 1, 1, 0, 0}));
    // Without a token nothing is sent, and no earlier answer is there to report.
    const RequestOutcome none = fresh.GetUserTimeLine("somebody", true, "", "", "200", tweets, false);
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(fresh.BearerToken(), "");
    EXPECT_EQ(none.responseCode, "");
}

TEST_F(TwitterApiQuotaTest, HeaderValuesAreReadAsRoundedNumbers) {
    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "180", "", "1420070400"));
    const RequestOutcome page = Timeline();
    EXPECT_EQ(page.body, kTimelinePage);
    EXPECT_EQ(api.UTLRateLimitRemaining(), 180);
    EXPECT_EQ(api.UTLRateLimit(), 0);
    EXPECT_EQ(api.UTLNextLimitReset(), (DateValue{2015, 1, 1, 1, 0, 0}));
    EXPECT_EQ(page.responseCode, "200:OK");

    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, " 12.5", "13.5xyz", "-3"));
    Timeline();
    EXPECT_EQ(api.UTLRateLimitRemaining(), 12);  // halves go to the even neighbour
    EXPECT_EQ(api.UTLRateLimit(), 14);
    EXPECT_EQ(api.Window(ResourceFamily::UserTimeline).reset, -3);
    EXPECT_TRUE(kit.messages.empty());
}

TEST_F(TwitterApiQuotaTest, AValueTooLargeForItsFieldIsAnErrorOfTheExchange) {
    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "40000", "300", "1420070400"));
    kit.messageAnswers = {MsgResult::No};
    const RequestOutcome declined = Timeline();
    EXPECT_EQ(declined.status, RequestOutcome::Status::Failed);
    ASSERT_EQ(kit.messages.size(), 1u);
    EXPECT_EQ(kit.messages[0].title, "Recoverable error within GetUserTimeLine");
    EXPECT_EQ(kit.messages[0].text, "SKD is having trouble contacting the server. Try again?");
    EXPECT_EQ(kit.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(api.UTLRateLimitRemaining(), 300);
    EXPECT_EQ(declined.Count(), -1);
}

// Reset times past January 2038 are good answers, not a retry question.
TEST_F(TwitterApiQuotaTest, ResetTimesAfter2038AreKept) {
    const struct {
        const char* header;
        std::int64_t reset;
        DateValue local;  // in British summer time
    } cases[] = {
        {"2147483647", 2147483647, {2038, 1, 19, 4, 14, 7}},
        {"2147483648", 2147483648, {2038, 1, 19, 4, 14, 8}},
        {"4102444800", 4102444800, {2100, 1, 1, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "180", "180", c.header));
        EXPECT_EQ(Timeline().body, kTimelinePage) << c.header;
        EXPECT_EQ(api.Window(ResourceFamily::UserTimeline).reset, c.reset);
        EXPECT_EQ(api.UTLNextLimitReset(), c.local) << c.header;
    }
    EXPECT_TRUE(kit.messages.empty());

    // Beyond 64 bits it is still an error of the exchange.
    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "180", "180", "1e19"));
    kit.messageAnswers = {MsgResult::No};
    EXPECT_EQ(Timeline().status, RequestOutcome::Status::Failed);
    EXPECT_EQ(kit.messages.size(), 1u);
}

TEST_F(TwitterApiQuotaTest, LocalOffsetIsTheDifferenceOfHourNumbersAcrossTheDateLine) {
    auto offsetAt = [&](std::time_t t) {
        api.SetClock([t] { return t; });
        return api.GetLocalUTCOffset();
    };
    EXPECT_EQ(offsetAt(kSummerNoonUtc), 1);
    EXPECT_EQ(offsetAt(kWinterNoonUtc), 0);
    EXPECT_EQ(offsetAt(kSummerNoonUtc + 11 * 3600 + 30 * 60), 1);  // 23:30 UTC is 00:30 tomorrow
    {
        ZoneScope zone("America/New_York");
        EXPECT_EQ(offsetAt(kSummerNoonUtc - 10 * 3600), -4);  // 02:00 UTC is 22:00 yesterday
    }
    {
        ZoneScope zone("Asia/Kolkata");
        EXPECT_EQ(offsetAt(kSummerNoonUtc + 45 * 60), 6);  // 12:45 UTC is 18:15: minutes ignored
    }
}

TEST_F(TwitterApiQuotaTest, TheTokenMustBeOfTypeBearer) {
    TwitterAPI other(host, service.Factory());
    service.answers.push_back({200, "OK", R"({"token_type":"Bearer","access_token":"X"})", {}});
    EXPECT_EQ(other.AuthAppAccess("App", "k", "s"), "");
    service.answers.push_back({200, "OK", R"({"token_type":"mac","access_token":"X"})", {}});
    EXPECT_EQ(other.AuthAppAccess("App", "k", "s"), "");
    service.answers.push_back({200, "OK", "not json", {}});
    EXPECT_EQ(other.AuthAppAccess("App", "k", "s"), "");
    EXPECT_EQ(other.BearerToken(), "");
    // Unauthenticated: nothing is sent.
    std::string count = "50";
    const size_t before = service.sent.size();
    EXPECT_EQ(other.GetSearch("a", "", "", "", count, tweets, false, "recent").status,
              RequestOutcome::Status::NotSent);
    EXPECT_EQ(service.sent.size(), before);
    EXPECT_TRUE(kit.messages.empty());
}

// The client holds no records: a request gives its answer and keeps token, proxy and windows.
TEST_F(TwitterApiQuotaTest, ARequestKeepsTokenProxyAndWindowsAndGivesItsAnswer) {
    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "7", "300", "1420070400"));
    const RequestOutcome page = Timeline();
    api.SetProxyServer("proxy.example:8080");
    EXPECT_EQ(api.BearerToken(), "AAAA%2FBBBB");
    EXPECT_EQ(api.ProxyServer(), "proxy.example:8080");
    EXPECT_EQ(api.UTLRateLimitRemaining(), 7);
    EXPECT_EQ(page.body, kTimelinePage);
    EXPECT_EQ(page.responseCode, "200:OK");
}

TEST_F(TwitterApiQuotaTest, TheProxyIsNamedBeforeEverySearchAndNeverForOtherRequests) {
    api.SetProxyServer("proxy.example:8080");
    std::string count = "100";
    for (int page = 0; page < 2; ++page) {
        service.answers.push_back(FakeHttpService::WithLimits(R"({"statuses":[],"search_metadata":{}})",
                                                              "449", "450", "1420070400"));
        api.GetSearch("marlin", "", "", "", count, tweets, true, "recent");
    }
    service.answers.push_back(FakeHttpService::WithLimits(kTimelinePage, "1", "1", "1"));
    Timeline();

    ASSERT_EQ(service.sent.size(), 4u);  // token, two searches, one timeline
    EXPECT_EQ(service.sent[1].proxy, "proxy.example:8080");
    EXPECT_EQ(service.sent[2].proxy, "proxy.example:8080");
    EXPECT_EQ(service.sent[3].proxy, "");
    int notices = 0;
    for (const auto& message : kit.messages)
        if (message.text == "Testing connection via proxy") {
            ++notices;
            EXPECT_EQ(message.title, "Test");
            EXPECT_EQ(message.buttons, MsgButtons::OK);
        }
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(service.sent[1].url.rfind("https://api.example.test/1.1/search/tweets.json?q=marlin&", 0), 0u);
}

}  // namespace
}  // namespace marlin
