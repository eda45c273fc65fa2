#include "service/twitter_api.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>
#include <tuple>
#include <unordered_set>

#include "core/json_deserializer.h"
#include "core/page_check.h"
#include "core/skd_funcs.h"
#include "core/v2_page.h"
#include "service/enc64.h"
#include "service/post_requests.h"
#include "service/v2_request.h"

namespace marlin {

namespace {

constexpr const char* kTroubleAccessing = "SKD is having trouble accessing the API server. Try again?";
constexpr const char* kTroubleContacting = "SKD is having trouble contacting the server. Try again?";
constexpr const char* kCouldNotAccess = "Couldn't access the API server";
// What the token endpoint expects in the form body; its length is the announced 29 bytes.
constexpr const char* kTokenRequestBody = "grant_type=client_credentials";
constexpr int kResponseWaitSeconds = 5;
// The recent search refuses a start more than 7 days back; a minute spares the way there.
constexpr std::time_t kRecentSearchReach = 7 * 86400 - 60;
// How often a 429 with requests left is sent again before it counts as a refusal.
constexpr int kMaxTooFastRetries = 30;

// The header value as a whole number of the field's width, rounded half to even. A value
// the field cannot hold is an error of the exchange, like a missing header.
template <class Int>
Int HeaderNumber(const std::string& value) {
    const double rounded = std::nearbyint(SKDFuncs::LeadingNumber(value));
    // -min is 2 to the power of the field's bits less one, exact as a double even for 64
    // bits, where max itself is not.
    constexpr double kBelow = -static_cast<double>(std::numeric_limits<Int>::min());
    if (!(rounded >= -kBelow && rounded < kBelow))
        throw HttpError("Rate-limit header out of range: " + value);
    return static_cast<Int>(rounded);
}

// Runs one step of an exchange. When the exchange retries steps, a failing step is offered
// again until it succeeds (true) or the user declines (false); otherwise its error goes on.
// A request the caller dropped is not offered again.
template <class Ask, class Action>
bool RunStep(bool retrySteps, Ask&& askToRetry, Action&& action) {
    for (;;) {
        try {
            action();
            return true;
        } catch (const RequestAborted&) {
            throw;
        } catch (const std::exception& error) {
            if (!retrySteps) throw;
            if (!askToRetry(error.what())) return false;
        }
    }
}

// A parameter value with every byte but the unreserved ones percent-encoded: a name or id
// from the user, or a position from the service, cannot add a parameter or cut the URL.
std::string EncodeParam(const std::string& value) {
    return V2Request::Encoded(value);
}

// A comma-separated list with every item encoded and the commas kept, so that no item
// can end the list or add a parameter of its own.
std::string EncodeList(const std::string& list) {
    std::string encoded;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = list.find(',', start);
        encoded +=
            EncodeParam(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return encoded;
        encoded += ',';
        start = comma + 1;
    }
}

// A JSON string value as its text: the escapes a token or a word may hold undone (\uXXXX
// only in the ASCII range, which is all a token holds).
std::string JsonText(std::string_view value) {
    value = V2Page::Unquoted(value);
    std::string text;
    for (std::size_t k = 0; k < value.size(); ++k) {
        if (value[k] != '\\' || k + 1 >= value.size()) {
            text += value[k];
            continue;
        }
        const char c = value[++k];
        if (c == 'u' && k + 4 < value.size()) {
            text += static_cast<char>(std::strtol(std::string(value.substr(k + 1, 4)).c_str(), nullptr, 16) &
                                      0x7F);
            k += 4;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

struct TwitterAPI::Exchange {
    std::string methodName;
    std::string question;
    std::string url;
    std::optional<ResourceFamily> family;  // none: the quota headers are not read
    Retry retry = Retry::None;
    bool viaProxy = false;
    bool declineMeansNoAccess = false;  // a declined retry also sets the "no access" response code
    bool paced = false;                 // one request a second (full-archive search)
    // Hands the body to the caller's records and gives how many the page held.
    std::function<int(const std::string&)> handBody;
};

TwitterAPI::TwitterAPI(ExchangeHost& host, HttpRequestFactory requestFactory, std::string apiBase)
    : m_host(host),
      m_requestFactory(std::move(requestFactory)),
      m_apiBase(std::move(apiBase)),
      m_clock([] { return std::time(nullptr); }) {
    while (!m_apiBase.empty() && m_apiBase.back() == '/') m_apiBase.pop_back();
    MutableWindow(ResourceFamily::UserTimeline).remaining = 300;
    MutableWindow(ResourceFamily::Search).remaining = 450;
}

SKDFuncs::DateValue TwitterAPI::NextLimitReset(ResourceFamily family) const {
    using namespace std::chrono;
    const seconds shifted = seconds(Window(family).reset) + hours(GetLocalUTCOffset());
    const sys_days day = floor<days>(sys_seconds(shifted));
    const year_month_day date(day);
    const hh_mm_ss clock(sys_seconds(shifted) - day);
    return SKDFuncs::DateValue{static_cast<int>(date.year()),
                               static_cast<int>(static_cast<unsigned>(date.month())),
                               static_cast<int>(static_cast<unsigned>(date.day())),
                               static_cast<int>(clock.hours().count()),
                               static_cast<int>(clock.minutes().count()),
                               static_cast<int>(clock.seconds().count())};
}

int16_t TwitterAPI::GetLocalUTCOffset() const {
    const std::time_t now = m_clock();
    std::tm utc{};
    std::tm local{};
    gmtime_r(&now, &utc);
    localtime_r(&now, &local);
    int offset = local.tm_hour - utc.tm_hour;
    const auto localDate = std::tie(local.tm_year, local.tm_yday);
    const auto utcDate = std::tie(utc.tm_year, utc.tm_yday);
    if (localDate > utcDate) offset += 24;
    if (localDate < utcDate) offset -= 24;
    return static_cast<int16_t>(offset);
}

// --- Request methods ---

RequestOutcome TwitterAPI::NotSent(bool failed) {
    RequestOutcome outcome;
    outcome.status = failed ? RequestOutcome::Status::Failed : RequestOutcome::Status::NotSent;
    outcome.responseCode = m_lastResponseCode;
    return outcome;
}

TwitterAPI::Exchange TwitterAPI::PageExchange(const char* methodName, const std::string& pathAndQuery,
                                              ResourceFamily family, Retry retry,
                                              std::function<int(const std::string&)> handBody) const {
    Exchange exchange;
    exchange.methodName = methodName;
    exchange.question = kTroubleContacting;
    exchange.url = Url(pathAndQuery);
    exchange.family = family;
    exchange.retry = retry;
    exchange.handBody = std::move(handBody);
    return exchange;
}

RequestOutcome TwitterAPI::GetUsersLookUp(const std::string& userIdList, const std::string& screenNameList,
                                          UserSet& users, bool appendUsers) {
    if (userIdList.empty() && screenNameList.empty()) return NotSent(true);
    if (m_apiVersion == ApiVersion::V2) {
        return RunExchange(PageExchange(
            "GetUsersLookUp", V2Request::Lookup(userIdList, screenNameList), ResourceFamily::UsersLookup,
            Retry::Step, [this, &users, appendUsers](const std::string& body) {
                return HandUsersV2(body, users, appendUsers, false, "GetUsersLookUp");
            }));
    }
    const std::string names = userIdList.empty() ? "screen_name=" + EncodeList(screenNameList)
                                                 : "user_id=" + EncodeList(userIdList);
    return RunExchange(PageExchange("GetUsersLookUp", "/1.1/users/lookup.json?" + names,
                                    ResourceFamily::UsersLookup, Retry::Step,
                                    [&users, appendUsers](const std::string& body) {
                                        const int before = appendUsers ? users.Count() : 0;
                                        users.SetData(body, appendUsers, false);
                                        return users.Count() - before;
                                    }));
}

RequestOutcome TwitterAPI::GetFriendsList(const std::string& userId, const std::string& screenName,
                                          const std::string& count, UserSet& users, bool appendUsers) {
    return ListRequest("/1.1/friends/list.json", "GetFriendsList", ResourceFamily::FriendsList, userId,
                       screenName, count, users, appendUsers);
}

RequestOutcome TwitterAPI::GetFollowersList(const std::string& userId, const std::string& screenName,
                                            const std::string& count, UserSet& users, bool appendUsers) {
    return ListRequest("/1.1/followers/list.json", "GetFollowersList", ResourceFamily::FollowersList, userId,
                       screenName, count, users, appendUsers);
}

RequestOutcome TwitterAPI::ListRequest(const char* path, const char* methodName, ResourceFamily family,
                                       const std::string& userId, const std::string& screenName,
                                       const std::string& count, UserSet& users, bool appendUsers) {
    if (userId.empty() && screenName.empty()) return NotSent(false);
    // A fresh set asks for the first page; this happens whether or not the request succeeds.
    if (!appendUsers) users.Clear();
    if (m_apiVersion == ApiVersion::V2)
        return ListRequestV2(family == ResourceFamily::FollowersList, methodName, family, userId, screenName,
                             count, users, appendUsers);
    const std::string query = std::string(path) + "?screen_name=" + EncodeParam(screenName) +
                              "&user_id=" + EncodeParam(userId) + "&count=" + EncodeParam(count) +
                              "&cursor=" + EncodeParam(users.NextCursor());
    return RunExchange(PageExchange(methodName, query, family, Retry::Resend,
                                    [&users, appendUsers](const std::string& body) {
                                        const int before = appendUsers ? users.Count() : 0;
                                        users.SetData(body, appendUsers, true);
                                        return users.Count() - before;
                                    }));
}

RequestOutcome TwitterAPI::GetUserTimeLine(const std::string& user, bool userIsScreenName,
                                           const std::string& sinceId, const std::string& maxId,
                                           const std::string& count, TweetSet& tweets, bool appendTweets) {
    if (!Authenticated() || user.empty()) return NotSent(false);
    if (m_apiVersion == ApiVersion::V2)
        return UserTimeLineV2(user, userIsScreenName, sinceId, maxId, count, tweets, appendTweets);
    // The query starts with an empty parameter ("?&count="); the service accepts it.
    std::string query = "/1.1/statuses/user_timeline.json?&count=" + count;
    query += (userIsScreenName ? "&screen_name=" : "&user_id=") + EncodeParam(user);
    if (!maxId.empty()) query += "&max_id=" + EncodeParam(maxId);
    if (!sinceId.empty()) query += "&since_id=" + EncodeParam(sinceId);
    if (m_exactTexts) query += "&tweet_mode=extended";

    return RunExchange(PageExchange("GetUserTimeLine", query, ResourceFamily::UserTimeline, Retry::Step,
                                    [&tweets, appendTweets](const std::string& body) {
                                        tweets.SetData(body, appendTweets, false);
                                        return tweets.LastSetDataSize();
                                    }));
}

RequestOutcome TwitterAPI::GetSearch(const std::string& query, const std::string& lang,
                                     const std::string& sinceId, const std::string& maxId, std::string& count,
                                     TweetSet& tweets, bool appendTweets, const std::string& resultType) {
    if (!Authenticated() || query.empty()) return NotSent(false);
    if (SKDFuncs::LeadingNumber(count) > 100) count = "100";
    if (!(SKDFuncs::LeadingNumber(count) >= 10)) count = "10";
    if (m_apiVersion == ApiVersion::V2)
        return SearchV2(query, lang, sinceId, maxId, count, tweets, appendTweets);

    // A control character cannot stand in a URL (the HTTP layer refuses it); as a blank it
    // still separates the words of the query.
    std::string words = query;
    for (char& c : words)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    std::string pathAndQuery = "/1.1/search/tweets.json?q=" + SKDFuncs::UrlEncode(words) + "&count=" + count +
                               "&lang=" + EncodeParam(lang) + "&result_type=" + resultType;
    if (!maxId.empty()) pathAndQuery += "&max_id=" + EncodeParam(maxId);
    if (!sinceId.empty()) pathAndQuery += "&since_id=" + EncodeParam(sinceId);
    if (m_exactTexts) pathAndQuery += "&tweet_mode=extended";

    Exchange exchange = PageExchange("GetSearch", pathAndQuery, ResourceFamily::Search, Retry::Step,
                                     [&tweets, appendTweets](const std::string& body) {
                                         tweets.SetData(body, appendTweets, true);
                                         return tweets.LastSetDataSize();
                                     });
    exchange.question = kTroubleAccessing;
    exchange.viaProxy = !m_proxyServer.empty();
    exchange.declineMeansNoAccess = true;
    return RunExchange(exchange);
}

RequestOutcome TwitterAPI::GetPostsById(const std::vector<std::uint64_t>& ids, TweetSet& tweets,
                                        std::vector<PostAnswers::Missing>& missing) {
    missing.clear();
    if (!Authenticated() || ids.empty()) return NotSent(false);
    const bool v2 = m_apiVersion == ApiVersion::V2;
    const std::string path = v2 ? PostRequests::LookupV2(ids) : PostRequests::LookupV11(ids, m_exactTexts);
    return RunExchange(PageExchange("GetPostsById", path, ResourceFamily::PostsLookup, Retry::Step,
                                    [this, v2, &ids, &tweets, &missing](const std::string& body) {
                                        return HandPostsById(body, v2, ids, tweets, missing);
                                    }));
}

int TwitterAPI::HandPostsById(const std::string& body, bool v2, const std::vector<std::uint64_t>& ids,
                              TweetSet& tweets, std::vector<PostAnswers::Missing>& missing) {
    std::optional<PostAnswers::Lookup> lookup =
        v2 ? m_postAnswers.LookupV2(body, ids) : m_postAnswers.LookupV11(body, ids);
    if (!lookup) {
        m_lastResponseCode = "Unreadable page (no posts by id)";
        throw HttpError("the answer is not a readable page of posts by id");
    }
    const int before = tweets.Count();
    // A batch of ids none of which was given is no empty last page to be told about.
    if (lookup->missing.size() < ids.size()) tweets.SetData(lookup->page, true, false);
    // The ids not given go to the caller's list with their reasons, not to the log a batch at a time.
    missing = std::move(lookup->missing);
    return tweets.Count() - before;
}

RequestOutcome TwitterAPI::GetFollowerIds(const std::string& screenName) {
    if (screenName.empty()) return NotSent(false);
    Exchange exchange;
    exchange.methodName = "GetFollowerIds";
    exchange.url =
        Url("/1.1/followers/ids.json?cursor=-1&screen_name=" + EncodeParam(screenName) + "&count=5000");
    exchange.retry = Retry::None;
    return RunExchange(exchange);
}

RequestOutcome TwitterAPI::GetUsage() {
    if (!Authenticated()) return NotSent(false);
    Exchange exchange;
    exchange.methodName = "GetUsage";
    exchange.url = Url("/2/usage/tweets?days=1&usage.fields=daily_project_usage,project_usage");
    exchange.retry = Retry::None;
    // The last response code stays that of the capture: a look at the bill is no request of it.
    const std::string kept = m_lastResponseCode;
    struct Restore {
        std::string& code;
        const std::string& kept;
        ~Restore() { code = kept; }
    } restore{m_lastResponseCode, kept};
    return RunExchange(exchange);
}

std::string TwitterAPI::AuthAppAccess(const std::string& appName, const std::string& consumerKey,
                                      const std::string& consumerSecret) {
    m_authFailure.clear();
    m_authRefused = false;
    try {
        const std::string authorization =
            "Basic " + Base64EncodeSingleLine(consumerKey + ":" + consumerSecret);
        std::unique_ptr<HttpRequest> request = m_requestFactory();
        request->Open("POST", Url("/oauth2/token?grant_type=client_credentials"), true);
        request->SetRequestHeader("User-Agent", appName);
        request->SetRequestHeader("Authorization", authorization);
        request->SetRequestHeader("Content-Type", "application/x-www-form-urlencoded;charset=UTF-8");
        request->SetRequestHeader("Content-Length", "29");
        request->Send(kTokenRequestBody);
        request->WaitForResponse(kResponseWaitSeconds);
        // A response still missing after the wait makes Status throw: a failed exchange.
        if (const int status = request->Status(); status != 200) {
            m_authFailure = std::to_string(status) + ":" + request->StatusText();
            m_authRefused = status == 400 || status == 401 || status == 403;
            request->Abort();
            return {};
        }
        // Any JSON the service may send: blanks anywhere, members in any order.
        V2Page answer;
        std::vector<std::string_view> fields(2);
        if (answer.Read(request->ResponseText()))
            fields = answer.Pick(answer.Top(), {"token_type", "access_token"});
        const bool texts = V2Page::TypeOf(fields[0]) == V2Page::Type::String &&
                           V2Page::TypeOf(fields[1]) == V2Page::Type::String;
        const std::string token = texts ? JsonText(fields[1]) : std::string();
        if (!texts || JsonText(fields[0]) != "bearer" || token.empty()) {
            m_authFailure = "the answer held no bearer token";
            return {};
        }
        m_bearerToken = token;
        m_appName = appName;
        return token;
    } catch (const std::exception& error) {
        m_authFailure = error.what();
        return {};
    } catch (...) {
        m_authFailure = "the token exchange failed";
        return {};
    }
}

// --- The v2 dialect ---

RequestOutcome TwitterAPI::SearchV2(const std::string& query, const std::string& lang,
                                    const std::string& sinceId, const std::string& maxId,
                                    const std::string& count, TweetSet& tweets, bool appendTweets) {
    // v2 refuses since_id beside start_time; the recent search refuses a start beyond its
    // 7 days, and the full archive without one searches only the last 30.
    std::time_t start = sinceId.empty() ? m_searchStartTime : 0;
    if (!m_fullArchiveSearch && start > 0 && start < m_clock() - kRecentSearchReach) start = 0;
    if (m_fullArchiveSearch && sinceId.empty() && start <= 0) start = V2Request::kFirstPostTime;
    const std::string untilId = maxId.empty() ? "" : V2Translator::IdPlusOne(maxId);
    Exchange exchange = PageExchange(
        "GetSearch", V2Request::Search(m_fullArchiveSearch, query, lang, sinceId, untilId, count, start),
        ResourceFamily::Search, Retry::Step, [this, &tweets, appendTweets](const std::string& body) {
            return HandTweetsV2(body, tweets, appendTweets, true, "GetSearch");
        });
    exchange.question = kTroubleAccessing;
    exchange.viaProxy = !m_proxyServer.empty();
    exchange.declineMeansNoAccess = true;
    exchange.paced = m_fullArchiveSearch;
    return RunExchange(exchange);
}

RequestOutcome TwitterAPI::UserTimeLineV2(const std::string& user, bool userIsScreenName,
                                          const std::string& sinceId, const std::string& maxId,
                                          const std::string& count, TweetSet& tweets, bool appendTweets) {
    RequestOutcome failure;
    const std::string userId = userIsScreenName ? UserIdOf(user, "GetUserTimeLine", &failure) : user;
    if (userId.empty()) return failure;
    const std::string untilId = maxId.empty() ? "" : V2Translator::IdPlusOne(maxId);
    return RunExchange(PageExchange(
        "GetUserTimeLine", V2Request::UserPosts(userId, sinceId, untilId, count),
        ResourceFamily::UserTimeline, Retry::Step, [this, &tweets, appendTweets](const std::string& body) {
            return HandTweetsV2(body, tweets, appendTweets, false, "GetUserTimeLine");
        }));
}

RequestOutcome TwitterAPI::ListRequestV2(bool followers, const char* methodName, ResourceFamily family,
                                         const std::string& userId, const std::string& screenName,
                                         const std::string& count, UserSet& users, bool appendUsers) {
    RequestOutcome failure;
    const std::string id = userId.empty() ? UserIdOf(screenName, methodName, &failure) : userId;
    if (id.empty()) return failure;
    const std::string cursor = users.NextCursor();
    const std::string token = cursor == "-1" ? "" : cursor;
    return RunExchange(PageExchange(methodName, V2Request::Follows(id, followers, count, token), family,
                                    Retry::Resend,
                                    [this, &users, appendUsers, methodName](const std::string& body) {
                                        return HandUsersV2(body, users, appendUsers, true, methodName);
                                    }));
}

std::string TwitterAPI::UserIdOf(const std::string& screenName, const char* methodName,
                                 RequestOutcome* failure) {
    std::string key = screenName;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (const auto known = m_userIds.find(key); known != m_userIds.end()) return known->second;
    Exchange exchange;
    exchange.methodName = methodName;
    exchange.question = kTroubleContacting;
    exchange.url = Url(V2Request::UserByName(screenName));
    exchange.retry = Retry::Step;
    std::string id;
    exchange.handBody = [this, &id](const std::string& body) {
        id = m_v2.UserId(body);
        return id.empty() ? 0 : 1;
    };
    RequestOutcome asked = RunExchange(exchange);
    if (!asked.Answered()) {
        *failure = std::move(asked);
        return {};
    }
    if (id.empty()) {
        // An unknown account: v2 answers 200 with an error, v1.1 answered 404, and the
        // workflows take it as v1.1's lasting refusal.
        failure->status = RequestOutcome::Status::Refused;
        failure->httpStatus = 404;
        failure->reason = "Not Found";
        failure->serviceError = m_v2.ErrorAnswer(asked.body);
        m_lastResponseCode = "404:Not Found";
        if (!failure->serviceError.empty()) m_lastResponseCode += ": " + failure->serviceError;
        failure->responseCode = m_lastResponseCode;
        failure->url = asked.url;
        return {};
    }
    m_userIds.emplace(key, id);
    return id;
}

int TwitterAPI::HandTweetsV2(const std::string& body, TweetSet& tweets, bool appendTweets, bool search,
                             const std::string& methodName) {
    // The records come straight from the v2 answer; a page they cannot come from so is
    // written as v1.1 and read as such. The extra columns are read from that page alone.
    m_v2.SetExtraFields(tweets.ExtraFields());
    std::optional<TweetSet::Page> records;
    if (!tweets.ExtraFields()) records = m_v2.TweetRecords(body, search, tweets.ExactTexts());
    std::optional<std::string> page;
    if (!records) page = m_v2.TweetPage(body, search);
    RefuseBadListPage(methodName, !search);
    if (records)
        tweets.SetPage(std::move(*records), appendTweets);
    else
        tweets.SetData(page ? *page : body, appendTweets, search);
    LogPartialErrors(methodName);
    return tweets.LastSetDataSize();
}

int TwitterAPI::HandUsersV2(const std::string& body, UserSet& users, bool appendUsers, bool list,
                            const std::string& methodName) {
    const std::optional<std::string> page = m_v2.UserPage(body, list);
    if (list) RefuseBadListPage(methodName, true);
    const int before = appendUsers ? users.Count() : 0;
    users.SetData(page ? *page : body, appendUsers, list);
    LogPartialErrors(methodName);
    if (list && m_v2.NextTokenUnreadable())
        m_host.ErrorLine(methodName + ": the next_token is not a text; the list cannot be paged on");
    return users.Count() - before;
}

void TwitterAPI::RefuseBadListPage(const std::string& methodName, bool accountErrors) {
    // A page that cannot be read is no last page: taken as one, it would end the capture
    // as complete with every later page never asked for.
    if (const std::optional<std::string> problem = m_v2.ListPageProblem(accountErrors)) {
        LogPartialErrors(methodName);
        m_lastResponseCode = "Unreadable page (" + *problem + ")";
        throw HttpError("the answer is not a readable page: " + *problem);
    }
}

void TwitterAPI::LogPartialErrors(const std::string& methodName) {
    for (const std::string& kind : m_v2.ErrorKinds())
        m_host.ErrorLine(methodName + ": partial answer, " + kind);
    for (const std::string& kind : m_v2.SkippedKinds()) m_host.ErrorLine(methodName + ": left out, " + kind);
}

RequestOutcome TwitterAPI::GetQuotes(std::uint64_t postId, const std::string& token, TweetSet& tweets,
                                     bool appendTweets, std::string* nextToken) {
    nextToken->clear();
    if (!Authenticated()) return NotSent(false);
    bool refused = false;
    RequestOutcome outcome = RunExchange(
        PageExchange("GetQuotes", PostRequests::Quotes(postId, token), ResourceFamily::Quotes, Retry::Step,
                     [this, &tweets, appendTweets, nextToken, &refused, &token](const std::string& body) {
                         const int taken = HandTweetsV2(body, tweets, appendTweets, true, "GetQuotes");
                         *nextToken = m_v2.NextToken();
                         refused = OnlyErrors(taken, token);
                         return taken;
                     }));
    if (refused) RefuseAsNotFound(outcome);
    return outcome;
}

bool TwitterAPI::OnlyErrors(int taken, const std::string& token) {
    return taken == 0 && token.empty() && !m_v2.ErrorKinds().empty();
}

void TwitterAPI::RefuseAsNotFound(RequestOutcome& outcome) {
    // A first page of nothing but errors is the service's word on the post or list asked for
    // (gone, protected, never there): v1.1 answered 404, and the captures take it as that.
    if (!outcome.Answered()) return;
    outcome.status = RequestOutcome::Status::Refused;
    outcome.httpStatus = 404;
    outcome.reason = "Not Found";
    outcome.serviceError = m_v2.ErrorAnswer(outcome.body);
    m_lastResponseCode = "404:Not Found";
    if (!outcome.serviceError.empty()) m_lastResponseCode += ": " + outcome.serviceError;
    outcome.responseCode = m_lastResponseCode;
}

RequestOutcome TwitterAPI::GetPostUsers(PostUsers which, std::uint64_t id, UserSet& users, bool appendUsers) {
    if (!Authenticated()) return NotSent(false);
    if (!appendUsers) users.Clear();
    const std::string cursor = users.NextCursor();
    const std::string token = cursor == "-1" ? "" : cursor;
    struct Call {
        const char* methodName;
        ResourceFamily family;
        std::string (*path)(std::uint64_t, const std::string&);
    };
    static constexpr Call kCalls[] = {
        {"GetRepostedBy", ResourceFamily::RepostedBy, &PostRequests::RepostedBy},
        {"GetLikingUsers", ResourceFamily::LikingUsers, &PostRequests::LikingUsers},
        {"GetListMembers", ResourceFamily::ListMembers, &PostRequests::ListMembers},
    };
    const Call& call = kCalls[static_cast<int>(which)];
    bool refused = false;
    RequestOutcome outcome = RunExchange(
        PageExchange(call.methodName, call.path(id, token), call.family, Retry::Resend,
                     [this, &users, appendUsers, &call, &refused, &token](const std::string& body) {
                         const int taken = HandUsersV2(body, users, appendUsers, true, call.methodName);
                         refused = OnlyErrors(taken, token);
                         return taken;
                     }));
    if (refused) RefuseAsNotFound(outcome);
    return outcome;
}

int TwitterAPI::MaxCountPages(std::time_t startTime, std::time_t endTime) {
    constexpr std::time_t kPageSpan = 31 * 86400;
    // Without a start the service counts its last 30 days at most.
    const std::time_t span = startTime > 0 && endTime > startTime ? endTime - startTime : kPageSpan;
    return static_cast<int>((span + kPageSpan - 1) / kPageSpan) + 2;
}

TwitterAPI::Counts TwitterAPI::GetTweetCounts(const std::string& query, const std::string& lang,
                                              std::time_t startTime, std::time_t endTime) {
    Counts counts;
    if (!Authenticated() || query.empty()) {
        counts.outcome = NotSent(true);
        return counts;
    }
    // Bounds the service would refuse: a recent count reaching past its 7 days, an end less
    // than 10 seconds ago. Without them it counts its whole reach up to now.
    if (!m_fullArchiveSearch && startTime > 0 && startTime < m_clock() - kRecentSearchReach) startTime = 0;
    if (endTime > m_clock() - 10) endTime = 0;
    const int maxPages = MaxCountPages(startTime, endTime > 0 ? endTime : m_clock());
    std::unordered_set<std::string> tokensSeen{""};
    std::string token;
    for (int pages = 1;; ++pages) {
        std::optional<std::vector<V2Translator::Count>> page;
        std::string next;
        Exchange exchange;
        exchange.methodName = "GetTweetCounts";
        exchange.question = kTroubleAccessing;
        exchange.url = Url(V2Request::Counts(m_fullArchiveSearch, query, lang, startTime, endTime, token));
        exchange.family = ResourceFamily::Counts;
        exchange.retry = Retry::Step;
        exchange.paced = true;
        exchange.handBody = [this, &page, &next](const std::string& body) {
            std::string problem;
            page = m_v2.Counts(body, next, &problem);
            if (!problem.empty()) {
                m_lastResponseCode = "Unreadable page (" + problem + ")";
                throw HttpError("the answer is not a readable page: " + problem);
            }
            return page ? static_cast<int>(page->size()) : 0;
        };
        counts.outcome = RunExchange(exchange);
        if (!counts.outcome.Answered() || !page) {
            // An answer that holds no counts gives none, however it was answered.
            if (counts.outcome.Answered()) counts.outcome.status = RequestOutcome::Status::Failed;
            if (!counts.days.empty() && counts.outcome.status != RequestOutcome::Status::Cancelled)
                counts.stopLine = "a later page did not come (" + counts.outcome.responseCode + ")";
            return counts;
        }
        for (V2Translator::Count& count : *page) counts.days.push_back({std::move(count.date), count.posts});
        if (m_v2.NextTokenUnreadable()) {
            counts.stopLine = "the next_token is not a text";
        } else if (next.empty()) {
            break;
        } else if (!tokensSeen.insert(next).second) {
            counts.stopLine = "the service sent an earlier next_token again (" + next + ")";
        } else if (pages >= maxPages) {
            counts.stopLine = "more pages than the span can take (" + std::to_string(maxPages) + ")";
        } else if (Window(ResourceFamily::Counts).remaining <= 0) {
            counts.stopLine = "the counts window is spent";
        }
        if (!counts.stopLine.empty()) break;
        token = next;
    }
    return counts;
}

// --- The exchange ---

std::string TwitterAPI::Url(const std::string& pathAndQuery) const {
    return m_apiBase + pathAndQuery;
}

ExchangeHost::AutoRetry TwitterAPI::NextAutoRetry() {
    const ExchangeHost::AutoRetry answer = m_host.RetryOnItsOwn(m_autoRetries);
    if (answer == ExchangeHost::AutoRetry::Retry) ++m_autoRetries;
    return answer;
}

bool TwitterAPI::ServerErrorAnswered() const {
    return m_lastResponseCode.size() > 3 && m_lastResponseCode[0] == '5' && m_lastResponseCode[3] == ':';
}

bool TwitterAPI::AskToRetry(const Exchange& exchange, const std::string& error) {
    // The question cannot say what went wrong; the log can.
    m_host.ErrorLine(exchange.methodName + ": " + error);
    switch (NextAutoRetry()) {
        case ExchangeHost::AutoRetry::Retry:
            return true;
        case ExchangeHost::AutoRetry::GiveUp:
            return false;
        case ExchangeHost::AutoRetry::Ask:
            break;
    }
    return m_host.AskToRetry(exchange.question, "Recoverable error within " + exchange.methodName);
}

RequestOutcome TwitterAPI::RunExchange(const Exchange& exchange) {
    m_autoRetries = 0;
    if (std::optional<std::string> withheld = m_host.MaySend(exchange.url)) {
        RequestOutcome outcome;
        outcome.status = RequestOutcome::Status::Withheld;
        outcome.url = exchange.url;
        outcome.reason = *withheld;
        outcome.responseCode = m_lastResponseCode = std::move(*withheld);
        return outcome;
    }
    try {
        for (int tooFast = 0;;) {
            m_tooFast = false;
            m_outcome = RequestOutcome{};
            m_outcome.url = exchange.url;
            std::optional<std::string> body = RunExchangeOnce(exchange);
            if (body) {
                m_outcome.status = RequestOutcome::Status::Answered;
                m_outcome.body = std::move(*body);
                break;
            }
            if (m_outcome.status != RequestOutcome::Status::Refused)
                m_outcome.status = RequestOutcome::Status::Failed;
            // Requests left and still a 429: faster than the service allows; KeepPace waits.
            if (m_tooFast && ++tooFast <= kMaxTooFastRetries) continue;
            // A server error asks no question; only the host may send the request again.
            if (!ServerErrorAnswered() || NextAutoRetry() != ExchangeHost::AutoRetry::Retry) break;
        }
    } catch (const RequestAborted&) {
        // Dropped on the caller's word: the page in flight is lost, as if never asked for.
        m_outcome.status = RequestOutcome::Status::Cancelled;
        m_outcome.body.clear();
    }
    m_outcome.responseCode = m_lastResponseCode;
    return std::move(m_outcome);
}

std::optional<std::string> TwitterAPI::RunExchangeOnce(const Exchange& exchange) {
    std::unique_ptr<HttpRequest> request;
    std::optional<std::string> result;
    if (exchange.retry == Retry::Resend) {
        try {
            result = Perform(request, exchange);
        } catch (const RequestAborted&) {
            throw;
        } catch (const std::exception& error) {
            if (AskToRetry(exchange, error.what())) {
                if (!request) throw;
                // The second attempt has no question of its own: its error goes to the caller.
                request->Send();
                request->WaitForResponse(kResponseWaitSeconds);
                result = Receive(*request, exchange);
            }
        }
    } else {
        result = Perform(request, exchange);
    }
    if (result) return result;
    if (m_outcome.status == RequestOutcome::Status::Refused) return std::nullopt;

    // The user declined to retry.
    if (request) request->Abort();
    if (exchange.declineMeansNoAccess) m_lastResponseCode = kCouldNotAccess;
    return std::nullopt;
}

std::optional<std::string> TwitterAPI::Perform(std::unique_ptr<HttpRequest>& request,
                                               const Exchange& exchange) {
    auto step = [&](auto&& action) {
        return RunStep(
            exchange.retry == Retry::Step,
            [&](const std::string& error) { return AskToRetry(exchange, error); }, action);
    };
    if (!step([&] { request = m_requestFactory(); })) return std::nullopt;
    request->SetWaitHook([this] {
        m_host.Waiting(true);
        m_host.LetEventsRun();
        return !m_host.CancelRequested();
    });
    if (exchange.viaProxy) {
        m_host.Note("Testing connection via proxy", "Test");
        if (!step([&] { request->SetProxy(ProxySetting::Proxy, m_proxyServer, ""); })) return std::nullopt;
    }
    if (!step([&] { request->Open("GET", exchange.url, false); })) return std::nullopt;
    if (!step([&] { request->SetRequestHeader("User-Agent", m_appName); })) return std::nullopt;
    if (!step([&] { request->SetRequestHeader("Authorization", "Bearer " + m_bearerToken); }))
        return std::nullopt;
    if (exchange.paced) KeepPace();
    if (!step([&] { request->Send(); })) return std::nullopt;
    if (exchange.paced) m_lastPacedSend = std::chrono::steady_clock::now();
    // The host hears the end of the wait on every way out, a cancel's exception included.
    struct WaitEnd {
        ExchangeHost& host;
        ~WaitEnd() { host.Waiting(false); }
    } waitEnd{m_host};
    if (!step([&] { request->WaitForResponse(kResponseWaitSeconds); })) return std::nullopt;
    return Receive(*request, exchange);
}

std::optional<std::string> TwitterAPI::Receive(HttpRequest& request, const Exchange& exchange) {
    auto step = [&](auto&& action) {
        return RunStep(
            exchange.retry == Retry::Step,
            [&](const std::string& error) { return AskToRetry(exchange, error); }, action);
    };
    int status = 0;
    if (!step([&] { status = request.Status(); })) return std::nullopt;
    auto readCode = [&] {
        m_outcome.httpStatus = request.Status();
        m_outcome.reason = request.StatusText();
        m_lastResponseCode = std::to_string(m_outcome.httpStatus) + ":" + m_outcome.reason;
    };
    if (status != 200) {
        if (!step(readCode)) return std::nullopt;
        ReadRefusal(request, status, exchange);
        if (!step([&] { request.Abort(); })) return std::nullopt;
        m_outcome.status = RequestOutcome::Status::Refused;
        return std::nullopt;
    }

    std::string body;
    if (!ResendStep(request, exchange, [&] { body = ReadPage(request, exchange); })) return std::nullopt;
    // An answer that came but could not be taken is still there to be seen.
    auto declined = [&] {
        m_outcome.body = std::move(body);
        return std::nullopt;
    };
    if (exchange.family && !ReadQuotaHeaders(request, exchange)) return declined();
    if (!step(readCode)) return declined();
    // A page the records cannot be taken from (one that is no page of records, a count that
    // cannot be one) is an error of the answer: Yes sends the request again and takes the
    // new answer.
    bool resent = false;
    if (exchange.handBody && !ResendStep(request, exchange, [&] {
            if (resent) body = ReadPage(request, exchange);
            resent = true;
            m_outcome.records = exchange.handBody(body);
        }))
        return declined();
    return body;
}

std::string TwitterAPI::ReadPage(HttpRequest& request, const Exchange& exchange) {
    std::string body = request.ResponseText();
    m_outcome.pageRecords = PageRecords{};
    // A page of records that is not one (a portal's HTML, a body cut short) is an error of
    // the exchange, not a last page: no record is taken from it.
    if (exchange.handBody) {
        // The readers of the page read past its end: room for them spares a copy each.
        body.reserve(body.size() + PageCheck::kReadPastEnd);
        if (const std::optional<std::string> problem =
                PageCheck::Problem(body, body.capacity() - body.size(), &m_outcome.pageRecords)) {
            m_lastResponseCode = "Unreadable page (" + *problem + ")";
            throw HttpError("the answer is not a readable page: " + *problem);
        }
    }
    // Every page that came is told, taken or not: the service has served (and billed) it.
    m_host.Answered(exchange.url, 200, body);
    return body;
}

bool TwitterAPI::ResendStep(HttpRequest& request, const Exchange& exchange,
                            const std::function<void()>& action) {
    // A fault in the answer stays however often the answer is read again, so Yes sends the
    // same request again and reads the new answer.
    return RunStep(
        exchange.retry == Retry::Step,
        [&](const std::string& error) {
            if (!AskToRetry(exchange, error)) return false;
            try {
                if (exchange.paced) KeepPace();
                request.Send();
                if (exchange.paced) m_lastPacedSend = std::chrono::steady_clock::now();
                request.WaitForResponse(kResponseWaitSeconds);
            } catch (const RequestAborted&) {
                throw;
            } catch (const std::exception&) {
                // The read fails again and the question comes back.
            }
            return true;
        },
        action);
}

void TwitterAPI::ReadSpentWindow(HttpRequest& request) {
    // The 429's own header, not that of the last page that came: a reset that is missing,
    // unreadable or already past tells nothing of when the window renews. The family's
    // window stays as its last good answer left it.
    try {
        const int64_t reset = HeaderNumber<int64_t>(request.GetResponseHeader("x-rate-limit-reset"));
        if (reset > m_clock()) m_outcome.retryAt = static_cast<std::time_t>(reset);
    } catch (const std::exception&) {
    }
}

void TwitterAPI::ReadRefusal(HttpRequest& request, int status, const Exchange& exchange) {
    if (status == 429 && exchange.family) ReadSpentWindow(request);
    std::string body;
    try {
        body = request.ResponseText();
    } catch (const std::exception&) {
        return;  // a refusal without a readable body says no more than its status
    }
    m_host.Answered(exchange.url, status, body);
    if (m_apiVersion == ApiVersion::V1_1) {
        if (status == 403 && body.find("\"code\":453") != std::string::npos) {
            m_outcome.serviceError = RequestOutcome::kV11NotInAccess;
            m_lastResponseCode += std::string(": ") + RequestOutcome::kV11NotInAccess;
        }
        return;
    }
    const std::string why = m_v2.ErrorAnswer(body);
    m_outcome.serviceError = why;
    if (!why.empty()) m_lastResponseCode += ": " + why;
    if (status == 429 && exchange.paced) {
        try {
            m_tooFast = SKDFuncs::LeadingNumber(request.GetResponseHeader("x-rate-limit-remaining")) > 0;
        } catch (const std::exception&) {
            m_tooFast = false;
        }
    }
}

void TwitterAPI::KeepPace() {
    // A little over the second, so that no jitter on the way makes two arrive closer.
    const auto due = m_lastPacedSend + std::chrono::milliseconds(1050);
    while (std::chrono::steady_clock::now() < due) {
        m_host.LetEventsRun();
        if (m_host.CancelRequested()) throw RequestAborted("cancelled while keeping the pace");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool TwitterAPI::ReadQuotaHeaders(HttpRequest& request, const Exchange& exchange) {
    // The page itself is the one already received (the request is the same).
    auto headerStep = [&](auto&& action) { return ResendStep(request, exchange, action); };
    // Each value is kept as soon as it is read, so a missing later header leaves the earlier ones.
    QuotaWindow& window = MutableWindow(*exchange.family);
    return headerStep([&] {
               window.remaining = HeaderNumber<int16_t>(request.GetResponseHeader("x-rate-limit-remaining"));
           }) &&
           headerStep([&] {
               window.limit = HeaderNumber<int16_t>(request.GetResponseHeader("x-rate-limit-limit"));
           }) &&
           headerStep([&] {
               window.reset = HeaderNumber<int64_t>(request.GetResponseHeader("x-rate-limit-reset"));
           });
}

}  // namespace marlin
