#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "service/http_request.h"

namespace marlin {

// How an exchange with the second service ended, as a value the caller decides on.
enum class BskyFailure {
    None,
    WrongPassword,   // createSession: the handle and app password were not accepted
    SessionRefused,  // createSession: the account may not log in (taken down, suspended, a refused request)
    SessionLimit,    // createSession: 30 sessions in 5 minutes or 300 a day are spent
    ExpiredToken,    // the session expired and refreshing it failed
    AuthRequired,    // no valid session
    InvalidRequest,  // the service refused the request itself
    RateLimited,     // 429: the window is spent (Quota() says until when)
    ServerError,     // 5xx
    NoAnswer,        // the exchange failed: no connection, a time-out, a dropped connection
    Unreadable,      // 200, but not a JSON page
};

struct BskyOutcome {
    BskyFailure failure = BskyFailure::None;
    int status = 0;
    std::string error;    // the XRPC error name ("InvalidRequest", "ExpiredToken"…)
    std::string message;  // the service's message, or the exchange's error
    std::string body;

    bool Ok() const { return failure == BskyFailure::None; }
    // One line for the request log.
    std::string Describe() const;
};

// The access and refresh tokens of a session, with the account they belong to.
struct BskySession {
    std::string did;
    std::string handle;
    std::string accessJwt;
    std::string refreshJwt;
    bool Valid() const { return !accessJwt.empty() && !refreshJwt.empty(); }
};

// A rate-limit window as the service's ratelimit-* headers last announced it.
struct BskyQuota {
    int limit = 0;
    int remaining = 0;
    int64_t reset = 0;  // seconds since 1970 UTC; 0 before the first answer that had one
    int windowSeconds = 0;
};

// The client of the second service (Bluesky, the AT Protocol's XRPC over HTTP): a session made once with
// an app password and refreshed when it expires, and the read calls the captures need. It knows no
// window and asks nothing: every call returns its outcome, and records nothing but the session and the
// windows. Answers are handed back as they came; BskyTranslator makes pages of records of them.
class BskyClient {
  public:
    static constexpr const char* kDefaultServer = "bsky.social";
    enum class Call { Session, Search, Feed, Follows, Profiles };
    static constexpr int kCallCount = 5;
    static constexpr int kMaxProfiles = 25;

    // base: scheme, host and port ("https://bsky.social", "http://127.0.0.1:8080").
    BskyClient(HttpRequestFactory requestFactory, std::string base);
    // MARLIN_BSKY_BASE when it is set, else https:// and the server ("bsky.social" unless given).
    static std::string BaseAddress(const std::string& server = kDefaultServer);
    const std::string& Base() const { return m_base; }
    // Another server: its session is not this one's, so the session is dropped.
    void SetBase(std::string base);

    BskyOutcome CreateSession(const std::string& handle, const std::string& appPassword);
    BskyOutcome RefreshSession();
    const BskySession& Session() const { return m_session; }
    void SetSession(BskySession session) { m_session = std::move(session); }
    // Told every new session (created or refreshed), so that its keeper can store it.
    void SetSessionListener(std::function<void(const BskySession&)> listener) {
        m_listener = std::move(listener);
    }

    struct Search {
        std::string q;
        std::string sort = "latest";
        std::string since;  // ISO 8601, inclusive
        std::string until;  // ISO 8601, exclusive
        std::string lang;
        std::string cursor;
        int limit = 100;
    };
    // Each read refreshes an expired session once and sends the request again.
    BskyOutcome SearchPosts(const Search& search);
    BskyOutcome AuthorFeed(const std::string& actor, int limit, const std::string& cursor,
                           const std::string& filter = "");
    BskyOutcome Followers(const std::string& actor, int limit, const std::string& cursor);
    BskyOutcome Follows(const std::string& actor, int limit, const std::string& cursor);
    // Up to kMaxProfiles handles or DIDs; more is refused without a request.
    BskyOutcome Profiles(const std::vector<std::string>& actors);

    const BskyQuota& Quota(Call call) const { return m_quotas[static_cast<int>(call)]; }
    void SetWaitHook(HttpRequest::WaitHook hook) { m_waitHook = std::move(hook); }

  private:
    BskyOutcome Read(Call call, const std::string& pathAndQuery);
    BskyOutcome Exchange(const std::string& verb, const std::string& pathAndQuery, const std::string& bearer,
                         const std::string& body, Call call);
    BskyOutcome TakeSession(BskyOutcome outcome, bool refreshing);
    void ReadQuota(HttpRequest& request, Call call);
    static std::string Param(const char* name, const std::string& value);

    HttpRequestFactory m_requestFactory;
    std::string m_base;
    BskySession m_session;
    std::function<void(const BskySession&)> m_listener;
    HttpRequest::WaitHook m_waitHook;
    std::array<BskyQuota, kCallCount> m_quotas{};
};

}  // namespace marlin
