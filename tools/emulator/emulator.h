#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/corpus.h"
#include "emulator/emulator_config.h"

namespace marlin::emulator {

// One request as it reached the emulator, kept so that tests can assert exactly what a client sent.
struct LoggedRequest {
    std::string method;  // "GET", "POST"
    std::string target;  // path and query as sent, e.g. "/1.1/search/tweets.json?q=a"
    std::string path;    // path only
    std::multimap<std::string, std::string> params;  // decoded query (and form) parameters
    // As sent, names in the client's spelling, in name order (the server library sorts them). The library
    // decodes percent escapes in header values before anyone sees them.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first header of that name (case-insensitive), or "" when the client sent none.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
    // The first value of a query parameter, or "".
    std::string Param(const std::string& name) const;
};

// Accounts and queries with known properties, for tests that need "a user with many followers" and the like.
struct KnownUsers {
    std::string demo;  // the demo account: a few hundred tweets, a few hundred followers
    // More than 5,000 followers (two follower-id pages) when the corpus has at least 5,502 users, as by
    // default; in a smaller corpus every other user follows it.
    std::string popular;
    std::string midsize;        // between 200 and 1,000 followers (several follower-list pages)
    std::string prolific;       // more than 3,200 tweets in the corpus (the timeline cap applies)
    std::string protectedUser;  // protected: its timeline and lists answer 401 "Not authorized."
    std::string verified;       // a verified account
    std::string silent;         // no tweets at all and no followers
    std::string international;  // writes in Greek, Cyrillic, Arabic, Hebrew and Thai
};

struct KnownQueries {
    std::string common;   // a single word that matches many tweets (several 100-tweet pages)
    std::string rare;     // a word that matches a handful of tweets
    std::string none;     // a word that matches nothing
    std::string hashtag;  // "#" and a tag that several tweets carry
};

// A local stand-in of the v1.1 service on loopback. Start() listens on a background thread; every member is
// safe to call from the test thread while requests are being served.
class Emulator {
  public:
    explicit Emulator(EmulatorConfig config = {});
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // Binds and starts serving; throws std::runtime_error when the address cannot be bound.
    void Start();
    // Stops serving and joins the server thread; safe to call twice.
    void Stop();
    bool Running() const;

    int Port() const;
    // "http://127.0.0.1:<port>" (https when a certificate is configured).
    std::string BaseUrl() const;
    const EmulatorConfig& Config() const;

    // The request log, oldest first.
    std::vector<LoggedRequest> Requests() const;
    void ClearRequests();

    // The next `count` requests of the family get the fault (stallSeconds: how long Fault::Stall waits);
    // replaces the family's previous count rule. Dropped and failed (500/503) requests use no quota.
    void InjectFault(Family family, Fault fault, int count, int stallSeconds = 0);
    // From now on, that fraction (0..1) of the family's requests gets the fault, evenly spread and the same
    // every run (0.25: the 4th, 8th, 12th...); replaces the family's previous fraction rule. A count rule
    // that is still running goes first.
    void InjectFaultFraction(Family family, Fault fault, double fraction, int stallSeconds = 0);
    void ClearFaults();

    // Sets the remaining count of the family's current window for every token, and of the first window of
    // tokens not issued yet. A window that resets afterwards starts full again.
    void SetRemaining(Family family, int remaining);

    // A valid bearer token, as the token exchange would issue it (the same one for the configured app).
    std::string IssueToken();
    // The "Basic ..." value that the token exchange accepts for the configured app.
    std::string BasicCredentials() const;

    // The instant the corpus ends ("now" for the service), in seconds since 1970 UTC.
    int64_t Now() const;

    const Corpus& Data() const;

    // The second service's names of an account ("demo-researcher.bsky.social", "did:plc:…"); empty for
    // a screen name the corpus lacks. The demo account's handle and app password are in the config.
    std::string BlueskyHandle(std::string_view screenName) const;
    std::string BlueskyDid(std::string_view screenName) const;
    // Every access token issued so far answers ExpiredToken from now on (refresh tokens still work).
    void ExpireBlueskySessions();
    KnownUsers Users() const;
    KnownQueries Queries() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace marlin::emulator
