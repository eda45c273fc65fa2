#include "service/bsky_client.h"

#include <cstdlib>

#include "core/bsky_page.h"
#include "core/bsky_post_id.h"
#include "core/page_check.h"
#include "service/v2_request.h"

namespace marlin {

namespace {

constexpr int kResponseWaitSeconds = 5;

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
            continue;
        }
        out += c;
    }
    return out + "\"";
}

// The failure of an answer other than 200 to a read.
BskyFailure ReadFailure(int status, const std::string& error) {
    if (status == 400 && error == "ExpiredToken") return BskyFailure::ExpiredToken;
    if (status == 401 || (status == 400 && error == "InvalidToken")) return BskyFailure::AuthRequired;
    if (status == 429) return BskyFailure::RateLimited;
    if (status >= 500) return BskyFailure::ServerError;
    return BskyFailure::InvalidRequest;
}

// The failure of an answer other than 200 to createSession.
BskyFailure SessionFailure(int status, const std::string& error) {
    if (status == 429) return BskyFailure::SessionLimit;
    if (status >= 500) return BskyFailure::ServerError;
    if (status == 401 && (error == "AuthenticationRequired" || error.empty()))
        return BskyFailure::WrongPassword;
    return BskyFailure::SessionRefused;
}

}  // namespace

std::string BskyOutcome::Describe() const {
    const std::string said = error.empty() ? message : message.empty() ? error : error + ": " + message;
    switch (failure) {
        case BskyFailure::None:
            return "done";
        case BskyFailure::WrongPassword:
            return "Bluesky did not accept this handle and app password (an app password is made under "
                   "Settings \u203A Privacy and security \u203A App passwords)";
        case BskyFailure::SessionRefused:
            return "Bluesky refused a session for this account (" + said + ")";
        case BskyFailure::SessionLimit:
            return "Bluesky's limit on new sessions is spent (30 in 5 minutes, 300 a day); try again later";
        case BskyFailure::ExpiredToken:
            return "the Bluesky session expired and could not be renewed (" + said + "): log in again";
        case BskyFailure::AuthRequired:
            return "Bluesky asks for a valid session (" + said + "): log in again";
        case BskyFailure::InvalidRequest:
            return "Bluesky refused the request (" + std::to_string(status) + ", " + said + ")";
        case BskyFailure::RateLimited:
            return "Bluesky's request window is spent (429)";
        case BskyFailure::ServerError:
            return "Bluesky answered " + std::to_string(status) + " (" + said + ")";
        case BskyFailure::NoAnswer:
            return "no answer from Bluesky: " + message;
        case BskyFailure::Unreadable:
            return "Bluesky's answer is not a readable page: " + message;
    }
    return said;
}

BskyClient::BskyClient(HttpRequestFactory requestFactory, std::string base)
    : m_requestFactory(std::move(requestFactory)), m_base(std::move(base)) {
    while (!m_base.empty() && m_base.back() == '/') m_base.pop_back();
}

void BskyClient::SetBase(std::string base) {
    while (!base.empty() && base.back() == '/') base.pop_back();
    if (base != m_base) m_session = {};
    m_base = std::move(base);
}

std::string BskyClient::BaseAddress(const std::string& server) {
    if (const char* base = std::getenv("MARLIN_BSKY_BASE"); base && *base) return base;
    const std::string host = server.empty() ? kDefaultServer : server;
    return host.find("://") == std::string::npos ? "https://" + host : host;
}

std::string BskyClient::Param(const char* name, const std::string& value) {
    return std::string("&") + name + "=" + V2Request::Encoded(value);
}

BskyOutcome BskyClient::Exchange(const std::string& verb, const std::string& pathAndQuery,
                                 const std::string& bearer, const std::string& body, Call call) {
    BskyOutcome outcome;
    try {
        std::unique_ptr<HttpRequest> request = m_requestFactory();
        if (m_waitHook) request->SetWaitHook(m_waitHook);
        request->Open(verb, m_base + pathAndQuery, false);
        request->SetRequestHeader("Accept", "application/json");
        if (!bearer.empty()) request->SetRequestHeader("Authorization", "Bearer " + bearer);
        if (!body.empty()) request->SetRequestHeader("Content-Type", "application/json");
        request->Send(body);
        request->WaitForResponse(kResponseWaitSeconds);
        outcome.status = request->Status();
        outcome.body = request->ResponseText();
        ReadQuota(*request, call);
    } catch (const RequestAborted&) {
        throw;
    } catch (const std::exception& error) {
        outcome.failure = BskyFailure::NoAnswer;
        outcome.message = error.what();
        return outcome;
    }
    if (outcome.status == 200) {
        if (const std::optional<std::string> problem = PageCheck::Problem(outcome.body)) {
            outcome.failure = BskyFailure::Unreadable;
            outcome.message = *problem;
        }
        return outcome;
    }
    BskyPage page;
    if (page.Read(outcome.body)) {
        const std::vector<std::string_view> v = page.Pick(page.Top(), {"error", "message"});
        outcome.error = BskyPage::Text(v[0]);
        outcome.message = BskyPage::Text(v[1]);
    }
    outcome.failure = call == Call::Session && verb == "POST" && pathAndQuery.ends_with("createSession")
                          ? SessionFailure(outcome.status, outcome.error)
                          : ReadFailure(outcome.status, outcome.error);
    return outcome;
}

void BskyClient::ReadQuota(HttpRequest& request, Call call) {
    // An answer without the headers (a session call, a proxy's own answer) leaves the window as it was.
    BskyQuota& quota = m_quotas[static_cast<int>(call)];
    auto header = [&](const char* name) -> std::optional<long long> {
        try {
            const std::string value = request.GetResponseHeader(name);
            char* end = nullptr;
            const long long number = std::strtoll(value.c_str(), &end, 10);
            if (end == value.c_str()) return std::nullopt;
            return number;
        } catch (const HttpError&) {
            return std::nullopt;
        }
    };
    if (const auto limit = header("ratelimit-limit")) quota.limit = static_cast<int>(*limit);
    if (const auto remaining = header("ratelimit-remaining")) quota.remaining = static_cast<int>(*remaining);
    if (const auto reset = header("ratelimit-reset")) quota.reset = *reset;
    try {
        // "3000;w=300": the window's length in seconds.
        const std::string policy = request.GetResponseHeader("ratelimit-policy");
        if (const std::size_t w = policy.find("w="); w != std::string::npos)
            quota.windowSeconds = std::atoi(policy.c_str() + w + 2);
    } catch (const HttpError&) {
    }
}

BskyOutcome BskyClient::TakeSession(BskyOutcome outcome, bool refreshing) {
    if (!outcome.Ok()) {
        // A refresh token that is refused ends the session: only a new log-in helps.
        if (refreshing && outcome.failure != BskyFailure::NoAnswer &&
            outcome.failure != BskyFailure::ServerError && outcome.failure != BskyFailure::RateLimited)
            outcome.failure = BskyFailure::ExpiredToken;
        return outcome;
    }
    BskyPage page;
    BskySession session;
    if (page.Read(outcome.body)) {
        const std::vector<std::string_view> v =
            page.Pick(page.Top(), {"did", "handle", "accessJwt", "refreshJwt"});
        session = {BskyPage::Text(v[0]), BskyPage::Text(v[1]), BskyPage::Text(v[2]), BskyPage::Text(v[3])};
    }
    if (!session.Valid()) {
        outcome.failure = BskyFailure::Unreadable;
        outcome.message = "the answer holds no session";
        return outcome;
    }
    m_session = std::move(session);
    if (m_listener) m_listener(m_session);
    return outcome;
}

BskyOutcome BskyClient::CreateSession(const std::string& handle, const std::string& appPassword) {
    std::string identifier = handle;
    if (!identifier.empty() && identifier.front() == '@') identifier.erase(0, 1);
    const std::string body =
        "{\"identifier\":" + JsonString(identifier) + ",\"password\":" + JsonString(appPassword) + "}";
    return TakeSession(Exchange("POST", "/xrpc/com.atproto.server.createSession", "", body, Call::Session),
                       false);
}

BskyOutcome BskyClient::RefreshSession() {
    if (m_session.refreshJwt.empty()) {
        BskyOutcome outcome;
        outcome.failure = BskyFailure::AuthRequired;
        outcome.message = "no session to refresh";
        return outcome;
    }
    return TakeSession(
        Exchange("POST", "/xrpc/com.atproto.server.refreshSession", m_session.refreshJwt, "", Call::Session),
        true);
}

BskyOutcome BskyClient::Read(Call call, const std::string& pathAndQuery) {
    BskyOutcome outcome = Exchange("GET", pathAndQuery, m_session.accessJwt, "", call);
    if (outcome.failure != BskyFailure::ExpiredToken) return outcome;
    // An access token lives about two hours; the refresh token gives the next one, and the request
    // goes again once with it.
    BskyOutcome refreshed = RefreshSession();
    if (!refreshed.Ok()) return refreshed;
    return Exchange("GET", pathAndQuery, m_session.accessJwt, "", call);
}

BskyOutcome BskyClient::SearchPosts(const Search& s) {
    std::string query = "/xrpc/app.bsky.feed.searchPosts?q=" + V2Request::Encoded(s.q) +
                        Param("limit", std::to_string(s.limit));
    for (const auto& [name, value] : {std::pair{"sort", &s.sort},
                                      {"since", &s.since},
                                      {"until", &s.until},
                                      {"lang", &s.lang},
                                      {"cursor", &s.cursor}})
        if (!value->empty()) query += Param(name, *value);
    return Read(Call::Search, query);
}

BskyOutcome BskyClient::AuthorFeed(const std::string& actor, int limit, const std::string& cursor,
                                   const std::string& filter) {
    std::string query = "/xrpc/app.bsky.feed.getAuthorFeed?actor=" + V2Request::Encoded(actor) +
                        Param("limit", std::to_string(limit));
    if (!filter.empty()) query += Param("filter", filter);
    if (!cursor.empty()) query += Param("cursor", cursor);
    return Read(Call::Feed, query);
}

BskyOutcome BskyClient::Followers(const std::string& actor, int limit, const std::string& cursor) {
    std::string query = "/xrpc/app.bsky.graph.getFollowers?actor=" + V2Request::Encoded(actor) +
                        Param("limit", std::to_string(limit));
    if (!cursor.empty()) query += Param("cursor", cursor);
    return Read(Call::Follows, query);
}

BskyOutcome BskyClient::Follows(const std::string& actor, int limit, const std::string& cursor) {
    std::string query = "/xrpc/app.bsky.graph.getFollows?actor=" + V2Request::Encoded(actor) +
                        Param("limit", std::to_string(limit));
    if (!cursor.empty()) query += Param("cursor", cursor);
    return Read(Call::Follows, query);
}

BskyOutcome BskyClient::Profiles(const std::vector<std::string>& actors) {
    if (actors.empty() || actors.size() > kMaxProfiles) {
        BskyOutcome outcome;
        outcome.failure = BskyFailure::InvalidRequest;
        outcome.message = "between 1 and 25 accounts a request";
        return outcome;
    }
    std::string query = "/xrpc/app.bsky.actor.getProfiles?";
    for (const std::string& actor : actors) {
        if (query.back() != '?') query += '&';
        query += "actors=";
        query += V2Request::Encoded(actor);
    }
    return Read(Call::Profiles, query);
}

}  // namespace marlin
