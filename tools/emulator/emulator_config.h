#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlin::emulator {

// The resource families that have quota windows of their own. Token is the token exchange: it has no
// quota but faults can be injected into it. Token stays last: the limited families index the arrays below.
enum class Family {
    Search,
    UserTimeline,
    UsersLookup,
    FollowersList,
    FriendsList,
    FollowerIds,
    FriendIds,
    RateLimitStatus,
    // The v2 endpoints, each with a window of its own.
    V2Search,         // /2/tweets/search/recent
    V2Archive,        // /2/tweets/search/all
    V2Counts,         // /2/tweets/counts/recent
    V2ArchiveCounts,  // /2/tweets/counts/all
    V2UserPosts,      // /2/users/:id/tweets
    V2Users,          // /2/users, /2/users/by, /2/users/by/username/:username, /2/users/:id
    V2Followers,      // /2/users/:id/followers
    V2Following,      // /2/users/:id/following
    // The second service (Bluesky) under /xrpc/, each call with a window of its own.
    BskySession,   // com.atproto.server.createSession and refreshSession (per account)
    BskySearch,    // app.bsky.feed.searchPosts
    BskyFeed,      // app.bsky.feed.getAuthorFeed
    BskyFollows,   // app.bsky.graph.getFollowers and getFollows
    BskyProfiles,  // app.bsky.actor.getProfiles
    // The v2 calls beyond search.
    V2PostLookup,    // /2/tweets?ids=
    V2Quotes,        // /2/tweets/:id/quote_tweets
    V2RetweetedBy,   // /2/tweets/:id/retweeted_by
    V2LikingUsers,   // /2/tweets/:id/liking_users
    V2ListMembers,   // /2/lists/:id/members
    StatusesLookup,  // /1.1/statuses/lookup
    // The first service's report of what it billed.
    V2Usage,  // /2/usage/tweets
    Token
};
constexpr int kFamilyCount = 29;
constexpr int kLimitedFamilyCount = 28;  // every family but Token

enum class Fault {
    None,
    CloseConnection,  // drop the connection without answering
    Stall,            // wait stallSeconds, then answer normally
    OmitLimit,        // answer without x-rate-limit-limit
    OmitRemaining,    // answer without x-rate-limit-remaining
    OmitReset,        // answer without x-rate-limit-reset
    Error500,         // 500 Internal Server Error
    Error503,         // 503 Service Unavailable
    HtmlPage,         // 200 with a captive portal's HTML (and the quota headers)
    CutPage,          // 200 without Content-Length, the connection closed half-way through the page
    DeepPage,         // 200 with a page nested deeper than any service object
    ManyRecords,      // 200 with a page of more records than any page holds
};

// "search", "timeline", "lookup", "followers", "friends", "ids", "friend-ids", "limit-status", "v2-search",
// "v2-archive", "v2-counts", "v2-archive-counts", "v2-posts", "v2-users", "v2-followers", "v2-following",
// "bsky-session", "bsky-search", "bsky-feed", "bsky-follows", "bsky-profiles", "v2-lookup", "v2-quotes",
// "v2-retweeted-by", "v2-liking-users", "v2-list-members", "statuses-lookup", "v2-usage", "token"
const char* FamilyName(Family family);
std::optional<Family> FamilyFromName(const std::string& name);
const char* FaultName(Fault fault);  // "close", "stall", "omit-limit", "omit-remaining", "omit-reset", "500",
                                     // "503", "html", "cut", "deep", "many"
std::optional<Fault> FaultFromName(const std::string& name);

struct FaultRule {
    Family family = Family::Search;
    Fault fault = Fault::None;
    int count = 0;          // the next `count` requests; 0 when fraction is used
    double fraction = 0.0;  // or this share of all requests of the family
    int stallSeconds = 0;
};

struct EmulatorConfig {
    std::string host = "127.0.0.1";  // loopback only unless asked
    int port = 0;                    // 0: any free port

    // The corpus: the same seed and sizes always give the same users and tweets.
    uint64_t seed = 1;
    int users = 6000;          // accounts in the corpus (at least 64)
    int tweetsPerDay = 20000;  // average over all accounts
    int corpusDays = 10;       // tweets spread over this many days up to `now`
    int searchIndexDays = 7;   // search sees only this many recent days
    int64_t now = 0;           // seconds since 1970 UTC; 0 = the moment the emulator is made
    // Shares (0..1) of what the service sent now and then: original tweets longer than 140 characters,
    // original tweets with one to four photos, and full search pages cut short in the middle of a result
    // set (still with a link to the next page).
    double longTextShare = 0.05;
    double photoShare = 0.15;
    double shortPageShare = 0.05;
    // Original posts longer than 280 characters (v2 sends them whole as note_tweet), and the share of posts
    // deleted since they were searched: gone when a v2 answer would include them as referenced posts, and
    // when they are looked up by id.
    double noteShare = 0.005;
    double goneShare = 0.05;

    // Quota windows.
    int windowSeconds = 900;
    // Indexed by Family (Token excluded): search, user timeline, users lookup, followers list, friends list,
    // follower ids, friend ids, rate-limit status, then the v2 families, the second service's, the v2 calls
    // beyond search and the v2 usage report in their order.
    // The numbers of the service's rate-limit tables for an application's token.
    std::array<int, kLimitedFamilyCount> limits{450,  1500, 300,  15,    15,  15,  15,  180, 450, 300,
                                                300,  300,  10000, 300, 300, 300, 30,  3000, 3000,
                                                3000, 3000, 3500, 75,  75,  75,  900, 300, 50};
    // The remaining count a fresh window starts with; -1 = the limit.
    std::array<int, kLimitedFamilyCount> startRemaining{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                        -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                                                        -1, -1, -1, -1, -1, -1, -1, -1};
    // Full-archive search also allows one request in this many milliseconds, whatever the window holds.
    int archivePaceMs = 1000;
    // Answer v1.1 search and timeline requests as the service answers self-serve applications today:
    // 403 with error code 453.
    bool v11Refused = false;
    // Answer keyword searches (v1.1 search, v2 recent and full-archive search and their counts) without
    // reposts, as the service's search index does since 2026-05-04.
    bool searchWithoutReposts = false;
    // The post reads a calendar month (UTC) may bill, counted as the service counts them (a post
    // served again on the same UTC day counts once); past it, every request that serves posts is
    // refused as the service refuses it (429 UsageCapExceeded). The service's cap by default.
    int64_t postCap = 3000000;

    // The demo application whose Basic credentials the token exchange accepts.
    std::string appName = "Marlin Demo";
    std::string consumerKey = "mDemoConsumerKey0000000000";
    std::string consumerSecret = "mDemoConsumerSecret000000000000000000000000000000";

    // The second service: its windows are 5 minutes long (its "ratelimit-policy" says so), and a session
    // may be created 30 times a window (the bsky-session limit) and 300 times a day.
    int bskyWindowSeconds = 300;
    int bskySessionsPerDay = 300;
    // How long an access token lives before the service answers ExpiredToken (the refresh token lives on).
    int bskySessionSeconds = 7200;
    // A search query answers at most this many posts, however its cursor is followed.
    int bskySearchCap = 10000;
    // Share of posts whose record's createdAt the writing client got wrong: in the future, before the
    // network existed, or not a date at all. The service's own indexedAt is always right.
    double bskyOddDateShare = 0.003;
    // The demo account: its handle and the app password createSession accepts for it.
    std::string bskyHandle = "demo-researcher.bsky.social";
    std::string bskyAppPassword = "mdem-o2ap-pp4s-sw0d";

    // HTTPS when both are set (PEM files).
    std::string certFile;
    std::string keyFile;

    // Faults active from the start.
    std::vector<FaultRule> faults;
};

// Reads the program's command-line options into a configuration. Throws std::invalid_argument with a
// message for the user on a bad option. `--help` sets *wantsHelp.
EmulatorConfig ParseCommandLine(const std::vector<std::string>& args, bool* wantsHelp = nullptr);
std::string CommandLineHelp();

}  // namespace marlin::emulator
