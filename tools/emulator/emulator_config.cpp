#include "emulator/emulator_config.h"

#include <charconv>
#include <stdexcept>

namespace marlin::emulator {

namespace {

constexpr const char* kFamilyNames[kFamilyCount] = {"search",          "timeline",
                                                    "lookup",          "followers",
                                                    "friends",         "ids",
                                                    "friend-ids",      "limit-status",
                                                    "v2-search",       "v2-archive",
                                                    "v2-counts",       "v2-archive-counts",
                                                    "v2-posts",        "v2-users",
                                                    "v2-followers",    "v2-following",
                                                    "bsky-session",    "bsky-search",
                                                    "bsky-feed",       "bsky-follows",
                                                    "bsky-profiles",   "v2-lookup",
                                                    "v2-quotes",       "v2-retweeted-by",
                                                    "v2-liking-users", "v2-list-members",
                                                    "statuses-lookup", "v2-usage",
                                                    "token"};

struct FaultNameEntry {
    Fault fault;
    const char* name;
};
constexpr FaultNameEntry kFaultNames[] = {
    {Fault::None, "none"},
    {Fault::CloseConnection, "close"},
    {Fault::Stall, "stall"},
    {Fault::OmitLimit, "omit-limit"},
    {Fault::OmitRemaining, "omit-remaining"},
    {Fault::OmitReset, "omit-reset"},
    {Fault::Error500, "500"},
    {Fault::Error503, "503"},
    {Fault::HtmlPage, "html"},
    {Fault::CutPage, "cut"},
    {Fault::DeepPage, "deep"},
    {Fault::ManyRecords, "many"},
};

[[noreturn]] void Bad(const std::string& message) {
    throw std::invalid_argument(message);
}

int64_t ParseInteger(const std::string& text, const std::string& option, int64_t low, int64_t high) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        Bad("option " + option + ": \"" + text + "\" is not a number from " + std::to_string(low) + " to " +
            std::to_string(high));
    return value;
}

double ParseShare(const std::string& text, const std::string& option) {
    double value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value >= 0 && value <= 1))
        Bad("option " + option + ": \"" + text + "\" is not a share from 0 to 1");
    return value;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t at; (at = text.find(separator, begin)) != std::string::npos; begin = at + 1)
        parts.push_back(text.substr(begin, at - begin));
    parts.push_back(text.substr(begin));
    return parts;
}

Family LimitedFamily(const std::string& name, const std::string& option) {
    auto family = FamilyFromName(name);
    if (!family || *family == Family::Token) Bad("option " + option + ": unknown family \"" + name + "\"");
    return *family;
}

// FAMILY=N
std::pair<Family, int> ParseFamilyValue(const std::string& text, const std::string& option) {
    auto parts = Split(text, '=');
    if (parts.size() != 2) Bad("option " + option + " wants FAMILY=N, got \"" + text + "\"");
    return {LimitedFamily(parts[0], option), static_cast<int>(ParseInteger(parts[1], option, 0, 1000000))};
}

// FAMILY:FAULT:COUNT[:SECONDS] or FAMILY:FAULT:FRACTION[:SECONDS], a fraction being written with a point.
FaultRule ParseFault(const std::string& text) {
    auto parts = Split(text, ':');
    if (parts.size() < 3 || parts.size() > 4) Bad("option --fault wants FAMILY:FAULT:COUNT[:SECONDS]");
    FaultRule rule;
    auto family = FamilyFromName(parts[0]);
    if (!family) Bad("option --fault: unknown family \"" + parts[0] + "\"");
    auto fault = FaultFromName(parts[1]);
    if (!fault || *fault == Fault::None) Bad("option --fault: unknown fault \"" + parts[1] + "\"");
    rule.family = *family;
    rule.fault = *fault;
    if (parts[2].find('.') != std::string::npos) {
        try {
            size_t used = 0;
            rule.fraction = std::stod(parts[2], &used);
            if (used != parts[2].size()) throw std::invalid_argument("");
        } catch (const std::exception&) {
            Bad("option --fault: \"" + parts[2] + "\" is not a fraction");
        }
        if (rule.fraction < 0 || rule.fraction > 1) Bad("option --fault: a fraction lies between 0 and 1");
    } else {
        rule.count = static_cast<int>(ParseInteger(parts[2], "--fault", 0, 1000000));
    }
    if (parts.size() == 4) rule.stallSeconds = static_cast<int>(ParseInteger(parts[3], "--fault", 0, 3600));
    if (rule.fault == Fault::Stall && parts.size() < 4) rule.stallSeconds = 10;
    return rule;
}

}  // namespace

const char* FamilyName(Family family) {
    return kFamilyNames[static_cast<int>(family)];
}

std::optional<Family> FamilyFromName(const std::string& name) {
    for (int k = 0; k < kFamilyCount; ++k)
        if (name == kFamilyNames[k]) return static_cast<Family>(k);
    return std::nullopt;
}

const char* FaultName(Fault fault) {
    for (const auto& entry : kFaultNames)
        if (entry.fault == fault) return entry.name;
    return "none";
}

std::optional<Fault> FaultFromName(const std::string& name) {
    for (const auto& entry : kFaultNames)
        if (name == entry.name) return entry.fault;
    return std::nullopt;
}

std::string CommandLineHelp() {
    return "marlin-emulator: a local stand-in of the service, v1.1 and v2 (under /2/)\n"
           "  v2: /2/tweets/search/recent|all, /2/tweets/counts/recent|all, /2/users/:id/tweets,\n"
           "      /2/users/by?usernames=, /2/users?ids=, /2/users/by/username/:name, /2/users/:id,\n"
           "      /2/users/:id/followers|following, /2/tweets?ids=, "
           "/2/tweets/:id/quote_tweets|retweeted_by|\n"
           "      liking_users, /2/lists/:id/members, the conversation_id: operator; the same posts and\n"
           "      users as v1.1 (and /1.1/statuses/lookup)\n"
           "      /2/usage/tweets: the posts served, each counted once a UTC day, as the service bills them\n"
           "  --host ADDRESS          address to bind (default 127.0.0.1)\n"
           "  --port N                port; 0 picks a free one (default 0); printed as the first line\n"
           "  --seed N                corpus seed (default 1)\n"
           "  --users N               accounts in the corpus (default 6000)\n"
           "  --tweets-per-day N      tweets a day over all accounts (default 20000)\n"
           "  --days N                days of tweets up to now (default 10)\n"
           "  --search-days N         days the search index reaches back (default 7)\n"
           "  --now EPOCH             the corpus's present, seconds since 1970 (default: the start)\n"
           "  --long-texts SHARE      share of original tweets longer than 140 characters, up to 280\n"
           "                          (default 0.05); without tweet_mode=extended they come truncated\n"
           "  --photos SHARE          share of original tweets with one to four photos (default 0.15)\n"
           "  --short-pages SHARE     share of full search pages cut short in the middle of a result set,\n"
           "                          still with next_results (default 0.05; 0 turns them off)\n"
           "  --note-texts SHARE      share of original posts longer than 280 characters (default 0.005);\n"
           "                          v2 sends their whole text as note_tweet, text and v1.1 come cut\n"
           "  --gone SHARE            share of posts deleted since they were searched: v2 answers name a "
           "gone\n"
           "                          replied-to or quoted post in a partial errors array, and look-ups by\n"
           "                          id miss them (default 0.05)\n"
           "  --archive-pace MS       full-archive search allows one request in MS milliseconds besides its\n"
           "                          window; a faster one gets 429 (default 1000; 0 turns it off)\n"
           "  --v11-refused           answer v1.1 search and timeline requests with 403 and error code 453,\n"
           "                          as the service answers self-serve applications today\n"
           "  --no-reposts-in-search  keyword search (v1.1, v2) and counts leave reposts out, as the service's\n"
           "                          search does since 2026-05-04\n"
           "  --post-cap N            post reads a calendar month may bill before every request that\n"
           "                          serves posts gets 429 UsageCapExceeded (default 3000000)\n"
           "  --window SECONDS        quota window length (default 900)\n"
           "  bluesky: /xrpc/com.atproto.server.createSession|refreshSession, app.bsky.feed.searchPosts,\n"
           "      app.bsky.feed.getAuthorFeed, app.bsky.graph.getFollowers|getFollows,\n"
           "      app.bsky.actor.getProfiles; the same people and posts, with handles and DIDs\n"
           "  --bsky-session-life S   seconds an access token lives before ExpiredToken (default 7200)\n"
           "  --bsky-search-cap N     posts one search query answers at most (default 10000)\n"
           "  --bsky-odd-dates SHARE  share of posts whose createdAt is wrong (default 0.003)\n"
           "  --bsky-handle TEXT --bsky-app-password TEXT   the demo account\n"
           "  --limit FAMILY=N        a family's window limit\n"
           "  --remaining FAMILY=N    the remaining count of a family's first window\n"
           "  --app-name TEXT --consumer-key TEXT --consumer-secret TEXT   the demo application\n"
           "  --cert FILE --cert-key FILE   serve HTTPS with this PEM certificate and key\n"
           "  --fault FAMILY:FAULT:COUNT[:SECONDS]   or FAMILY:FAULT:FRACTION (a number with a point)\n"
           "      families: search timeline lookup followers friends ids friend-ids limit-status token\n"
           "                v2-search v2-archive v2-counts v2-archive-counts v2-posts v2-users\n"
           "                v2-followers v2-following bsky-session bsky-search bsky-feed\n"
           "                bsky-follows bsky-profiles v2-lookup v2-quotes v2-retweeted-by\n"
           "                v2-liking-users v2-list-members statuses-lookup v2-usage\n"
           "      faults:   close stall omit-limit omit-remaining omit-reset 500 503\n";
}

EmulatorConfig ParseCommandLine(const std::vector<std::string>& args, bool* wantsHelp) {
    EmulatorConfig config;
    if (wantsHelp) *wantsHelp = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            if (wantsHelp) *wantsHelp = true;
            continue;
        }
        if (option == "--v11-refused") {
            config.v11Refused = true;
            continue;
        }
        if (option == "--no-reposts-in-search") {
            config.searchWithoutReposts = true;
            continue;
        }
        if (i + 1 >= args.size()) Bad("option " + option + " needs a value (see --help)");
        const std::string value = args[++i];
        if (option == "--host")
            config.host = value;
        else if (option == "--port")
            config.port = static_cast<int>(ParseInteger(value, option, 0, 65535));
        else if (option == "--seed")
            config.seed = static_cast<uint64_t>(ParseInteger(value, option, 0, INT64_MAX));
        else if (option == "--users")
            config.users = static_cast<int>(ParseInteger(value, option, 64, 1000000));
        else if (option == "--tweets-per-day")
            config.tweetsPerDay = static_cast<int>(ParseInteger(value, option, 0, 100000000));
        else if (option == "--days")
            config.corpusDays = static_cast<int>(ParseInteger(value, option, 1, 3650));
        else if (option == "--search-days")
            config.searchIndexDays = static_cast<int>(ParseInteger(value, option, 1, 3650));
        else if (option == "--now")
            config.now = ParseInteger(value, option, 1325376000, 4102444800);
        else if (option == "--long-texts")
            config.longTextShare = ParseShare(value, option);
        else if (option == "--photos")
            config.photoShare = ParseShare(value, option);
        else if (option == "--short-pages")
            config.shortPageShare = ParseShare(value, option);
        else if (option == "--note-texts")
            config.noteShare = ParseShare(value, option);
        else if (option == "--gone")
            config.goneShare = ParseShare(value, option);
        else if (option == "--archive-pace")
            config.archivePaceMs = static_cast<int>(ParseInteger(value, option, 0, 60000));
        else if (option == "--post-cap")
            config.postCap = ParseInteger(value, option, 0, INT64_MAX);
        else if (option == "--window")
            config.windowSeconds = static_cast<int>(ParseInteger(value, option, 1, 86400));
        else if (option == "--limit") {
            auto [family, n] = ParseFamilyValue(value, option);
            config.limits[static_cast<int>(family)] = n;
        } else if (option == "--remaining") {
            auto [family, n] = ParseFamilyValue(value, option);
            config.startRemaining[static_cast<int>(family)] = n;
        } else if (option == "--app-name")
            config.appName = value;
        else if (option == "--consumer-key")
            config.consumerKey = value;
        else if (option == "--consumer-secret")
            config.consumerSecret = value;
        else if (option == "--cert")
            config.certFile = value;
        else if (option == "--cert-key")
            config.keyFile = value;
        else if (option == "--bsky-session-life")
            config.bskySessionSeconds = static_cast<int>(ParseInteger(value, option, 1, 86400 * 90));
        else if (option == "--bsky-search-cap")
            config.bskySearchCap = static_cast<int>(ParseInteger(value, option, 1, 10000000));
        else if (option == "--bsky-odd-dates")
            config.bskyOddDateShare = ParseShare(value, option);
        else if (option == "--bsky-handle")
            config.bskyHandle = value;
        else if (option == "--bsky-app-password")
            config.bskyAppPassword = value;
        else if (option == "--fault")
            config.faults.push_back(ParseFault(value));
        else
            Bad("unknown option " + option + " (see --help)");
    }
    if (config.certFile.empty() != config.keyFile.empty()) Bad("--cert and --cert-key go together");
    return config;
}

}  // namespace marlin::emulator
