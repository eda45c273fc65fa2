#include "emulator/bluesky_service.h"

#include <httplib.h>

#include <algorithm>
#include <climits>
#include <ctime>

#include "emulator/corpus.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/search_query.h"
#include "emulator/text_builder.h"

namespace marlin::emulator {

namespace {

constexpr JsonWriter::Escaping kUtf8 = JsonWriter::Escaping::Minimal;
constexpr const char* kJsonType = "application/json; charset=utf-8";
constexpr const char* kTokenHead = "eyJ0eXAiOiJhdCtqd3QiLCJhbGciOiJFUzI1NksifQ.";

std::string XrpcError(const std::string& name, const std::string& message) {
    std::string body;
    JsonWriter json(body, kUtf8);
    json.BeginObject().Field("error", name).Field("message", message).EndObject();
    return body;
}

std::optional<int64_t> Number(const std::string& text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// "2026-12-09", "2026-12-09T08:28:09Z" or with fractions or an offset of "+00:00": milliseconds since 1970.
std::optional<int64_t> ParseTime(const std::string& text) {
    std::tm parts{};
    const char* end = strptime(text.c_str(), "%Y-%m-%d", &parts);
    if (!end) return std::nullopt;
    int64_t ms = 0;
    if (*end == 'T') {
        end = strptime(end + 1, "%H:%M:%S", &parts);
        if (!end) return std::nullopt;
        if (*end == '.') {
            int64_t scale = 100;
            for (++end; *end >= '0' && *end <= '9'; ++end, scale /= 10) ms += (*end - '0') * scale;
        }
        if (std::string_view(end) != "Z" && std::string_view(end) != "+00:00") return std::nullopt;
    } else if (*end != '\0') {
        return std::nullopt;
    }
    return static_cast<int64_t>(timegm(&parts)) * 1000 + ms;
}

// The value of a string member of a flat JSON object (the session requests), its escapes undone.
std::optional<std::string> StringMember(const std::string& body, const std::string& name) {
    const std::size_t key = body.find("\"" + name + "\"");
    if (key == std::string::npos) return std::nullopt;
    std::size_t at = body.find_first_not_of(" \t\r\n:", key + name.size() + 2);
    if (at == std::string::npos || body[at] != '"') return std::nullopt;
    std::string value;
    for (++at; at < body.size() && body[at] != '"'; ++at) {
        if (body[at] == '\\' && at + 1 < body.size()) ++at;
        value += body[at];
    }
    return value;
}

std::string Base64Url(const std::string& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    for (unsigned char c : bytes) {
        buffer = (buffer << 8) | c;
        bits += 8;
        while (bits >= 6) out += kAlphabet[(buffer >> (bits -= 6)) & 63];
    }
    if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 63];
    return out;
}

}  // namespace

BlueskyService::BlueskyService(const Corpus& corpus, const EmulatorConfig& config, RateLimiter& limiter)
    : m_corpus(corpus),
      m_config(config),
      m_limiter(limiter),
      m_names(corpus, config.seed),
      m_renderer(corpus, m_names, config) {}

void BlueskyService::Register(httplib::Server& server, ServerHooks hooks) {
    m_hooks = std::move(hooks);
    server.Post(
        "/xrpc/com.atproto.server.createSession",
        [this](const httplib::Request& req, httplib::Response& res) { ServeSession(req, res, false); });
    server.Post(
        "/xrpc/com.atproto.server.refreshSession",
        [this](const httplib::Request& req, httplib::Response& res) { ServeSession(req, res, true); });
    auto read = [&](const char* method, Family family, Producer produce) {
        server.Get(std::string("/xrpc/") + method,
                   [this, family, produce](const httplib::Request& req, httplib::Response& res) {
                       ServeRead(req, res, family, produce);
                   });
    };
    read("app.bsky.feed.searchPosts", Family::BskySearch,
         [this](const httplib::Request& r) { return Search(r); });
    read("app.bsky.feed.getAuthorFeed", Family::BskyFeed,
         [this](const httplib::Request& r) { return AuthorFeed(r); });
    read("app.bsky.graph.getFollowers", Family::BskyFollows,
         [this](const httplib::Request& r) { return Follows(r, false); });
    read("app.bsky.graph.getFollows", Family::BskyFollows,
         [this](const httplib::Request& r) { return Follows(r, true); });
    read("app.bsky.actor.getProfiles", Family::BskyProfiles,
         [this](const httplib::Request& r) { return Profiles(r); });
}

void BlueskyService::ExpireSessions() {
    std::lock_guard lock(m_mutex);
    for (auto& [token, session] : m_tokens)
        if (!session.refresh) session.expired = true;
}

// ---- serving ------------------------------------------------------------------------------------------

bool BlueskyService::Faulted(const httplib::Request& req, httplib::Response& res,
                             const FaultPlan::Decision& d) const {
    switch (d.fault) {
        case Fault::CloseConnection:
            m_hooks.drop(req);
            return true;
        case Fault::Stall:
            if (m_hooks.stall(d.stallSeconds)) return false;
            m_hooks.drop(req);
            return true;
        case Fault::Error500:
            Finish(res, {500, XrpcError("InternalServerError", "Internal Server Error")}, d, std::nullopt,
                   req);
            return true;
        case Fault::Error503:
            Finish(res, {503, XrpcError("UpstreamFailure", "Upstream Failure")}, d, std::nullopt, req);
            return true;
        default:
            return false;
    }
}

void BlueskyService::Finish(httplib::Response& res, const Answer& answer, const FaultPlan::Decision& d,
                            const std::optional<RateLimiter::Verdict>& window,
                            const httplib::Request& req) const {
    res.status = answer.status;
    res.body = answer.body;
    res.set_header("Content-Type", kJsonType);
    if (window) {
        if (d.fault != Fault::OmitLimit) res.set_header("ratelimit-limit", std::to_string(window->limit));
        if (d.fault != Fault::OmitRemaining)
            res.set_header("ratelimit-remaining", std::to_string(window->remaining));
        if (d.fault != Fault::OmitReset) res.set_header("ratelimit-reset", std::to_string(window->reset));
        res.set_header("ratelimit-policy",
                       std::to_string(window->limit) + ";w=" + std::to_string(m_config.bskyWindowSeconds));
    }
    if (answer.status != 200) return;
    if (d.fault == Fault::CutPage) return m_hooks.cut(req, res);
    if (d.fault == Fault::HtmlPage) {
        res.set_header("Content-Type", "text/html");
        res.body = "<!DOCTYPE html><html><body><form action=\"/login\"></form></body></html>";
    }
}

std::optional<std::string> BlueskyService::Caller(const httplib::Request& req, Answer& error) {
    const std::string auth = req.get_header_value("Authorization");
    if (auth.rfind("Bearer ", 0) != 0) {
        error = {401, XrpcError("AuthenticationRequired", "Authentication Required")};
        return std::nullopt;
    }
    std::lock_guard lock(m_mutex);
    const auto found = m_tokens.find(auth.substr(7));
    if (found == m_tokens.end() || found->second.refresh) {
        error = {400, XrpcError("InvalidToken", "Token could not be verified")};
        return std::nullopt;
    }
    const Session& s = found->second;
    if (s.expired || std::time(nullptr) - s.issuedAt >= m_config.bskySessionSeconds) {
        error = {400, XrpcError("ExpiredToken", "Token has expired")};
        return std::nullopt;
    }
    return s.did;
}

void BlueskyService::ServeRead(const httplib::Request& req, httplib::Response& res, Family family,
                               const Producer& produce) {
    m_hooks.log(req);
    const FaultPlan::Decision d = m_hooks.nextFault(family);
    if (Faulted(req, res, d)) return;
    Answer refused;
    if (!Caller(req, refused)) return Finish(res, refused, d, std::nullopt, req);
    // The service counts requests per address, not per session: one window for every token.
    const RateLimiter::Verdict v = m_limiter.Take("bsky", family, static_cast<int64_t>(std::time(nullptr)));
    if (!v.allowed)
        return Finish(res, {429, XrpcError("RateLimitExceeded", "Rate Limit Exceeded")}, d, v, req);
    Finish(res, produce(req), d, v, req);
}

void BlueskyService::ServeSession(const httplib::Request& req, httplib::Response& res, bool refresh) {
    m_hooks.log(req);
    const FaultPlan::Decision d = m_hooks.nextFault(Family::BskySession);
    if (Faulted(req, res, d)) return;
    Finish(res, refresh ? RefreshSession(req) : CreateSession(req), d, std::nullopt, req);
}

BlueskyService::Answer BlueskyService::CreateSession(const httplib::Request& req) {
    const std::optional<std::string> identifier = StringMember(req.body, "identifier");
    const std::optional<std::string> password = StringMember(req.body, "password");
    if (!identifier || !password)
        return {400,
                XrpcError("InvalidRequest", "Input must have the properties \"identifier\", \"password\"")};
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    std::string key = *identifier;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    const RateLimiter::Verdict v = m_limiter.Take("session:" + key, Family::BskySession, now);
    {
        std::lock_guard lock(m_mutex);
        auto& [day, made] = m_sessionsToday[key];
        if (day != now / 86400) day = now / 86400, made = 0;
        if (!v.allowed || made >= m_config.bskySessionsPerDay)
            return {429, XrpcError("RateLimitExceeded", "Rate Limit Exceeded")};
        ++made;
    }
    const std::optional<int> user = m_names.FindActor(*identifier);
    if (user && m_corpus.IsProtected(*user))
        return {401, XrpcError("AccountTakedown", "Account has been taken down")};
    if (!user || m_names.Handle(*user) != m_config.bskyHandle || *password != m_config.bskyAppPassword)
        return {401, XrpcError("AuthenticationRequired", "Invalid identifier or password")};
    return NewSession(*user);
}

BlueskyService::Answer BlueskyService::RefreshSession(const httplib::Request& req) {
    const std::string auth = req.get_header_value("Authorization");
    if (auth.rfind("Bearer ", 0) != 0)
        return {401, XrpcError("AuthenticationRequired", "Authentication Required")};
    std::optional<int> user;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_tokens.find(auth.substr(7));
        if (found == m_tokens.end() || !found->second.refresh)
            return {400, XrpcError("InvalidToken", "Token could not be verified")};
        if (found->second.expired) return {400, XrpcError("ExpiredToken", "Token has been revoked")};
        found->second.expired = true;  // a refresh token serves once
        user = m_names.FindActor(found->second.did);
    }
    return NewSession(*user);
}

BlueskyService::Answer BlueskyService::NewSession(int user) {
    const std::string did = m_names.Did(user);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    std::string tokens[2];
    {
        std::lock_guard lock(m_mutex);
        for (int k = 0; k < 2; ++k) {
            const uint64_t n = ++m_issued;
            const std::string claims = std::string("{\"scope\":\"") +
                                       (k ? "com.atproto.refresh" : "com.atproto.appPass") + "\",\"sub\":\"" +
                                       did + "\",\"iat\":" + std::to_string(now) + ",\"jti\":\"" +
                                       std::to_string(n) + "\"}";
            tokens[k] = kTokenHead + Base64Url(claims) + "." +
                        TextBuilder::ShortCode(Hash(m_config.seed, n, 0x5E5), 43);
            m_tokens[tokens[k]] = Session{did, now, k == 1, false};
        }
    }
    std::string body;
    JsonWriter json(body, kUtf8);
    json.BeginObject().Field("accessJwt", tokens[0]).Field("refreshJwt", tokens[1]);
    json.Field("handle", m_names.Handle(user)).Field("did", did).Field("active", true).EndObject();
    return {200, std::move(body)};
}

// ---- reading ------------------------------------------------------------------------------------------

std::string BlueskyService::Cursor(std::initializer_list<uint64_t> values) const {
    std::string text;
    uint64_t check = m_config.seed;
    for (uint64_t value : values) {
        check = Hash(check, value, 0xC5);
        std::string digits;
        do digits += "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
        while (value /= 36);
        text.append(digits.rbegin(), digits.rend()) += '.';
    }
    std::string code = TextBuilder::ShortCode(check, 4);
    for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text + code;
}

std::optional<std::vector<uint64_t>> BlueskyService::FromCursor(const std::string& cursor,
                                                                std::size_t count) const {
    std::vector<uint64_t> values;
    std::size_t at = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t dot = cursor.find('.', at);
        if (dot == std::string::npos || dot == at || dot - at > 13) return std::nullopt;
        uint64_t value = 0;
        for (std::size_t i = at; i < dot; ++i) {
            const char c = cursor[i];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : -1;
            if (digit < 0) return std::nullopt;
            value = value * 36 + static_cast<uint64_t>(digit);
        }
        values.push_back(value);
        at = dot + 1;
    }
    if (values.size() != count) return std::nullopt;
    if (count == 1 && Cursor({values[0]}) != cursor) return std::nullopt;
    if (count == 2 && Cursor({values[0], values[1]}) != cursor) return std::nullopt;
    return values;
}

std::optional<BlueskyService::Answer> BlueskyService::ReadLimit(const httplib::Request& req, int fallback,
                                                                int& limit) const {
    limit = fallback;
    if (!req.has_param("limit")) return std::nullopt;
    const std::optional<int64_t> value = Number(req.get_param_value("limit"));
    if (!value) return Answer{400, XrpcError("InvalidRequest", "Error: limit must be an integer")};
    if (*value < 1) return Answer{400, XrpcError("InvalidRequest", "Error: limit can not be less than 1")};
    if (*value > 100)
        return Answer{400, XrpcError("InvalidRequest", "Error: limit can not be greater than 100")};
    limit = static_cast<int>(*value);
    return std::nullopt;
}

BlueskyService::Answer BlueskyService::Search(const httplib::Request& req) const {
    std::string q = req.get_param_value("q");
    if (q.empty()) return {400, XrpcError("InvalidRequest", "Error: Params must have the property \"q\"")};
    int limit = 25;
    if (auto bad = ReadLimit(req, 25, limit)) return *bad;
    SearchOptions options;
    options.wholeArchive = true;  // the service searches every post it holds
    options.noRetweets = true;
    options.lang = req.get_param_value("lang");
    for (const char* name : {"since", "until"}) {
        if (!req.has_param(name)) continue;
        const std::optional<int64_t> ms = ParseTime(req.get_param_value(name));
        if (!ms)
            return {400,
                    XrpcError("InvalidRequest", "Error: " + std::string(name) + " must be a valid datetime")};
        // since is inclusive and until exclusive, both on the post's sort time.
        if (name == std::string("since"))
            options.sinceId = std::max<uint64_t>(Corpus::FirstIdAt(*ms), 1) - 1;
        else
            options.maxId = std::max<uint64_t>(Corpus::FirstIdAt(*ms), 1) - 1;
    }
    if (req.has_param("author")) {
        const std::optional<int> author = m_names.FindActor(req.get_param_value("author"));
        if (!author) return {200, "{\"posts\":[]}"};
        q += " from:" + m_corpus.ScreenName(*author);
    }
    uint64_t served = 0;
    if (req.has_param("cursor")) {
        const auto values = FromCursor(req.get_param_value("cursor"), 2);
        if (!values) return {400, XrpcError("InvalidRequest", "Error: invalid cursor")};
        served = (*values)[0];
        options.maxId = std::min(options.maxId, (*values)[1] - 1);
    }
    // However its cursor is followed, one query answers no more than the cap.
    const int64_t left = static_cast<int64_t>(m_config.bskySearchCap) - static_cast<int64_t>(served);
    const int pageSize = static_cast<int>(std::clamp<int64_t>(left, 0, limit));
    options.count = pageSize + 1;
    std::vector<Tweet> posts = pageSize > 0 ? m_corpus.Search(SearchQuery(q), options) : std::vector<Tweet>();
    const bool more = static_cast<int>(posts.size()) > pageSize && left > pageSize;
    if (static_cast<int>(posts.size()) > pageSize) posts.resize(pageSize);

    std::string body;
    body.reserve(posts.size() * 1800 + 64);
    JsonWriter json(body, kUtf8);
    json.BeginObject();
    if (more) json.Field("cursor", Cursor({served + posts.size(), posts.back().id}));
    json.Key("posts").BeginArray();
    for (const Tweet& t : posts) m_renderer.WritePostView(json, t);
    json.EndArray().EndObject();
    return {200, std::move(body)};
}

BlueskyService::Answer BlueskyService::AuthorFeed(const httplib::Request& req) const {
    int limit = 50;
    if (auto bad = ReadLimit(req, 50, limit)) return *bad;
    const std::optional<int> user = m_names.FindActor(req.get_param_value("actor"));
    if (!user) return {400, XrpcError("InvalidRequest", "Profile not found")};
    uint64_t maxId = UINT64_MAX;
    if (req.has_param("cursor")) {
        const auto values = FromCursor(req.get_param_value("cursor"), 1);
        if (!values) return {400, XrpcError("InvalidRequest", "Error: invalid cursor")};
        maxId = (*values)[0] - 1;
    }
    const std::string filter = req.get_param_value("filter");
    std::vector<Tweet> items;
    for (TweetRef ref : m_corpus.Timeline(*user, 0, maxId, Corpus::kTimelineCap)) {
        Tweet t = m_corpus.MakeTweet(ref);
        if (filter == "posts_no_replies" && t.replyToUser >= 0) continue;
        if (filter == "posts_with_media" && (t.IsRetweet() || !t.HasPhotos())) continue;
        items.push_back(std::move(t));
        if (static_cast<int>(items.size()) > limit) break;
    }
    const bool more = static_cast<int>(items.size()) > limit;
    if (more) items.resize(limit);
    std::string body;
    body.reserve(items.size() * 2000 + 64);
    JsonWriter json(body, kUtf8);
    json.BeginObject();
    if (more) json.Field("cursor", Cursor({items.back().id}));
    json.Key("feed").BeginArray();
    for (const Tweet& t : items) m_renderer.WriteFeedItem(json, t);
    json.EndArray().EndObject();
    return {200, std::move(body)};
}

BlueskyService::Answer BlueskyService::Follows(const httplib::Request& req, bool follows) const {
    int limit = 50;
    if (auto bad = ReadLimit(req, 50, limit)) return *bad;
    const std::optional<int> user = m_names.FindActor(req.get_param_value("actor"));
    if (!user) return {400, XrpcError("InvalidRequest", "Profile not found")};
    const std::vector<int> friends = follows ? m_corpus.Friends(*user) : std::vector<int>();
    const int total = follows ? static_cast<int>(friends.size()) : m_corpus.FollowerCount(*user);
    int first = 0;
    if (req.has_param("cursor")) {
        const auto values = FromCursor(req.get_param_value("cursor"), 1);
        if (!values || (*values)[0] > static_cast<uint64_t>(total))
            return {400, XrpcError("InvalidRequest", "Error: invalid cursor")};
        first = static_cast<int>((*values)[0]);
    }
    const int end = std::min(total, first + limit);
    const std::vector<int> members = follows
                                         ? std::vector<int>(friends.begin() + first, friends.begin() + end)
                                         : m_corpus.Followers(*user, first, end - first);
    std::string body;
    body.reserve(members.size() * 500 + 600);
    JsonWriter json(body, kUtf8);
    json.BeginObject().Key("subject");
    m_renderer.WriteProfile(json, *user);
    if (end < total) json.Field("cursor", Cursor({static_cast<uint64_t>(end)}));
    json.Key(follows ? "follows" : "followers").BeginArray();
    for (int member : members) m_renderer.WriteProfile(json, member);
    json.EndArray().EndObject();
    return {200, std::move(body)};
}

BlueskyService::Answer BlueskyService::Profiles(const httplib::Request& req) const {
    const std::size_t count = req.get_param_value_count("actors");
    if (count == 0)
        return {400, XrpcError("InvalidRequest", "Error: Params must have the property \"actors\"")};
    if (count > 25)
        return {400, XrpcError("InvalidRequest", "Error: actors must not have more than 25 elements")};
    std::string body;
    JsonWriter json(body, kUtf8);
    json.BeginObject().Key("profiles").BeginArray();
    for (std::size_t k = 0; k < count; ++k)
        if (const std::optional<int> user = m_names.FindActor(req.get_param_value("actors", k)))
            m_renderer.WriteProfileDetailed(json, *user);
    json.EndArray().EndObject();
    return {200, std::move(body)};
}

}  // namespace marlin::emulator
