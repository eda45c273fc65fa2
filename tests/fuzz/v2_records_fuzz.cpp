// Mutates the emulator's v2 pages of posts and checks that the records made straight from
// each page are those of the reference (the page written as v1.1 and read by the documented
// reader), in both text settings and both page layouts, and that reading the answer whole
// translates it as reading it object by object does. Mutations: a value swapped for one of
// another type, a string's text replaced or extended (unicode, escapes, a lone surrogate,
// names the reader searches for, a closing backslash), huge and odd numbers, a member
// dropped, doubled or renamed, and now and then a byte changed, so that broken JSON comes
// too.
//
// Usage: v2_records_fuzz [--seconds N] [--seed N]. Exits 1 at the first difference, with the
// page written to v2_records_difference.json in the working folder.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "emulator/emulator.h"
#include "platform/testing/scripted_toolkit.h"
#include "service/curl_http_request.h"
#include "service/twitter_api.h"
#include "toolkit_hosts.h"
#include "v2_paths.h"

namespace {

using namespace marlin;
using namespace std::chrono_literals;

struct Token {
    std::size_t at = 0;
    std::size_t size = 0;
    char kind = 0;  // '"' string, '{' object, '[' array, 'v' number or literal
    bool key = false;
};

// The tokens of a JSON text, objects and arrays whole; tolerant of broken text.
std::vector<Token> Tokens(const std::string& text) {
    std::vector<Token> tokens;
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            std::size_t end = i + 1;
            while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
            end = std::min(end + 1, text.size());
            std::size_t next = end;
            while (next < text.size() && text[next] == ' ') ++next;
            tokens.push_back({i, end - i, '"', next < text.size() && text[next] == ':'});
            i = end;
        } else if (c == '{' || c == '[') {
            open.push_back(tokens.size());
            tokens.push_back({i, 1, c, false});
            ++i;
        } else if (c == '}' || c == ']') {
            if (!open.empty()) {
                Token& start = tokens[open.back()];
                start.size = i + 1 - start.at;
                open.pop_back();
            }
            ++i;
        } else if (c == '-' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')) {
            std::size_t end = i;
            while (end < text.size() && text[end] != ',' && text[end] != '}' && text[end] != ']' &&
                   text[end] != ' ')
                ++end;
            tokens.push_back({i, end - i, 'v', false});
            i = end;
        } else {
            ++i;
        }
    }
    return tokens;
}

const std::vector<std::string> kValues = {"null",
                                          "true",
                                          "false",
                                          "0",
                                          "-1",
                                          "1.5",
                                          "1e400",
                                          "-0",
                                          "99999999999999999999999999",
                                          "12345678901234567890",
                                          "{}",
                                          "[]",
                                          "[1,2]",
                                          "[2,3,4]",
                                          R"({"a":"b"})",
                                          R"("s")",
                                          R"("")",
                                          "[null,2]",
                                          R"({"coordinates":[1,2]})",
                                          R"([{"type":"retweeted","id":"9"}])",
                                          R"({"urls":[{"url":"u","expanded_url":"e"}]})"};

const std::vector<std::string> kTexts = {"",
                                         "\\\\",
                                         "x\\\\",
                                         "coordinates",
                                         "my text",
                                         "name",
                                         "a name",
                                         "expanded_url",
                                         "retweet_count",
                                         "followers_count",
                                         "statuses_count",
                                         "utc_offset",
                                         "screen_name",
                                         "description",
                                         "location",
                                         "id_str",
                                         "created_at",
                                         "\\u0000",
                                         "\\ud800",
                                         "\\udc00x",
                                         "\\ud83d\\ude00",
                                         "\xF0\x9F\x98\x80",
                                         "\xC3\xBC",
                                         "\xD0\x9A\xD0\xB8",
                                         "\\\"",
                                         "\\/",
                                         "/",
                                         "&amp;&lt;",
                                         "[",
                                         "]",
                                         "{",
                                         "}",
                                         "\\n\\t\\r",
                                         "\x01",
                                         "\\u00e9",
                                         "\\u0041",
                                         "_normal",
                                         "https://x",
                                         "next_cursor_str",
                                         "2026-12-09T08:28:09.000Z",
                                         "2026-13-09T08:28:09Z",
                                         "0999",
                                         "\\u",
                                         "\\x",
                                         "\xFF\xFE",
                                         "\\u00"};

const std::vector<std::string> kKeys = {"id",
                                        "text",
                                        "author_id",
                                        "created_at",
                                        "entities",
                                        "urls",
                                        "geo",
                                        "coordinates",
                                        "public_metrics",
                                        "retweet_count",
                                        "note_tweet",
                                        "lang",
                                        "referenced_tweets",
                                        "type",
                                        "users",
                                        "tweets",
                                        "name",
                                        "username",
                                        "location",
                                        "description",
                                        "url",
                                        "expanded_url",
                                        "media_key",
                                        "data",
                                        "includes",
                                        "meta",
                                        "next_token",
                                        "errors",
                                        "title",
                                        "value",
                                        "profile_image_url",
                                        "followers_count",
                                        "tweet_count",
                                        "x"};

class Mutator {
  public:
    explicit Mutator(std::uint64_t seed) : m_random(seed) {}

    std::string Mutate(std::string text) {
        const int rounds = 1 + Pick(3);
        for (int k = 0; k < rounds; ++k) text = Once(std::move(text));
        return text;
    }

  private:
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random); }
    template <class List>
    const std::string& From(const List& list) {
        return list[Pick(list.size())];
    }

    std::string Once(std::string text) {
        const std::vector<Token> tokens = Tokens(text);
        if (tokens.empty()) return text;
        const Token& t = tokens[Pick(tokens.size())];
        switch (Pick(8)) {
            case 0:  // a value of another type
                if (!t.key) return text.replace(t.at, t.size, From(kValues));
                break;
            case 1:
            case 2:  // a string's text replaced or extended
                if (t.kind == '"' && t.size >= 2) {
                    const std::string& insert = From(kTexts);
                    if (Pick(2) == 0) return text.replace(t.at + 1, t.size - 2, insert);
                    return text.insert(t.at + t.size - 1, insert);
                }
                break;
            case 3:  // a renamed member: one missing, another doubled
                if (t.key) return text.replace(t.at, t.size, "\"" + From(kKeys) + "\"");
                break;
            case 4: {  // a member dropped
                if (!t.key) break;
                const auto value = std::find_if(tokens.begin(), tokens.end(),
                                                [&](const Token& v) { return v.at > t.at + t.size; });
                if (value == tokens.end()) break;
                std::size_t end = value->at + value->size;
                if (end < text.size() && text[end] == ',') return text.erase(t.at, end + 1 - t.at);
                if (t.at > 0 && text[t.at - 1] == ',') return text.erase(t.at - 1, end - t.at + 1);
                return text.erase(t.at, end - t.at);
            }
            case 5: {  // a member doubled
                if (!t.key) break;
                const auto value = std::find_if(tokens.begin(), tokens.end(),
                                                [&](const Token& v) { return v.at > t.at + t.size; });
                if (value == tokens.end()) break;
                const std::string member = text.substr(t.at, value->at + value->size - t.at);
                return text.insert(t.at, member + ",");
            }
            case 6:  // a number of another size
                if (t.kind == 'v') return text.replace(t.at, t.size, From(kValues));
                break;
            default:  // a byte changed, added or taken away
                if (text.empty()) break;
                const std::size_t at = Pick(text.size());
                switch (Pick(3)) {
                    case 0:
                        text[at] = static_cast<char>(Pick(256));
                        return text;
                    case 1:
                        return text.insert(at, 1, "\"{}[],:\\"[Pick(8)]);
                    default:
                        return text.erase(at, 1);
                }
        }
        return text;
    }

    std::mt19937_64 m_random;
};

// Pages of 10 to 100 posts of two corpora: searches and a timeline.
std::vector<std::string> SeedPages() {
    std::vector<std::string> pages;
    for (const std::uint64_t seed : {3u, 5u}) {
        emulator::EmulatorConfig config;
        config.seed = seed;
        config.users = 200;
        config.tweetsPerDay = 800;
        config.noteShare = 0.1;
        config.longTextShare = 0.3;
        emulator::Emulator service(config);
        service.Start();
        struct Host : testing::ToolkitExchangeHost {
            Host() : ToolkitExchangeHost(kit) {}
            void ErrorLine(const std::string&) override {}
            testing::ScriptedToolkit kit;
        } host;
        TwitterAPI api(
            host, CurlHttpRequest::Factory({.connectTimeout = 2000ms, .totalTimeout = 20s, .caFile = ""}),
            service.BaseUrl());
        api.SetApiVersion(ApiVersion::V2);
        const auto& c = service.Config();
        api.AuthAppAccess(c.appName, c.consumerKey, c.consumerSecret);
        TweetSet tweets{Yield()};
        tweets.SetNoticeSink([](const std::string&) {});
        std::string maxId;
        for (const char* count : {"10", "10", "20", "100"}) {
            std::string asked = count;
            const RequestOutcome got =
                api.GetSearch(service.Queries().common, "", "", maxId, asked, tweets, false, "recent");
            if (got.Count() <= 0) break;
            pages.push_back(got.body);
            maxId = tweets.OldestTweetId(true);
        }
        const RequestOutcome timeline =
            api.GetUserTimeLine(service.Users().prolific, true, "", "", "10", tweets, false);
        if (timeline.Count() > 0) pages.push_back(timeline.body);
        service.Stop();
    }
    return pages;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 10;
    std::uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seconds") seconds = std::stoi(argv[i + 1]);
        if (option == "--seed") seed = std::stoull(argv[i + 1]);
    }
    const std::vector<std::string> pages = SeedPages();
    if (pages.empty()) return std::fprintf(stderr, "no pages from the emulator\n"), 1;
    Mutator mutator(seed);
    std::mt19937_64 choose(seed);
    long long runs = 0, direct = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        const std::string body = mutator.Mutate(pages[choose() % pages.size()]);
        for (const bool exact : {false, true}) {
            for (const bool search : {true, false}) {
                testing::V2PagePaths paths{search, exact};
                const std::string reference = paths.Reference(body);
                const std::string made = paths.Direct(body);
                const bool translated =
                    testing::V2PagePaths::Translation(body, search, V2Page::Reading::Indexed) ==
                    testing::V2PagePaths::Translation(body, search, V2Page::Reading::PerObject);
                ++runs;
                direct += paths.direct ? 1 : 0;
                if (made == reference && translated) continue;
                std::ofstream("v2_records_difference.json", std::ios::binary) << body;
                std::fprintf(
                    stderr,
                    "difference (exact %d, search %d, translation %s); page in v2_records_difference.json\n"
                    "--- reference\n%s\n--- made\n%s\n",
                    exact, search, translated ? "same" : "differs", reference.c_str(), made.c_str());
                return 1;
            }
        }
    }
    std::printf(
        "%lld comparisons of mutated pages (seed %llu, %d s): no difference; %lld made straight from the "
        "answer, %lld the long way\n",
        runs, static_cast<unsigned long long>(seed), seconds, direct, runs - direct);
    return 0;
}
