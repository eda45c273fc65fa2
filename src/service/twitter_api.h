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
#include "service/exchange_host.h"
#include "service/http_request.h"
#include "service/post_answers.h"
#include "service/request_outcome.h"
#include "service/v2_translator.h"

namespace marlin {

// The resource families that the service counts requests for, each with its own window.
enum class ResourceFamily {
    UserTimeline,
    Search,
    FollowersList,
    FriendsList,
    UsersLookup,
    Counts,
    PostsLookup,  // posts by id
    Quotes,       // the posts that quote a post
    RepostedBy,   // the users who reposted a post
    LikingUsers,  // the users who liked a post
    ListMembers,  // the members of a list
};
constexpr std::size_t kResourceFamilies = 11;

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
// and hands the body to the caller's record set; a v2 body goes as the v1.1 page of the
// same posts or users (V2Translator), so the records are the same in both dialects. The
// client holds no records: the set is the caller's, filled inside the exchange so that a
// page that cannot be taken whole is asked about (and sent again) like any other fault of
// the exchange. Every request method returns how it ended (RequestOutcome). Everything
// runs on the calling thread; the host lets its events run while a request waits.
class TwitterAPI {
  public:
    static constexpr const char* kDefaultApiBase = "https://api.twitter.com";

    // The current time, seconds since 1970 UTC; replaceable so tests can fix the clock.
    using UtcClock = std::function<std::time_t()>;

    // apiBase is scheme, host and port without a trailing path, e.g. "http://127.0.0.1:8080".
    TwitterAPI(ExchangeHost& host, HttpRequestFactory requestFactory, std::string apiBase = kDefaultApiBase);
    TwitterAPI(const TwitterAPI&) = delete;
    TwitterAPI& operator=(const TwitterAPI&) = delete;

    // --- Properties ---
    // Proxy as host:port, stored without any check; only searches use it.
    const std::string& ProxyServer() const { return m_proxyServer; }
    void SetProxyServer(const std::string& server) { m_proxyServer = server; }
    // Texts whole ("Keep Texts Exactly"): the status requests ask for tweet_mode=extended.
    bool ExactTexts() const { return m_exactTexts; }
    void SetExactTexts(bool on) { m_exactTexts = on; }
    // Returns bearer token (if created).
    const std::string& BearerToken() const { return m_bearerToken; }

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
    // An error of the exchange asks the host "Try again?" (Yes/No). GetSearch,
    // GetUserTimeLine and GetUsersLookUp repeat the failed step on Yes, as often as asked; No
    // ends the request Failed. A host that scripts the answers must give a No, or a fault
    // that stays (a missing header) is asked about for ever.

    // Profiles of up to 100 users, ids or screen names separated by commas, into `users`;
    // the id list wins when both are given. Both empty: nothing is sent and the request
    // counts as failed.
    RequestOutcome GetUsersLookUp(const std::string& userIdList, const std::string& screenNameList,
                                  UserSet& users, bool appendUsers);
    // One page of the accounts a user follows / that follow a user. With appendUsers
    // false `users` starts afresh from the first page, otherwise it continues from its
    // cursor. Yes to the retry question sends the request once more, and an error of that
    // second attempt is thrown to the caller as HttpError.
    RequestOutcome GetFriendsList(const std::string& userId, const std::string& screenName,
                                  const std::string& count, UserSet& users, bool appendUsers);
    RequestOutcome GetFollowersList(const std::string& userId, const std::string& screenName,
                                    const std::string& count, UserSet& users, bool appendUsers);
    // One page of a user's timeline into `tweets`; user is a screen name or a numeric id.
    RequestOutcome GetUserTimeLine(const std::string& user, bool userIsScreenName, const std::string& sinceId,
                                   const std::string& maxId, const std::string& count, TweetSet& tweets,
                                   bool appendTweets);
    // One page of search results into `tweets`. count is clamped to 10..100 and the clamped
    // text is written back.
    RequestOutcome GetSearch(const std::string& query, const std::string& lang, const std::string& sinceId,
                             const std::string& maxId, std::string& count, TweetSet& tweets,
                             bool appendTweets, const std::string& resultType);
    // The posts of up to 100 ids (v2 /2/tweets?ids=, v1.1 statuses/lookup) added to `tweets`;
    // the ids asked for that the service did not give, with its reason, go to `missing`.
    RequestOutcome GetPostsById(const std::vector<std::uint64_t>& ids, TweetSet& tweets,
                                std::vector<PostAnswers::Missing>& missing);
    // Creates/returns the bearer token required for app-only requests: the token, or the
    // empty text on any failure (nothing is shown, nothing else changes).
    std::string AuthAppAccess(const std::string& appName, const std::string& consumerKey,
                              const std::string& consumerSecret);
    // Why the last AuthAppAccess gave no token: the exchange's own error (a certificate the
    // client refused, a time-out, no connection), the service's status, or an answer
    // without a token. AuthRefused: the service answered and refused the credentials.
    const std::string& AuthFailure() const { return m_authFailure; }
    bool AuthRefused() const { return m_authRefused; }
    // The first page (up to 5000) of a user's follower ids, in the outcome's body. Updates
    // no window; an error of the exchange is thrown to the caller as HttpError. Always
    // v1.1: v2 has no id list.
    RequestOutcome GetFollowerIds(const std::string& screenName);
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
    // The posts per day of a v2 query between the two times, every page of the answer; the
    // outcome of the last request (after the usual retry handling) says whether they came.
    // The pages are paced (one a second) and bounded: a token seen before, too many pages
    // for the span asked, a token that is not a text, a spent counts window or a page
    // that failed after others came end the paging with the days so far, stopLine saying why.
    struct Counts {
        RequestOutcome outcome;
        std::vector<TweetCountDay> days;
        std::string stopLine;  // empty when every page came
    };
    // The counts pages a span can take: one a 31 days (the full archive's page), and two more.
    static int MaxCountPages(std::time_t startTime, std::time_t endTime);
    Counts GetTweetCounts(const std::string& query, const std::string& lang, std::time_t startTime,
                          std::time_t endTime);

    // The service's own count of the posts read by this application (GET /2/usage/tweets),
    // today's among the days, in the outcome's body. Updates no window and asks no question;
    // an error of the exchange is thrown to the caller as HttpError.
    RequestOutcome GetUsage();

    // --- The calls around one post or list (v2 only, whatever the dialect: v1.1 has none) ---
    // One page of the posts that quote postId into `tweets`, after its records with
    // appendTweets. token: the page's pagination token, "" for the first; *nextToken gets the
    // next page's, "" after the last.
    RequestOutcome GetQuotes(std::uint64_t postId, const std::string& token, TweetSet& tweets,
                             bool appendTweets, std::string* nextToken);
    // One page of the users who reposted or liked a post, or of the members of a list, into
    // `users` from the set's cursor (the pagination token) on; a fresh set (appendUsers
    // false) starts at the first page. The last page leaves the cursor at "0".
    enum class PostUsers { RepostedBy, LikingUsers, ListMembers };
    RequestOutcome GetPostUsers(PostUsers which, std::uint64_t id, UserSet& users, bool appendUsers);

    // --- Seams ---
    void SetClock(UtcClock clock) { m_clock = std::move(clock); }

  private:
    enum class Retry { Step, Resend, None };
    struct Exchange;

    // One exchange with the method's retry handling.
    RequestOutcome RunExchange(const Exchange& exchange);
    // The body, or nothing after a refusal or a declined retry.
    std::optional<std::string> RunExchangeOnce(const Exchange& exchange);
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
    ExchangeHost::AutoRetry NextAutoRetry();
    bool ServerErrorAnswered() const;
    // An exchange whose body fills a record set (handBody gives the records it took), with
    // the usual retry question.
    Exchange PageExchange(const char* methodName, const std::string& pathAndQuery, ResourceFamily family,
                          Retry retry, std::function<int(const std::string&)> handBody) const;
    RequestOutcome ListRequest(const char* path, const char* methodName, ResourceFamily family,
                               const std::string& userId, const std::string& screenName,
                               const std::string& count, UserSet& users, bool appendUsers);
    std::string Url(const std::string& pathAndQuery) const;
    // A request that went nowhere: nothing to ask for, or (failed) a request that counts as failed.
    RequestOutcome NotSent(bool failed);

    // The v2 dialect of the request methods.
    RequestOutcome SearchV2(const std::string& query, const std::string& lang, const std::string& sinceId,
                            const std::string& maxId, const std::string& count, TweetSet& tweets,
                            bool appendTweets);
    RequestOutcome UserTimeLineV2(const std::string& user, bool userIsScreenName, const std::string& sinceId,
                                  const std::string& maxId, const std::string& count, TweetSet& tweets,
                                  bool appendTweets);
    RequestOutcome ListRequestV2(bool followers, const char* methodName, ResourceFamily family,
                                 const std::string& userId, const std::string& screenName,
                                 const std::string& count, UserSet& users, bool appendUsers);
    // The id of a screen name, asked for once a run; empty when the service gave none
    // (*failure then says how the request for it ended).
    std::string UserIdOf(const std::string& screenName, const char* methodName, RequestOutcome* failure);
    int HandTweetsV2(const std::string& body, TweetSet& tweets, bool appendTweets, bool search,
                     const std::string& methodName);
    // A look-up by id: the posts given into `tweets`, those not given into `missing`.
    int HandPostsById(const std::string& body, bool v2, const std::vector<std::uint64_t>& ids,
                      TweetSet& tweets, std::vector<PostAnswers::Missing>& missing);
    int HandUsersV2(const std::string& body, UserSet& users, bool appendUsers, bool list,
                    const std::string& methodName);
    void LogPartialErrors(const std::string& methodName);
    // The calls around one post or list: a first page (no token) that gave nothing but errors.
    bool OnlyErrors(int taken, const std::string& token);
    void RefuseAsNotFound(RequestOutcome& outcome);
    // Throws the exchange error for a v2 list page that cannot be taken (ListPageProblem);
    // accountErrors for the lists of one account (timelines, followers).
    void RefuseBadListPage(const std::string& methodName, bool accountErrors);
    // A 429's own usable reset into the outcome's retryAt.
    void ReadSpentWindow(HttpRequest& request);
    // What a refusal's body says goes after the status in the response code.
    void ReadRefusal(HttpRequest& request, int status, const Exchange& exchange);
    // Full-archive search allows one request a second.
    void KeepPace();
    bool Authenticated() const { return !m_appName.empty() && !m_bearerToken.empty(); }
    QuotaWindow& MutableWindow(ResourceFamily family) { return m_windows[static_cast<size_t>(family)]; }

    ExchangeHost& m_host;
    HttpRequestFactory m_requestFactory;
    std::string m_apiBase;
    UtcClock m_clock;

    std::string m_bearerToken;
    std::string m_authFailure;
    bool m_authRefused = false;
    std::string m_appName;
    // The response code the log shows, kept from one request to the next: a request that
    // produced none of its own (a declined retry) reports the last one, as it always has.
    std::string m_lastResponseCode;
    // The request in progress: how it is ending so far.
    RequestOutcome m_outcome;
    bool m_exactTexts = false;
    std::string m_proxyServer;
    std::array<QuotaWindow, kResourceFamilies> m_windows;
    int m_autoRetries = 0;  // automatic retries of the request in progress

    ApiVersion m_apiVersion = ApiVersion::V1_1;
    bool m_fullArchiveSearch = false;
    std::time_t m_searchStartTime = 0;
    V2Translator m_v2;
    PostAnswers m_postAnswers;
    std::unordered_map<std::string, std::string> m_userIds;  // screen name (lower case) to id
    std::chrono::steady_clock::time_point m_lastPacedSend{};
    bool m_tooFast = false;  // the last refusal was a 429 with requests left in the window
};

}  // namespace marlin
