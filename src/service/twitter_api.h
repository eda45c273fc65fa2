#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/page_check.h"
#include "core/skd_funcs.h"
#include "core/tweet_set.h"
#include "core/user_set.h"
#include "platform/toolkit.h"
#include "service/http_request.h"
#include "service/v2_translator.h"

namespace marlin {

// The resource families that the service counts requests for, each with its own window.
enum class ResourceFamily { UserTimeline, Search, FollowersList, FriendsList, UsersLookup };

// The dialect the client speaks: v1.1 (the documented requests) or v2 (the service as sold
// today). Either way the record sets receive the same records.
enum class ApiVersion { V1_1, V2 };

// The posts a v2 count answer gives for one UTC day.
struct TweetCountDay {
    std::string date;  // yyyy-mm-dd
    int64_t posts = 0;
};

// One rate-limit window as the service last announced it.
struct QuotaWindow {
    int16_t remaining = 0;
    int16_t limit = 0;
    // Seconds since 1970-01-01 00:00:00 UTC; 0 before the first answer. In 64 bits: a reset
    // after January 2038 is still a good answer.
    int64_t reset = 0;
};

// The client of the service's REST API, v1.1 or (SetApiVersion) v2. Every request method
// makes one exchange through a fresh request object, records the family's quota headers
// and hands the body to Tweets or Users; a v2 body goes as the v1.1 page of the same posts
// or users (V2Translator), so the records are the same in both dialects. Request methods return the body,
// "Failed", or the empty text when nothing was sent. Everything runs on the calling (user-interface) thread.
class TwitterAPI {
  public:
    static constexpr const char* kDefaultApiBase = "https://api.twitter.com";
    static constexpr const char* kFailed = "Failed";

    // The current time, seconds since 1970 UTC; replaceable so tests can fix the clock.
    using UtcClock = std::function<std::time_t()>;

    // apiBase is scheme, host and port without a trailing path, e.g. "http://127.0.0.1:8080".
    TwitterAPI(Toolkit& toolkit, HttpRequestFactory requestFactory, std::string apiBase = kDefaultApiBase);
    TwitterAPI(const TwitterAPI&) = delete;
    TwitterAPI& operator=(const TwitterAPI&) = delete;

    // Records of the status requests and of the user requests.
    TweetSet Tweets;
    UserSet Users;

    // --- Properties ---
    // Proxy as host:port, stored without any check; only searches use it.
    const std::string& ProxyServer() const { return m_proxyServer; }
    void SetProxyServer(const std::string& server) { m_proxyServer = server; }
    // Texts whole and with every character ("Keep Texts Exactly"): the status requests ask
    // for tweet_mode=extended and both record sets keep every character.
    bool ExactTexts() const { return m_exactTexts; }
    void SetExactTexts(bool on);
    // Returns the last HTTP request response code: status and status text joined by ":".
    const std::string& LastResponseCode() const { return m_lastResponseCode; }
    // True when the last answer refused a v1.1 request the application's access does not
    // cover (403, code 453): every further v1.1 request would be refused the same way.
    bool V11AccessRefused() const;
    // Returns the number of records in the last response: -1 after a failed request,
    // otherwise the tweets the last page added (users are not counted).
    int32_t LastResponseCount() const;
    // Returns bearer token (if created).
    const std::string& BearerToken() const { return m_bearerToken; }
    // Returns the raw JSON text of the last response with status 200.
    const std::string& ResponseText() const { return m_responseText; }

    int16_t UTLRateLimitRemaining() const { return Window(ResourceFamily::UserTimeline).remaining; }
    int16_t UTLRateLimit() const { return Window(ResourceFamily::UserTimeline).limit; }
    SKDFuncs::DateValue UTLNextLimitReset() const { return NextLimitReset(ResourceFamily::UserTimeline); }
    int16_t ULRateLimitRemaining() const { return Window(ResourceFamily::UsersLookup).remaining; }
    int16_t ULRateLimit() const { return Window(ResourceFamily::UsersLookup).limit; }
    SKDFuncs::DateValue ULNextLimitReset() const { return NextLimitReset(ResourceFamily::UsersLookup); }
    int16_t SearchRateLimitRemaining() const { return Window(ResourceFamily::Search).remaining; }
    int16_t SearchRateLimit() const { return Window(ResourceFamily::Search).limit; }
    SKDFuncs::DateValue SearchNextLimitReset() const { return NextLimitReset(ResourceFamily::Search); }

    const QuotaWindow& Window(ResourceFamily family) const { return m_windows[static_cast<size_t>(family)]; }
    // The start of the family's next window as a local date and time (no zone attached):
    // the reset time shifted by GetLocalUTCOffset hours. Before the family's first answer
    // that is 1970-01-01 00:00:00 shifted the same way.
    SKDFuncs::DateValue NextLimitReset(ResourceFamily family) const;

    // --- Methods ---
    // An error of the exchange asks "Try again?" (Yes/No). GetSearch, GetUserTimeLine and
    // GetUsersLookUp repeat the failed step on Yes, as often as asked; No gives "Failed".
    // A caller that scripts the answers must queue a No, or a fault that stays (a missing
    // header) is asked about for ever.

    // Profiles of up to 100 users, ids or screen names separated by commas; the id list
    // wins when both are given. Both empty: nothing is sent and the request counts as failed.
    std::string GetUsersLookUp(const std::string& userIdList, const std::string& screenNameList,
                               bool appendUsers);
    // One page of the accounts a user follows / that follow a user. With appendUsers
    // false Users starts afresh from the first page, otherwise it continues from its
    // cursor. Yes to the retry question sends the request once more, and an error of that
    // second attempt is thrown to the caller as HttpError.
    std::string GetFriendsList(const std::string& userId, const std::string& screenName,
                               const std::string& count, bool appendUsers);
    std::string GetFollowersList(const std::string& userId, const std::string& screenName,
                                 const std::string& count, bool appendUsers);
    // One page of a user's timeline; user is a screen name or a numeric id.
    std::string GetUserTimeLine(const std::string& user, bool userIsScreenName, const std::string& sinceId,
                                const std::string& maxId, const std::string& count, bool appendTweets);
    // One page of search results. count is clamped to 10..100 and the clamped text is
    // written back.
    std::string GetSearch(const std::string& query, const std::string& lang, const std::string& sinceId,
                          const std::string& maxId, std::string& count, bool appendTweets,
                          const std::string& resultType);
    // Creates/returns the bearer token required for app-only requests: the token, or the
    // empty text on any failure (nothing is shown, nothing else changes).
    std::string AuthAppAccess(const std::string& appName, const std::string& consumerKey,
                              const std::string& consumerSecret);
    // Why the last AuthAppAccess gave no token: the exchange's own error (a certificate the
    // client refused, a time-out, no connection), the service's status, or an answer
    // without a token. AuthRefused: the service answered and refused the credentials.
    const std::string& AuthFailure() const { return m_authFailure; }
    bool AuthRefused() const { return m_authRefused; }
    // Empties Tweets and Users; token, windows, proxy and last response are kept.
    void Clear();
    // The first page (up to 5000) of a user's follower ids. Updates no window; an error of
    // the exchange is thrown to the caller as HttpError. Always v1.1: v2 has no id list.
    std::string GetFollowerIds(const std::string& screenName);
    // Local hour of day minus UTC hour of day, across the date line (minutes ignored).
    int16_t GetLocalUTCOffset() const;

    // --- Dialect ---
    // V1_1 by default. In V2 every request method sends the v2 request and its records are
    // those the v1.1 page would have given.
    void SetApiVersion(ApiVersion version) { m_apiVersion = version; }
    ApiVersion GetApiVersion() const { return m_apiVersion; }
    // v2 searches go to the full archive (one request a second) instead of the last 7 days.
    void SetFullArchiveSearch(bool on) { m_fullArchiveSearch = on; }
    bool FullArchiveSearch() const { return m_fullArchiveSearch; }
    // v2 searches ask for no post older than this (seconds since 1970 UTC; 0: no bound), so
    // none beyond the threshold is paid for. An update (since_id) never sends it: v2
    // refuses the two together.
    void SetSearchStartTime(std::time_t utcSeconds) { m_searchStartTime = utcSeconds; }
    // The posts per day of a v2 query between the two times, every page of the answer;
    // nothing when the exchange failed (after the usual retry handling).
    std::optional<std::vector<TweetCountDay>> GetTweetCounts(const std::string& query,
                                                             const std::string& lang, std::time_t startTime,
                                                             std::time_t endTime);

    // --- Automatic retries ---
    // Asked before the retry question of a failed exchange and after a 5xx answer, with the
    // number of automatic retries this request has had so far: Retry sends it again (the
    // policy has waited already), Ask goes on as without a policy, GiveUp fails at once.
    enum class AutoRetry { Retry, Ask, GiveUp };
    using AutoRetryPolicy = std::function<AutoRetry(int attempt)>;
    void SetAutoRetryPolicy(AutoRetryPolicy policy) { m_autoRetry = std::move(policy); }

    // --- Seams ---
    void SetClock(UtcClock clock) { m_clock = std::move(clock); }
    // Receives one line naming the method and the exchange's own error before each retry question.
    void SetErrorLog(std::function<void(const std::string& line)> log) { m_errorLog = std::move(log); }
    // Asked while a request waits (window events run meanwhile); true drops the request
    // and the method returns "Failed" with no question.
    void SetCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    // Told while a request waits for its answer (true, again and again) and once the wait
    // is over, however it ended (false).
    void SetWaitWatch(std::function<void(bool waiting)> watch) { m_waitWatch = std::move(watch); }
    // Receives the body of every successful request of a resource family, with the
    // request's address and where the page check found its records, after the records
    // have taken it (the raw archive keeps its objects).
    using BodyTap = std::function<void(ResourceFamily family, const std::string& url, const std::string& body,
                                       const PageRecords& records)>;
    void SetBodyTap(BodyTap tap) { m_bodyTap = std::move(tap); }

  private:
    enum class Retry { Step, Resend, None };
    struct Exchange;

    // One exchange with the method's retry handling: the body, or "Failed" after a refusal
    // or a declined retry.
    std::string RunExchange(const Exchange& exchange);
    std::string RunExchangeOnce(const Exchange& exchange);
    // Creates, prepares and sends the request, then Receive; nothing when the user declined.
    std::optional<std::string> Perform(std::unique_ptr<HttpRequest>& request, const Exchange& exchange);
    // Reads the response into the client state and hands the body on.
    std::optional<std::string> Receive(HttpRequest& request, const Exchange& exchange);
    // Reads the quota window of the exchange's family from the answer's headers; false when
    // the user declined to retry a missing one.
    bool ReadQuotaHeaders(HttpRequest& request, const Exchange& exchange);
    // A step on the answer whose retry sends the request again; the body read and checked.
    bool ResendStep(HttpRequest& request, const Exchange& exchange, const std::function<void()>& action);
    std::string ReadPage(HttpRequest& request, const Exchange& exchange);
    bool AskToRetry(const Exchange& exchange, const std::string& error);
    AutoRetry NextAutoRetry();
    bool ServerErrorAnswered() const;
    // An exchange whose body fills the tweet or the user set, with the usual retry question.
    Exchange PageExchange(const char* methodName, const std::string& pathAndQuery, ResourceFamily family,
                          Retry retry, std::function<void(const std::string&)> handBody) const;
    std::string ListRequest(const char* path, const char* methodName, ResourceFamily family,
                            const std::string& userId, const std::string& screenName,
                            const std::string& count, bool appendUsers);
    std::string Url(const std::string& pathAndQuery) const;

    // The v2 dialect of the request methods.
    std::string SearchV2(const std::string& query, const std::string& lang, const std::string& sinceId,
                         const std::string& maxId, const std::string& count, bool appendTweets);
    std::string UserTimeLineV2(const std::string& user, bool userIsScreenName, const std::string& sinceId,
                               const std::string& maxId, const std::string& count, bool appendTweets);
    std::string ListRequestV2(bool followers, const char* methodName, ResourceFamily family,
                              const std::string& userId, const std::string& screenName,
                              const std::string& count, bool appendUsers);
    // The id of a screen name, asked for once a run; empty when the service gave none.
    std::string UserIdOf(const std::string& screenName, const char* methodName);
    void HandTweetsV2(const std::string& body, bool appendTweets, bool search, const std::string& methodName);
    void HandUsersV2(const std::string& body, bool appendUsers, bool list, const std::string& methodName);
    void LogPartialErrors(const std::string& methodName);
    // What a refusal's body says goes after the status in the response code.
    void ReadRefusal(HttpRequest& request, int status, const Exchange& exchange);
    // Full-archive search allows one request a second.
    void KeepPace();
    bool Authenticated() const { return !m_appName.empty() && !m_bearerToken.empty(); }
    QuotaWindow& MutableWindow(ResourceFamily family) { return m_windows[static_cast<size_t>(family)]; }

    Toolkit& m_toolkit;
    HttpRequestFactory m_requestFactory;
    std::string m_apiBase;
    UtcClock m_clock;
    std::function<void(const std::string&)> m_errorLog;
    std::function<bool()> m_cancelCheck;
    std::function<void(bool)> m_waitWatch;
    BodyTap m_bodyTap;
    PageRecords m_pageRecords;  // where the records of m_responseText lie

    std::string m_bearerToken;
    std::string m_authFailure;
    bool m_authRefused = false;
    std::string m_appName;
    std::string m_responseText;
    std::string m_lastResponseCode;
    bool m_failed = false;
    bool m_exactTexts = false;
    std::string m_proxyServer;
    std::array<QuotaWindow, 5> m_windows;
    AutoRetryPolicy m_autoRetry;
    int m_autoRetries = 0;  // automatic retries of the request in progress

    ApiVersion m_apiVersion = ApiVersion::V1_1;
    bool m_fullArchiveSearch = false;
    std::time_t m_searchStartTime = 0;
    V2Translator m_v2;
    std::unordered_map<std::string, std::string> m_userIds;  // screen name (lower case) to id
    std::chrono::steady_clock::time_point m_lastPacedSend{};
    bool m_tooFast = false;  // the last refusal was a 429 with requests left in the window
};

}  // namespace marlin
