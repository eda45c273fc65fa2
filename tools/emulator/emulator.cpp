#include "emulator/emulator.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "emulator/bluesky_service.h"
#include "emulator/corpus.h"
#include "emulator/fault_plan.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/post_lookup_service.h"
#include "emulator/rate_limiter.h"
#include "emulator/renderer.h"
#include "emulator/search_query.h"
#include "emulator/text_builder.h"
#include "emulator/usage_meter.h"
#include "emulator/v2_engagement_service.h"
#include "emulator/v2_errors.h"
#include "emulator/v2_service.h"
#include "emulator/vocabulary.h"

namespace marlin::emulator {

namespace {

constexpr const char* kJsonType = "application/json;charset=utf-8";

// The service's error bodies.
std::string ErrorBody(int code, const std::string& message) {
    return "{\"errors\":[{\"code\":" + std::to_string(code) + ",\"message\":\"" + message + "\"}]}";
}
const std::string kRateLimitBody = "{\"errors\":[{\"message\":\"Rate limit exceeded\",\"code\":88}]}";
const std::string kBadAuthBody = ErrorBody(215, "Bad Authentication data.");
const std::string kInvalidTokenBody = ErrorBody(89, "Invalid or expired token.");
const std::string kNoPageBody = ErrorBody(34, "Sorry, that page does not exist.");
const std::string kNoUsersBody = ErrorBody(17, "No user matches for specified terms.");
const std::string kOverCapacityBody = "{\"errors\":[{\"message\":\"Over capacity\",\"code\":130}]}";
const std::string kSubsetAccessBody =
    "{\"errors\":[{\"message\":\"You currently have access to a subset of Twitter API v2 endpoints and "
    "limited "
    "v1.1 endpoints (e.g. media post, oauth) only. If you need access to this endpoint, you may need a "
    "different "
    "access level. You can learn more here: "
    "https://developer.twitter.com/en/portal/product\",\"code\":453}]}";
const std::string kInternalErrorBody = "{\"errors\":[{\"message\":\"Internal error\",\"code\":131}]}";
const std::string kBadCredentialsBody =
    "{\"errors\":[{\"code\":99,\"message\":\"Unable to verify your "
    "credentials\",\"label\":\"authenticity_token_"
    "error\"}]}";
const std::string kMissingGrantBody =
    "{\"errors\":[{\"code\":170,\"message\":\"Missing required parameter: grant_type\",\"label\":\"forbidden_"
    "missing_parameter\"}]}";

std::string NotAuthorizedBody(const std::string& path) {
    std::string out = "{\"request\":";
    JsonWriter::AppendQuoted(out, path);
    return out + ",\"error\":\"Not authorized.\"}";
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 429:
            return "Too Many Requests";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "";
    }
}

std::string HttpDate(int64_t seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&t, &parts);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return buffer;
}

std::string Base64Decode(const std::string& text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+' || c == '-') return 62;
        if (c == '/' || c == '_') return 63;
        return -1;
    };
    std::string out;
    int bits = 0;
    unsigned buffer = 0;
    for (char c : text) {
        int v = value(c);
        if (v < 0) continue;  // padding and line breaks
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

std::string PercentEncode(const std::string& text, bool spaceAsPlus) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else if (c == ' ' && spaceAsPlus) {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::optional<uint64_t> ParseId(const std::string& text) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        uint64_t next = value * 10 + static_cast<uint64_t>(c - '0');
        if (next / 10 != value) return std::nullopt;
        value = next;
    }
    return value;
}

std::optional<int64_t> ParseSigned(const std::string& text) {
    if (!text.empty() && text[0] == '-') {
        auto magnitude = ParseId(text.substr(1));
        if (!magnitude || *magnitude > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
        return -static_cast<int64_t>(*magnitude);
    }
    auto value = ParseId(text);
    if (!value || *value > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<int64_t>(*value);
}

bool IsTrue(const std::string& value) {
    return value == "true" || value == "1" || value == "t" || value == "True";
}

Renderer::TextMode TextModeOf(const httplib::Request& req) {
    return req.get_param_value("tweet_mode") == "extended" ? Renderer::TextMode::Extended
                                                           : Renderer::TextMode::Compatible;
}

// The endpoints served, by the service's resource families in the order of its rate-limit status.
struct Resource {
    const char* family;
    const char* path;
    Family window;
};
constexpr Resource kResources[] = {
    {"application", "/application/rate_limit_status", Family::RateLimitStatus},
    {"users", "/users/lookup", Family::UsersLookup},
    {"followers", "/followers/ids", Family::FollowerIds},
    {"followers", "/followers/list", Family::FollowersList},
    {"statuses", "/statuses/user_timeline", Family::UserTimeline},
    {"statuses", "/statuses/lookup", Family::StatusesLookup},
    {"friends", "/friends/list", Family::FriendsList},
    {"friends", "/friends/ids", Family::FriendIds},
    {"search", "/search/tweets", Family::Search},
};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t comma = text.find(',', begin);
        if (comma == std::string::npos) comma = text.size();
        std::string item = text.substr(begin, comma - begin);
        while (!item.empty() && item.front() == ' ') item.erase(0, 1);
        while (!item.empty() && item.back() == ' ') item.pop_back();
        if (!item.empty()) items.push_back(item);
        begin = comma + 1;
    }
    return items;
}

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// Ends the connection that carries the request without a byte of answer. The server library does not
// hand its socket to handlers, so the socket is found by its two port numbers.
// The socket of the request's connection, or -1.
int SocketOf(const httplib::Request& req) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_storage local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) continue;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) continue;
        if (PortOf(local) == req.local_port && PortOf(peer) == req.remote_port) return fd;
    }
    return -1;
}

void DropConnection(const httplib::Request& req) {
    if (const int fd = SocketOf(req); fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

// Answers with the response's status line and headers but no Content-Length, and closes
// the connection half-way through the body: the end of the connection looks like the end
// of the page.
void CutConnection(const httplib::Request& req, const httplib::Response& res) {
    const int fd = SocketOf(req);
    if (fd < 0) return;
    std::string bytes = "HTTP/1.1 200 OK\r\nConnection: close\r\n";
    for (const auto& [name, value] : res.headers) bytes += name + ": " + value + "\r\n";
    bytes += "\r\n" + res.body.substr(0, res.body.size() / 2);
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_RDWR);
}

// A 200 body that is not a page of the service, for the faults that send one.
std::string SpoiltBody(Fault fault) {
    switch (fault) {
        case Fault::HtmlPage:
            return "<!DOCTYPE html><html><head><title>Sign in to the network</title></head>"
                   "<body><form action=\"/login\"><input name=\"user\"></form></body></html>";
        case Fault::DeepPage: {
            std::string body = "[";
            for (int i = 0; i < 200; ++i) body += "{\"a\":";
            return body + "1" + std::string(200, '}') + "]";
        }
        case Fault::ManyRecords: {
            std::string body = "[{}";
            for (int i = 0; i < 10000; ++i) body += ",{}";
            return body + "]";
        }
        default:
            return {};
    }
}

struct Answer {
    int status = 200;
    std::string body;
};

}  // namespace

// ---- LoggedRequest ------------------------------------------------------------------------------------

namespace {
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}
}  // namespace

std::string LoggedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
        if (SameName(key, name)) return value;
    return "";
}

bool LoggedRequest::HasHeader(const std::string& name) const {
    for (const auto& header : headers)
        if (SameName(header.first, name)) return true;
    return false;
}

std::string LoggedRequest::Param(const std::string& name) const {
    auto it = params.find(name);
    return it == params.end() ? "" : it->second;
}

// ---- the server ---------------------------------------------------------------------------------------

struct Emulator::Impl {
    explicit Impl(EmulatorConfig c)
        : config(std::move(c)),
          now(config.now ? config.now : static_cast<int64_t>(std::time(nullptr))),
          corpus(config, now),
          renderer(corpus),
          v2(corpus, config),
          lookup(corpus, renderer, v2),
          engagement(corpus, v2, config.seed),
          usage(config),
          limiter(config),
          bsky(corpus, config, limiter) {
        for (const FaultRule& rule : config.faults) faults.Add(rule);
        uint64_t h = Hash(config.seed, std::hash<std::string>{}(config.consumerKey));
        // Real tokens often hold %2F and %3D; the server library decodes percent escapes in header values
        // before a handler sees them, so a token with escapes could not be checked byte for byte.
        token = "AAAAAAAAAAAAAAAAAAAAA" + TextBuilder::ShortCode(h, 10) + "AAAAAAAA" +
                TextBuilder::ShortCode(h + 1, 20) + "x" + TextBuilder::ShortCode(h + 2, 50);
    }

    using Producer = std::function<Answer(const httplib::Request&)>;

    void Routes();
    template <typename Route>
    void V2Routes(Route& route);
    void Log(const httplib::Request& req);
    bool Stall(int seconds);
    void ServeToken(const httplib::Request& req, httplib::Response& res);
    void Serve(const httplib::Request& req, httplib::Response& res, Family family, const Producer& produce);
    // Full-archive search allows one request a pace; false when this one comes too soon after the last.
    bool KeepsArchivePace();
    void ServiceHeaders(httplib::Response& res, int status) const;
    void Finish(httplib::Response& res, int status, std::string body) const;

    Answer Search(const httplib::Request& req);
    Answer UserTimeline(const httplib::Request& req);
    Answer UsersLookup(const httplib::Request& req);
    Answer FollowersList(const httplib::Request& req) { return UserList(req, false); }
    Answer FriendsList(const httplib::Request& req) { return UserList(req, true); }
    Answer FollowerIds(const httplib::Request& req) { return IdList(req, false); }
    Answer FriendIds(const httplib::Request& req) { return IdList(req, true); }
    Answer RateLimitStatus(const httplib::Request& req);
    Answer UserList(const httplib::Request& req, bool friends);
    Answer IdList(const httplib::Request& req, bool friends);
    // Whether the full search page that the request asks for comes short, and how many tweets it keeps.
    size_t ShortPageSize(const httplib::Request& req, const SearchOptions& options, size_t full) const;

    // The user a request names by user_id or screen_name, or an error answer.
    std::optional<int> TargetUser(const httplib::Request& req, Answer& error) const;
    int64_t EncodeCursor(int user, int position) const;
    std::optional<int> DecodeCursor(int user, int64_t cursor) const;
    // Positions [first, end) of a cursored page and its neighbours' cursors.
    struct Page {
        int first = 0;
        int end = 0;
        int64_t next = 0;
        int64_t previous = 0;
    };
    Page CursorPage(const httplib::Request& req, int user, int total, int count) const;
    static void WriteCursors(JsonWriter& json, const Page& page);

    EmulatorConfig config;
    int64_t now;
    Corpus corpus;
    Renderer renderer;
    V2Service v2;
    PostLookupService lookup;
    V2EngagementService engagement;
    UsageMeter usage;
    RateLimiter limiter;
    BlueskyService bsky;
    FaultPlan faults;
    std::string token;

    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = 0;
    std::atomic<bool> running{false};

    mutable std::mutex logMutex;
    std::vector<LoggedRequest> log;

    std::mutex paceMutex;
    std::optional<std::chrono::steady_clock::time_point> lastArchiveSearch;

    std::mutex stopMutex;
    std::condition_variable stopSignal;
    bool stopping = false;
};

void Emulator::Impl::Log(const httplib::Request& req) {
    LoggedRequest entry;
    entry.method = req.method;
    entry.target = req.target;
    entry.path = req.path;
    for (const auto& [name, value] : req.params) entry.params.emplace(name, value);
    for (const auto& [name, value] : req.headers) {
        // The server library adds these itself; they were not sent.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT")
            continue;
        entry.headers.emplace_back(name, value);
    }
    entry.body = req.body;
    std::lock_guard lock(logMutex);
    log.push_back(std::move(entry));
}

bool Emulator::Impl::Stall(int seconds) {
    std::unique_lock lock(stopMutex);
    stopSignal.wait_for(lock, std::chrono::seconds(seconds), [&] { return stopping; });
    return !stopping;
}

void Emulator::Impl::ServiceHeaders(httplib::Response& res, int status) const {
    int64_t t = static_cast<int64_t>(std::time(nullptr));
    res.set_header("cache-control", "no-cache, no-store, must-revalidate, pre-check=0, post-check=0");
    res.set_header("content-disposition", "attachment; filename=json.json");
    res.set_header("date", HttpDate(t));
    res.set_header("expires", "Tue, 31 Mar 1981 05:00:00 GMT");
    res.set_header("last-modified", HttpDate(t));
    res.set_header("pragma", "no-cache");
    res.set_header("server", "tsa_b");
    res.set_header("status", std::to_string(status) + " " + Reason(status));
    res.set_header("strict-transport-security", "max-age=631138519");
    res.set_header("x-access-level", "read");
    res.set_header("x-content-type-options", "nosniff");
    res.set_header("x-frame-options", "SAMEORIGIN");
    res.set_header("x-response-time", "7");
    res.set_header("x-xss-protection", "0");
}

void Emulator::Impl::Finish(httplib::Response& res, int status, std::string body) const {
    res.status = status;
    ServiceHeaders(res, status);
    // Moved rather than handed to set_content, which would copy a page of several hundred kilobytes.
    res.set_header("Content-Type", kJsonType);
    res.body = std::move(body);
}

void Emulator::Impl::ServeToken(const httplib::Request& req, httplib::Response& res) {
    Log(req);
    FaultPlan::Decision d = faults.Next(Family::Token);
    if (d.fault == Fault::CloseConnection) return DropConnection(req);
    if (d.fault == Fault::Stall && !Stall(d.stallSeconds)) return DropConnection(req);
    if (d.fault == Fault::Error500) return Finish(res, 500, kInternalErrorBody);
    if (d.fault == Fault::Error503) return Finish(res, 503, kOverCapacityBody);

    if (req.get_param_value("grant_type") != "client_credentials") return Finish(res, 403, kMissingGrantBody);
    std::string auth = req.get_header_value("Authorization");
    const std::string prefix = "Basic ";
    if (auth.compare(0, prefix.size(), prefix) != 0) return Finish(res, 403, kBadCredentialsBody);
    std::string pair = Base64Decode(auth.substr(prefix.size()));
    size_t colon = pair.find(':');
    if (colon == std::string::npos) return Finish(res, 403, kBadCredentialsBody);
    // Keys are URL-encoded before they are joined; the demo keys have nothing to encode, but decode anyway.
    std::string key = httplib::detail::decode_url(pair.substr(0, colon), false);
    std::string secret = httplib::detail::decode_url(pair.substr(colon + 1), false);
    if (key != config.consumerKey || secret != config.consumerSecret)
        return Finish(res, 403, kBadCredentialsBody);
    limiter.AddToken(token);
    Finish(res, 200, "{\"token_type\":\"bearer\",\"access_token\":\"" + token + "\"}");
}

bool Emulator::Impl::KeepsArchivePace() {
    const auto at = std::chrono::steady_clock::now();
    std::lock_guard lock(paceMutex);
    if (lastArchiveSearch && at - *lastArchiveSearch < std::chrono::milliseconds(config.archivePaceMs))
        return false;
    lastArchiveSearch = at;
    return true;
}

void Emulator::Impl::Serve(const httplib::Request& req, httplib::Response& res, Family family,
                           const Producer& produce) {
    Log(req);
    FaultPlan::Decision d = faults.Next(family);
    if (d.fault == Fault::CloseConnection) return DropConnection(req);
    if (d.fault == Fault::Stall && !Stall(d.stallSeconds)) return DropConnection(req);
    if (d.fault == Fault::Error500) return Finish(res, 500, kInternalErrorBody);
    if (d.fault == Fault::Error503) return Finish(res, 503, kOverCapacityBody);

    const bool v2Path = req.path.rfind("/2/", 0) == 0;
    std::string auth = req.get_header_value("Authorization");
    const std::string prefix = "Bearer ";
    if (v2Path && auth != prefix + token) return Finish(res, 401, V2Errors::Unauthorized());
    if (auth.compare(0, prefix.size(), prefix) != 0) return Finish(res, 400, kBadAuthBody);
    if (auth.substr(prefix.size()) != token) return Finish(res, 401, kInvalidTokenBody);
    if (config.v11Refused && (family == Family::Search || family == Family::UserTimeline))
        return Finish(res, 403, kSubsetAccessBody);

    const int64_t at = static_cast<int64_t>(std::time(nullptr));
    // Too fast for the full archive: refused while the window still has requests, which it keeps.
    const bool tooSoon = family == Family::V2Archive && !KeepsArchivePace();
    RateLimiter::Verdict v = tooSoon ? limiter.Peek(token, family, at) : limiter.Take(token, family, at);
    const std::string spentBody = v2Path ? V2Errors::TooManyRequests() : kRateLimitBody;
    Answer answer = v.allowed && !tooSoon ? produce(req) : Answer{429, spentBody};
    Finish(res, answer.status, std::move(answer.body));
    if (d.fault != Fault::OmitLimit) res.set_header("x-rate-limit-limit", std::to_string(v.limit));
    if (d.fault != Fault::OmitRemaining)
        res.set_header("x-rate-limit-remaining", std::to_string(v.remaining));
    if (d.fault != Fault::OmitReset) res.set_header("x-rate-limit-reset", std::to_string(v.reset));
    if (answer.status != 200) return;
    if (d.fault == Fault::CutPage) return CutConnection(req, res);
    if (std::string spoilt = SpoiltBody(d.fault); !spoilt.empty()) {
        if (d.fault == Fault::HtmlPage) {
            res.headers.erase("Content-Type");
            res.set_header("Content-Type", "text/html");
        }
        res.body = std::move(spoilt);
    }
}

// ---- endpoints ----------------------------------------------------------------------------------------

Answer Emulator::Impl::Search(const httplib::Request& req) {
    auto started = std::chrono::steady_clock::now();
    std::string q = req.get_param_value("q");
    // The search index leaves reposts out when told so, in both dialects.
    SearchQuery query(config.searchWithoutReposts && !q.empty() ? "(" + q + ") -filter:retweets" : q);
    if (q.empty()) return {400, ErrorBody(25, "Query parameters are missing.")};
    SearchOptions options;
    if (req.has_param("count")) {
        auto count = ParseSigned(req.get_param_value("count"));
        if (!count) return {400, ErrorBody(44, "count parameter is invalid.")};
        options.count = static_cast<int>(std::clamp<int64_t>(*count, 1, 100));
    }
    std::string lang = req.get_param_value("lang");
    std::string resultType = req.get_param_value("result_type");
    options.lang = lang;
    options.popularOnly = resultType == "popular";
    auto sinceId = ParseId(req.get_param_value("since_id"));
    auto maxId = ParseId(req.get_param_value("max_id"));
    if (sinceId) options.sinceId = *sinceId;
    if (maxId) options.maxId = *maxId;
    std::vector<Tweet> tweets = corpus.Search(query, options);
    const bool full = static_cast<int>(tweets.size()) == options.count;
    if (full) tweets.resize(ShortPageSize(req, options, tweets.size()));

    const Renderer::TextMode mode = TextModeOf(req);
    std::string body;
    body.reserve(tweets.size() * 3500 + 512);
    JsonWriter json(body);
    json.BeginObject().Key("statuses").BeginArray();
    for (const Tweet& t : tweets) renderer.WriteTweet(json, t, Renderer::TweetStyle::Search, mode);
    json.EndArray();

    uint64_t newest = !tweets.empty() ? tweets.front().id : maxId.value_or(0);
    std::string extra;
    if (!lang.empty()) extra += "&lang=" + PercentEncode(lang, false);
    if (!resultType.empty()) extra += "&result_type=" + PercentEncode(resultType, false);
    std::string encoded = PercentEncode(q, false);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    json.Key("search_metadata").BeginObject();
    char completed[32];
    std::snprintf(completed, sizeof completed, "%.3f", seconds);
    json.Key("completed_in").Raw(completed);
    json.Key("max_id").UInt(newest).Field("max_id_str", std::to_string(newest));
    // The service's links: the next page keeps the count and puts the result type last.
    if (full) {
        std::string next = "?max_id=" + std::to_string(tweets.back().id - 1) + "&q=" + encoded;
        if (!lang.empty()) next += "&lang=" + PercentEncode(lang, false);
        if (req.has_param("count")) next += "&count=" + std::to_string(options.count);
        next += "&include_entities=1";
        if (!resultType.empty()) next += "&result_type=" + PercentEncode(resultType, false);
        json.Field("next_results", next);
    }
    json.Field("query", PercentEncode(q, true));
    json.Field("refresh_url",
               "?since_id=" + std::to_string(newest) + "&q=" + encoded + extra + "&include_entities=1");
    json.Field("count", options.count);
    json.Key("since_id").UInt(options.sinceId).Field("since_id_str", std::to_string(options.sinceId));
    json.EndObject().EndObject();
    return {200, std::move(body)};
}

size_t Emulator::Impl::ShortPageSize(const httplib::Request& req, const SearchOptions& options,
                                     size_t full) const {
    if (full < 2) return full;
    // The same request always gets the same page, whatever came before it. Ids are read relative to the
    // corpus's present, so that a corpus made at another moment cuts the same pages short.
    const uint64_t present = static_cast<uint64_t>(corpus.NowMs() - Corpus::kServiceEpochMs) << 22;
    auto relative = [present](uint64_t id) { return id == 0 || id == UINT64_MAX ? id : present - id; };
    uint64_t h = Hash(config.seed, HashText(req.get_param_value("q") + "\x1f" + options.lang),
                      HashText(req.get_param_value("result_type")),
                      Hash(relative(options.maxId), relative(options.sinceId)));
    if (Unit(h) >= config.shortPageShare) return full;
    return 1 + Pick(Mix(h), full - 1);
}

std::optional<int> Emulator::Impl::TargetUser(const httplib::Request& req, Answer& error) const {
    std::optional<int> user;
    // An empty user_id counts as absent: the list requests always send both parameters.
    if (req.has_param("user_id") && !req.get_param_value("user_id").empty()) {
        if (auto id = ParseId(req.get_param_value("user_id"))) user = corpus.FindUserId(*id);
    } else if (req.has_param("screen_name")) {
        std::string name = req.get_param_value("screen_name");
        if (!name.empty() && name[0] == '@') name.erase(0, 1);
        user = corpus.FindScreenName(name);
    }
    if (!user) error = {404, kNoPageBody};
    return user;
}

Answer Emulator::Impl::UserTimeline(const httplib::Request& req) {
    Answer error;
    auto user = TargetUser(req, error);
    if (!user) return error;
    if (corpus.IsProtected(*user)) return {401, NotAuthorizedBody(req.path)};
    int count = 20;
    if (auto c = ParseSigned(req.get_param_value("count")))
        count = static_cast<int>(std::clamp<int64_t>(*c, 1, 200));
    uint64_t sinceId = ParseId(req.get_param_value("since_id")).value_or(0);
    uint64_t maxId = ParseId(req.get_param_value("max_id")).value_or(UINT64_MAX);
    bool keepRetweets = !req.has_param("include_rts") || IsTrue(req.get_param_value("include_rts"));
    bool keepReplies = !IsTrue(req.get_param_value("exclude_replies"));
    const Renderer::TextMode mode = TextModeOf(req);

    std::string body;
    body.reserve(static_cast<size_t>(count) * 3500);
    JsonWriter json(body);
    json.BeginArray();
    // As with the service, count is applied first and retweets or replies left out afterwards.
    for (TweetRef ref : corpus.Timeline(*user, sinceId, maxId, count)) {
        Tweet t = corpus.MakeTweet(ref);
        if ((!keepRetweets && t.IsRetweet()) || (!keepReplies && t.replyToUser >= 0)) continue;
        renderer.WriteTweet(json, t, Renderer::TweetStyle::Timeline, mode);
    }
    json.EndArray();
    return {200, std::move(body)};
}

Answer Emulator::Impl::UsersLookup(const httplib::Request& req) {
    std::vector<int> found;
    auto add = [&](std::optional<int> user) {
        if (user && std::find(found.begin(), found.end(), *user) == found.end()) found.push_back(*user);
    };
    std::vector<std::string> ids = SplitList(req.get_param_value("user_id"));
    std::vector<std::string> names = SplitList(req.get_param_value("screen_name"));
    if (ids.size() + names.size() > 100) return {403, ErrorBody(18, "Too many terms specified in query.")};
    for (const std::string& id : ids)
        if (auto value = ParseId(id)) add(corpus.FindUserId(*value));
    for (std::string name : names) {
        if (!name.empty() && name[0] == '@') name.erase(0, 1);
        add(corpus.FindScreenName(name));
    }
    if (found.empty()) return {404, kNoUsersBody};
    std::string body;
    JsonWriter json(body);
    json.BeginArray();
    for (int user : found)
        renderer.WriteUser(json, corpus.User(user), Renderer::UserStyle::Lookup, true, TextModeOf(req));
    json.EndArray();
    return {200, std::move(body)};
}

int64_t Emulator::Impl::EncodeCursor(int user, int position) const {
    // Opaque to clients, like the service's: a large number that carries the position and a check.
    return 1600000000000000000LL + static_cast<int64_t>(position) * 4096 +
           static_cast<int64_t>(Hash(config.seed, static_cast<uint64_t>(user), 0xC0) & 0xFFF);
}

std::optional<int> Emulator::Impl::DecodeCursor(int user, int64_t cursor) const {
    int64_t offset = cursor - 1600000000000000000LL;
    if (offset < 0) return std::nullopt;
    if ((offset & 0xFFF) !=
        static_cast<int64_t>(Hash(config.seed, static_cast<uint64_t>(user), 0xC0) & 0xFFF))
        return std::nullopt;
    if (offset / 4096 > INT_MAX) return std::nullopt;
    return static_cast<int>(offset / 4096);
}

Emulator::Impl::Page Emulator::Impl::CursorPage(const httplib::Request& req, int user, int total,
                                                int count) const {
    Page page;
    int64_t cursor = ParseSigned(req.get_param_value("cursor")).value_or(-1);
    if (cursor == -1 || cursor == 0) {
        page.first = 0;
    } else if (cursor > 0) {
        auto position = DecodeCursor(user, cursor);
        page.first = position ? std::min(*position, total) : total;
    } else {
        // A previous_cursor: the page that ends where the given one starts.
        auto position = DecodeCursor(user, -cursor);
        int end = position ? std::min(*position, total) : 0;
        page.first = std::max(0, end - count);
    }
    page.end = std::min(total, page.first + count);
    page.next = page.end < total && page.end > page.first ? EncodeCursor(user, page.end) : 0;
    page.previous = page.first > 0 && page.first < total ? -EncodeCursor(user, page.first) : 0;
    return page;
}

void Emulator::Impl::WriteCursors(JsonWriter& json, const Page& page) {
    json.Key("next_cursor").Int(page.next).Field("next_cursor_str", std::to_string(page.next));
    json.Key("previous_cursor")
        .Int(page.previous)
        .Field("previous_cursor_str", std::to_string(page.previous));
    json.NullField("total_count");
}

Answer Emulator::Impl::UserList(const httplib::Request& req, bool friends) {
    Answer error;
    auto user = TargetUser(req, error);
    if (!user) return error;
    if (corpus.IsProtected(*user)) return {401, NotAuthorizedBody(req.path)};
    int count = 20;
    if (auto c = ParseSigned(req.get_param_value("count")))
        count = static_cast<int>(std::clamp<int64_t>(*c, 1, 200));
    std::vector<int> everyone;
    int total = corpus.FollowerCount(*user);
    if (friends) {
        everyone = corpus.Friends(*user);
        total = static_cast<int>(everyone.size());
    }
    Page page = CursorPage(req, *user, total, count);
    std::vector<int> members =
        friends ? std::vector<int>(everyone.begin() + page.first, everyone.begin() + page.end)
                : corpus.Followers(*user, page.first, page.end - page.first);
    bool skipStatus = IsTrue(req.get_param_value("skip_status"));
    std::string body;
    body.reserve(members.size() * 3500 + 256);
    JsonWriter json(body);
    json.BeginObject().Key("users").BeginArray();
    for (int member : members) {
        Account account = corpus.User(member);
        renderer.WriteUser(json, account, Renderer::UserStyle::List, !skipStatus, TextModeOf(req));
    }
    json.EndArray();
    WriteCursors(json, page);
    json.EndObject();
    return {200, std::move(body)};
}

Answer Emulator::Impl::IdList(const httplib::Request& req, bool friends) {
    Answer error;
    auto user = TargetUser(req, error);
    if (!user) return error;
    if (corpus.IsProtected(*user)) return {401, NotAuthorizedBody(req.path)};
    int count = 5000;
    if (auto c = ParseSigned(req.get_param_value("count")))
        count = static_cast<int>(std::clamp<int64_t>(*c, 1, 5000));
    std::vector<int> everyone;
    int total = corpus.FollowerCount(*user);
    if (friends) {
        everyone = corpus.Friends(*user);
        total = static_cast<int>(everyone.size());
    }
    Page page = CursorPage(req, *user, total, count);
    std::vector<int> members =
        friends ? std::vector<int>(everyone.begin() + page.first, everyone.begin() + page.end)
                : corpus.Followers(*user, page.first, page.end - page.first);
    bool asText = IsTrue(req.get_param_value("stringify_ids"));
    std::string body;
    JsonWriter json(body);
    json.BeginObject().Key("ids").BeginArray();
    for (int member : members) {
        if (asText)
            json.String(std::to_string(corpus.UserId(member)));
        else
            json.UInt(corpus.UserId(member));
    }
    json.EndArray();
    WriteCursors(json, page);
    json.EndObject();
    return {200, std::move(body)};
}

Answer Emulator::Impl::RateLimitStatus(const httplib::Request& req) {
    std::vector<std::string> wanted = SplitList(req.get_param_value("resources"));
    const int64_t at = static_cast<int64_t>(std::time(nullptr));
    std::string body;
    JsonWriter json(body);
    // An application-only token's limits belong to the application, which the service named by its key.
    json.BeginObject().Key("rate_limit_context").BeginObject().Field("application", config.consumerKey);
    json.EndObject().Key("resources").BeginObject();
    const char* open = nullptr;
    for (const Resource& r : kResources) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), r.family) == wanted.end()) continue;
        if (!open || std::string_view(open) != r.family) {
            if (open) json.EndObject();
            json.Key(r.family).BeginObject();
            open = r.family;
        }
        RateLimiter::Verdict v = limiter.Peek(token, r.window, at);
        json.EscapedKey(r.path).BeginObject().Field("limit", v.limit).Field("remaining", v.remaining);
        json.Field("reset", v.reset).EndObject();
    }
    if (open) json.EndObject();
    json.EndObject().EndObject();
    return {200, std::move(body)};
}

template <typename Route>
void Emulator::Impl::V2Routes(Route& route) {
    // Paths are matched in the order given: the literal /2/users/by before the pattern of an id.
    auto answer = [](V2Answer a) { return Answer{a.status, std::move(a.body)}; };
    auto match = [](const httplib::Request& req) { return req.matches[1].str(); };
    // What serves posts is billed, and refused once the month's cap is spent.
    auto billed = [this, answer](std::function<V2Answer(const httplib::Request&)> serve) {
        return [this, answer, serve](const httplib::Request& req) {
            const int64_t at = static_cast<int64_t>(std::time(nullptr));
            if (usage.CapSpent(at)) return Answer{429, usage.CapBody()};
            V2Answer served = serve(req);
            if (served.status == 200) usage.Count(served.posts, at);
            return answer(std::move(served));
        };
    };
    route("/2/tweets/search/recent", Family::V2Search,
          billed([this](const httplib::Request& req) { return v2.Search(req, false); }));
    route("/2/tweets/search/all", Family::V2Archive,
          billed([this](const httplib::Request& req) { return v2.Search(req, true); }));
    route("/2/tweets/counts/recent", Family::V2Counts,
          [this, answer](const httplib::Request& req) { return answer(v2.Counts(req, false)); });
    route("/2/tweets/counts/all", Family::V2ArchiveCounts,
          [this, answer](const httplib::Request& req) { return answer(v2.Counts(req, true)); });
    route(R"(/2/users/([^/]+)/tweets)", Family::V2UserPosts,
          billed([this, match](const httplib::Request& req) { return v2.UserPosts(req, match(req)); }));
    route("/2/usage/tweets", Family::V2Usage, [this, answer](const httplib::Request& req) {
        return answer(usage.Answer(req, static_cast<int64_t>(std::time(nullptr))));
    });
    route(R"(/2/users/([^/]+)/followers)", Family::V2Followers,
          [this, answer, match](const httplib::Request& req) {
              return answer(v2.Connections(req, match(req), false));
          });
    route(R"(/2/users/([^/]+)/following)", Family::V2Following,
          [this, answer, match](const httplib::Request& req) {
              return answer(v2.Connections(req, match(req), true));
          });
    route("/2/tweets", Family::V2PostLookup,
          [this, answer](const httplib::Request& req) { return answer(lookup.Posts(req)); });
    route(R"(/2/tweets/([^/]+)/quote_tweets)", Family::V2Quotes,
          [this, answer, match](const httplib::Request& req) {
              return answer(engagement.Quotes(req, match(req)));
          });
    route(R"(/2/tweets/([^/]+)/retweeted_by)", Family::V2RetweetedBy,
          [this, answer, match](const httplib::Request& req) {
              return answer(engagement.RetweetedBy(req, match(req)));
          });
    route(R"(/2/tweets/([^/]+)/liking_users)", Family::V2LikingUsers,
          [this, answer, match](const httplib::Request& req) {
              return answer(engagement.LikingUsers(req, match(req)));
          });
    route(R"(/2/lists/([^/]+)/members)", Family::V2ListMembers,
          [this, answer, match](const httplib::Request& req) {
              return answer(engagement.ListMembers(req, match(req)));
          });
    route("/2/users/by", Family::V2Users,
          [this, answer](const httplib::Request& req) { return answer(v2.Users(req, true)); });
    route("/2/users", Family::V2Users,
          [this, answer](const httplib::Request& req) { return answer(v2.Users(req, false)); });
    route(R"(/2/users/by/username/([^/]+))", Family::V2Users,
          [this, answer, match](const httplib::Request& req) {
              return answer(v2.OneUser(req, match(req), true));
          });
    route(R"(/2/users/([^/]+))", Family::V2Users, [this, answer, match](const httplib::Request& req) {
        return answer(v2.OneUser(req, match(req), false));
    });
}

void Emulator::Impl::Routes() {
    httplib::Server& s = *server;
    // The token request is read through a content reader: a request without a body and without a
    // Content-Length (the grant type travels in the query) is valid, which the library would otherwise
    // refuse.
    s.Post("/oauth2/token",
           [this](const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
               httplib::Request copy = req;
               if (req.has_header("Content-Length") || req.has_header("Transfer-Encoding")) {
                   reader([&](const char* data, size_t length) {
                       copy.body.append(data, length);
                       return true;
                   });
                   if (copy.get_header_value("Content-Type").find("application/x-www-form-urlencoded") == 0)
                       httplib::detail::parse_query_text(copy.body, copy.params);
               }
               ServeToken(copy, res);
           });
    auto route = [&](const char* path, Family family, Producer produce, bool post = false) {
        auto handler = [this, family, produce](const httplib::Request& req, httplib::Response& res) {
            Serve(req, res, family, produce);
        };
        s.Get(path, handler);
        if (post) s.Post(path, handler);
    };
    auto own = [this](Answer (Impl::*method)(const httplib::Request&)) {
        return [this, method](const httplib::Request& req) { return (this->*method)(req); };
    };
    route("/1.1/search/tweets.json", Family::Search, own(&Impl::Search));
    route("/1.1/statuses/user_timeline.json", Family::UserTimeline, own(&Impl::UserTimeline));
    route("/1.1/users/lookup.json", Family::UsersLookup, own(&Impl::UsersLookup), true);
    route(
        "/1.1/statuses/lookup.json", Family::StatusesLookup,
        [this](const httplib::Request& req) {
            V2Answer a = lookup.StatusesLookup(req);
            return Answer{a.status, std::move(a.body)};
        },
        true);
    route("/1.1/followers/list.json", Family::FollowersList, own(&Impl::FollowersList));
    route("/1.1/friends/list.json", Family::FriendsList, own(&Impl::FriendsList));
    route("/1.1/followers/ids.json", Family::FollowerIds, own(&Impl::FollowerIds));
    route("/1.1/friends/ids.json", Family::FriendIds, own(&Impl::FriendIds));
    route("/1.1/application/rate_limit_status.json", Family::RateLimitStatus, own(&Impl::RateLimitStatus));
    V2Routes(route);
    bsky.Register(s, {[this](const httplib::Request& req) { Log(req); },
                      [this](Family family) { return faults.Next(family); }, DropConnection,
                      [this](int seconds) { return Stall(seconds); }, CutConnection});
    // The library calls this for every answer of 400 and above; only an empty one is a path nobody serves.
    s.set_error_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (res.status != 404 || !res.body.empty()) return;
        Log(req);
        Finish(res, 404, kNoPageBody);
    });
}

// ---- Emulator -----------------------------------------------------------------------------------------

Emulator::Emulator(EmulatorConfig config) : m_impl(std::make_unique<Impl>(std::move(config))) {}

Emulator::~Emulator() {
    Stop();
}

void Emulator::Start() {
    Impl& d = *m_impl;
    if (d.running) return;
    // A client that hangs up early must not take the process down with it.
    std::signal(SIGPIPE, SIG_IGN);
    if (!d.config.certFile.empty())
        d.server = std::make_unique<httplib::SSLServer>(d.config.certFile.c_str(), d.config.keyFile.c_str());
    else
        d.server = std::make_unique<httplib::Server>();
    if (!d.server->is_valid()) throw std::runtime_error("the emulator cannot load its certificate or key");
    d.Routes();
    d.server->set_keep_alive_max_count(1000);
    // A client may announce a body it never sends (a token request with "Content-Length: 29" and the grant
    // type in the query); waiting the library's default five seconds for it would use up the client's
    // whole patience, so the wait ends sooner and the request is answered from what did arrive.
    d.server->set_read_timeout(2, 0);
    // Pages are large and written in pieces; without this, Nagle's algorithm meets the client's delayed
    // acknowledgements and each answer waits tens of milliseconds.
    d.server->set_tcp_nodelay(true);
    int port = d.config.port == 0
                   ? d.server->bind_to_any_port(d.config.host)
                   : (d.server->bind_to_port(d.config.host, d.config.port) ? d.config.port : -1);
    if (port <= 0)
        throw std::runtime_error("the emulator cannot listen on " + d.config.host + ":" +
                                 std::to_string(d.config.port));
    d.port = port;
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = false;
    }
    d.running = true;
    d.thread = std::thread([&d] { d.server->listen_after_bind(); });
    // Start returns once requests are served, so a test may send its first request at once.
    for (int waited = 0; !d.server->is_running(); ++waited) {
        if (waited == 5000) {
            Stop();
            throw std::runtime_error("the emulator's server did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void Emulator::Stop() {
    Impl& d = *m_impl;
    if (!d.running) return;
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = true;
    }
    d.stopSignal.notify_all();
    d.server->stop();
    if (d.thread.joinable()) d.thread.join();
    d.running = false;
}

bool Emulator::Running() const {
    return m_impl->running;
}
int Emulator::Port() const {
    return m_impl->port;
}

std::string Emulator::BaseUrl() const {
    const char* scheme = m_impl->config.certFile.empty() ? "http" : "https";
    return std::string(scheme) + "://" + m_impl->config.host + ":" + std::to_string(m_impl->port);
}

const EmulatorConfig& Emulator::Config() const {
    return m_impl->config;
}

std::vector<LoggedRequest> Emulator::Requests() const {
    std::lock_guard lock(m_impl->logMutex);
    return m_impl->log;
}

void Emulator::ClearRequests() {
    std::lock_guard lock(m_impl->logMutex);
    m_impl->log.clear();
}

void Emulator::InjectFault(Family family, Fault fault, int count, int stallSeconds) {
    m_impl->faults.Add({family, fault, count, 0.0, stallSeconds});
}

void Emulator::InjectFaultFraction(Family family, Fault fault, double fraction, int stallSeconds) {
    m_impl->faults.Add({family, fault, 0, fraction, stallSeconds});
}

void Emulator::ClearFaults() {
    m_impl->faults.Clear();
}

void Emulator::SetRemaining(Family family, int remaining) {
    if (family == Family::Token) return;
    m_impl->limiter.SetRemaining(family, remaining, static_cast<int64_t>(std::time(nullptr)));
}

std::string Emulator::IssueToken() {
    m_impl->limiter.AddToken(m_impl->token);
    return m_impl->token;
}

std::string Emulator::BasicCredentials() const {
    std::string raw = m_impl->config.consumerKey + ":" + m_impl->config.consumerSecret;
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < raw.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(raw[i]) << 16;
        if (i + 1 < raw.size()) v |= static_cast<unsigned char>(raw[i + 1]) << 8;
        if (i + 2 < raw.size()) v |= static_cast<unsigned char>(raw[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < raw.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < raw.size() ? kAlphabet[v & 63] : '=';
    }
    return "Basic " + out;
}

int64_t Emulator::Now() const {
    return m_impl->now;
}
const Corpus& Emulator::Data() const {
    return m_impl->corpus;
}

KnownUsers Emulator::Users() const {
    KnownUsers k;
    k.demo = Corpus::RoleScreenName(Corpus::kDemo);
    k.popular = Corpus::RoleScreenName(Corpus::kPopular);
    k.midsize = Corpus::RoleScreenName(Corpus::kMidsize);
    k.prolific = Corpus::RoleScreenName(Corpus::kProlific);
    k.protectedUser = Corpus::RoleScreenName(Corpus::kProtected);
    k.verified = Corpus::RoleScreenName(Corpus::kVerified);
    k.silent = Corpus::RoleScreenName(Corpus::kSilent);
    k.international = Corpus::RoleScreenName(Corpus::kInternational);
    return k;
}

std::string Emulator::BlueskyHandle(std::string_view screenName) const {
    const auto user = m_impl->corpus.FindScreenName(screenName);
    return user ? m_impl->bsky.Names().Handle(*user) : "";
}

std::string Emulator::BlueskyDid(std::string_view screenName) const {
    const auto user = m_impl->corpus.FindScreenName(screenName);
    return user ? m_impl->bsky.Names().Did(*user) : "";
}

void Emulator::ExpireBlueskySessions() {
    m_impl->bsky.ExpireSessions();
}

KnownQueries Emulator::Queries() const {
    KnownQueries k;
    k.common = std::string(Vocabulary::kCommonWord);
    k.rare = std::string(Vocabulary::kRareWord);
    k.none = std::string(Vocabulary::kAbsentWord);
    k.hashtag = "#" + std::string(Vocabulary::kKnownHashtag);
    return k;
}

}  // namespace marlin::emulator
