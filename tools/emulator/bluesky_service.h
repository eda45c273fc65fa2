#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulator/bluesky_names.h"
#include "emulator/bluesky_renderer.h"
#include "emulator/emulator_config.h"
#include "emulator/fault_plan.h"
#include "emulator/rate_limiter.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace marlin::emulator {

class Corpus;

// What the second service needs of the server it runs in: the request log and the faults on request,
// the same for every service the emulator speaks.
struct ServerHooks {
    std::function<void(const httplib::Request&)> log;
    std::function<FaultPlan::Decision(Family)> nextFault;
    std::function<void(const httplib::Request&)> drop;  // ends the connection without an answer
    std::function<bool(int seconds)> stall;             // false when the server stops meanwhile
    std::function<void(const httplib::Request&, const httplib::Response&)> cut;  // half the page, then close
};

// The second service (Bluesky, the AT Protocol) over the same corpus: sessions made with an app password
// and refreshed, post search with the service's cap per query, author feeds with reposts, follower and
// follow lists, profiles; every answer with the ratelimit-* headers of its window and the XRPC error body.
class BlueskyService {
  public:
    BlueskyService(const Corpus& corpus, const EmulatorConfig& config, RateLimiter& limiter);

    void Register(httplib::Server& server, ServerHooks hooks);
    // Every access token issued so far is expired from now on: the next request with one is answered
    // ExpiredToken, as after the session's life.
    void ExpireSessions();
    const BlueskyNames& Names() const { return m_names; }
    const BlueskyRenderer& Renderer() const { return m_renderer; }

  private:
    struct Answer {
        int status = 200;
        std::string body;
    };
    struct Session {
        std::string did;
        int64_t issuedAt = 0;  // seconds since 1970 UTC
        bool refresh = false;  // a refresh token, not an access token
        bool expired = false;
    };
    using Producer = std::function<Answer(const httplib::Request&)>;

    void ServeRead(const httplib::Request& req, httplib::Response& res, Family family,
                   const Producer& produce);
    void ServeSession(const httplib::Request& req, httplib::Response& res, bool refresh);
    // Whether the fault plan answered the request itself.
    bool Faulted(const httplib::Request& req, httplib::Response& res, const FaultPlan::Decision& d) const;
    void Finish(httplib::Response& res, const Answer& answer, const FaultPlan::Decision& d,
                const std::optional<RateLimiter::Verdict>& window, const httplib::Request& req) const;
    // The session of a request's bearer token, or the error answer.
    std::optional<std::string> Caller(const httplib::Request& req, Answer& error);
    Answer CreateSession(const httplib::Request& req);
    Answer RefreshSession(const httplib::Request& req);
    Answer NewSession(int user);

    Answer Search(const httplib::Request& req) const;
    Answer AuthorFeed(const httplib::Request& req) const;
    Answer Follows(const httplib::Request& req, bool follows) const;
    Answer Profiles(const httplib::Request& req) const;
    std::optional<Answer> ReadLimit(const httplib::Request& req, int fallback, int& limit) const;

    std::string Cursor(std::initializer_list<uint64_t> values) const;
    std::optional<std::vector<uint64_t>> FromCursor(const std::string& cursor, std::size_t count) const;

    const Corpus& m_corpus;
    const EmulatorConfig& m_config;
    RateLimiter& m_limiter;
    BlueskyNames m_names;
    BlueskyRenderer m_renderer;
    ServerHooks m_hooks;

    std::mutex m_mutex;
    std::map<std::string, Session> m_tokens;
    std::map<std::string, std::pair<int64_t, int>> m_sessionsToday;  // identifier: UTC day, sessions made
    uint64_t m_issued = 0;
};

}  // namespace marlin::emulator
