#include "emulator/v2_service.h"

#include <httplib.h>

#include <algorithm>
#include <climits>
#include <ctime>

#include "emulator/corpus.h"
#include "emulator/hashing.h"
#include "emulator/json_writer.h"
#include "emulator/search_query.h"
#include "emulator/text_builder.h"
#include "emulator/v2_errors.h"
#include "emulator/v2_fields.h"
#include "emulator/v2_includes.h"
#include "emulator/v2_params.h"

namespace marlin::emulator {

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr JsonWriter::Escaping kV2 = JsonWriter::Escaping::Minimal;
constexpr auto ParseId = &V2Params::Id;
constexpr auto SplitList = &V2Params::List;
constexpr auto Invalid = &V2Params::Invalid;
constexpr auto ReadPageSize = &V2Params::PageSize;

// "YYYY-MM-DDTHH:mm:ssZ", with or without fractions of a second; milliseconds since 1970.
std::optional<int64_t> ParseTime(const std::string& text) {
    std::tm parts{};
    int fractionDigits = 0;
    const char* end = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &parts);
    if (!end) return std::nullopt;
    if (*end == '.')
        for (++end; *end >= '0' && *end <= '9'; ++end) ++fractionDigits;
    if (std::string_view(end) != "Z") return std::nullopt;
    return static_cast<int64_t>(timegm(&parts)) * 1000;
}

void WriteMeta(JsonWriter& json, const std::vector<Tweet>& posts, const std::string& nextToken) {
    json.Key("meta").BeginObject();
    if (!posts.empty()) {
        json.Field("newest_id", std::to_string(posts.front().id));
        json.Field("oldest_id", std::to_string(posts.back().id));
    }
    json.Field("result_count", static_cast<int>(posts.size()));
    if (!nextToken.empty()) json.Field("next_token", nextToken);
    json.EndObject();
}

}  // namespace

// The time and id bounds of a search, a count or a user's posts, every bound exclusive as ids go.
struct V2Service::Bounds {
    uint64_t sinceId = 0;
    uint64_t maxId = UINT64_MAX;
    int64_t startMs = 0;
    int64_t endMs = 0;
    bool startGiven = false;
};

V2Service::V2Service(const Corpus& corpus, const EmulatorConfig& config)
    : m_corpus(corpus), m_config(config), m_renderer(corpus), m_graph(corpus, config.seed) {}

std::vector<Tweet> V2Service::Find(const std::string& query, const SearchOptions& options) const {
    // Since the search index changed, keyword search finds no reposts; the emulator follows when told so.
    const SearchQuery asked(m_config.searchWithoutReposts ? "(" + query + ") -filter:retweets" : query);
    return asked.RequiredConversation() ? m_graph.Search(asked, options) : m_corpus.Search(asked, options);
}

std::string V2Service::Token(uint64_t value) const {
    // Opaque to clients, as the service's are; the check letters catch a token that was made up.
    std::string text = TextBuilder::ShortCode(Hash(m_config.seed, value, 0x70), 4);
    do text += "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
    while (value /= 36);
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<uint64_t> V2Service::FromToken(const std::string& token) const {
    if (token.size() < 5 || token.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (size_t k = token.size(); k-- > 4;) {
        const char c = token[k];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 36 + static_cast<uint64_t>(digit);
    }
    if (Token(value) != token) return std::nullopt;
    return value;
}

std::optional<V2Answer> V2Service::ReadBounds(const httplib::Request& req, bool archive, Bounds& b) const {
    for (const char* name : {"since_id", "until_id"}) {
        if (!req.has_param(name)) continue;
        const std::string text = req.get_param_value(name);
        auto id = ParseId(text);
        if (!id)
            return Invalid(name, text,
                           "The `" + std::string(name) + "` query parameter value [" + text +
                               "] is not a valid tweet id");
        if (name == std::string("since_id"))
            b.sinceId = *id;
        else
            b.maxId = *id == 0 ? 0 : *id - 1;
    }
    for (const char* name : {"start_time", "end_time"}) {
        if (!req.has_param(name)) continue;
        const std::string text = req.get_param_value(name);
        auto ms = ParseTime(text);
        if (!ms) return Invalid(name, text, "Invalid '" + std::string(name) + "':'" + text + "'.");
        (name == std::string("start_time") ? b.startMs : b.endMs) = *ms;
    }
    if (req.has_param("since_id") && req.has_param("start_time"))
        return Invalid(
            "since_id", req.get_param_value("since_id"),
            "The `since_id` query parameter can not be used with the `start_time` query parameter");
    if (req.has_param("until_id") && req.has_param("end_time"))
        return Invalid("until_id", req.get_param_value("until_id"),
                       "The `until_id` query parameter can not be used with the `end_time` query parameter");
    b.startGiven = req.has_param("start_time");
    const int64_t now = m_corpus.NowMs();
    if (!b.startGiven) b.startMs = archive ? now - 30 * kDayMs : m_corpus.IndexStartMs();
    if (!req.has_param("end_time")) b.endMs = now + 1000;
    if (!archive && b.startGiven && b.startMs < m_corpus.IndexStartMs()) {
        const std::string text = req.get_param_value("start_time");
        return Invalid("start_time", text,
                       "Invalid 'start_time':'" + text + "'. 'start_time' must be on or after " +
                           V2Renderer::IsoTime(m_corpus.IndexStartMs() / 1000 + 1).substr(0, 16) + "Z");
    }
    if (b.endMs <= b.startMs)
        return Invalid("end_time", req.get_param_value("end_time"),
                       "Invalid 'end_time':'" + req.get_param_value("end_time") +
                           "'. 'end_time' must be a minimum of 10 ms after the 'start_time'");
    // A since_id replaces the time bound: the two were refused together above.
    // A start before the first id (the service's epoch) bounds nothing.
    if (!req.has_param("since_id")) b.sinceId = std::max<uint64_t>(Corpus::FirstIdAt(b.startMs), 1) - 1;
    b.maxId = std::min(b.maxId, Corpus::FirstIdAt(b.endMs) - 1);
    return std::nullopt;
}

void V2Service::WritePosts(JsonWriter& json, const std::vector<Tweet>& posts, const V2Fields& fields) const {
    V2Includes includes(m_corpus, fields);
    json.Key("data").BeginArray();
    for (const Tweet& t : posts) {
        m_renderer.WritePost(json, t, fields);
        includes.AddPost(t);
    }
    json.EndArray();
    includes.Write(json, m_renderer);
}

// A page of posts: one more than the page size was asked for, so its presence tells
// whether a next page exists.
V2Answer V2Service::PostsPage(std::vector<Tweet> posts, int pageSize, const V2Fields& fields) const {
    const bool more = static_cast<int>(posts.size()) > pageSize;
    if (more) posts.resize(pageSize);
    std::string body;
    body.reserve(posts.size() * 2500 + 256);
    JsonWriter json(body, kV2);
    json.BeginObject();
    if (!posts.empty()) WritePosts(json, posts, fields);
    WriteMeta(json, posts, more ? Token(posts.back().id) : "");
    json.EndObject();
    std::vector<uint64_t> ids;
    ids.reserve(posts.size());
    for (const Tweet& t : posts) ids.push_back(t.id);
    return {200, std::move(body), std::move(ids)};
}

V2Answer V2Service::Search(const httplib::Request& req, bool archive) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    const std::string query = req.get_param_value("query");
    if (query.empty()) return Invalid("query", "", "The `query` query parameter can not be empty");
    int pageSize = 10;
    if (auto bad = ReadPageSize(req, 10, archive ? 500 : 100, pageSize)) return *bad;
    Bounds bounds;
    if (auto bad = ReadBounds(req, archive, bounds)) return *bad;
    SearchOptions options;
    options.sinceId = bounds.sinceId;
    options.maxId = bounds.maxId;
    options.wholeArchive = archive;
    if (req.has_param("next_token")) {
        auto oldest = FromToken(req.get_param_value("next_token"));
        if (!oldest)
            return Invalid("next_token", req.get_param_value("next_token"),
                           "The `next_token` query parameter value is invalid");
        options.maxId = std::min(options.maxId, *oldest - 1);
    }
    options.count = pageSize + 1;  // one more tells whether there is a next page
    return PostsPage(Find(query, options), pageSize, *fields);
}

V2Answer V2Service::Counts(const httplib::Request& req, bool archive) const {
    const std::string query = req.get_param_value("query");
    if (query.empty()) return Invalid("query", "", "The `query` query parameter can not be empty");
    const std::string granularity =
        req.has_param("granularity") ? req.get_param_value("granularity") : "hour";
    const int64_t step = granularity == "day"      ? kDayMs
                         : granularity == "hour"   ? 3600000
                         : granularity == "minute" ? 60000
                                                   : 0;
    if (step == 0)
        return Invalid(
            "granularity", granularity,
            "The `granularity` query parameter value [" + granularity + "] is not one of [minute,hour,day]");
    Bounds bounds;
    if (auto bad = ReadBounds(req, archive, bounds)) return *bad;
    int64_t endMs = std::min(bounds.endMs, m_corpus.NowMs());
    if (req.has_param("next_token")) {
        auto pageEnd = FromToken(req.get_param_value("next_token"));
        if (!pageEnd)
            return Invalid("next_token", req.get_param_value("next_token"),
                           "The `next_token` query parameter value is invalid");
        endMs = std::min(endMs, static_cast<int64_t>(*pageEnd));
    }
    // The full archive answers 31 days a page, newest page first.
    const int64_t pageStart = archive ? std::max(bounds.startMs, endMs - 31 * kDayMs) : bounds.startMs;
    SearchOptions options;
    options.wholeArchive = archive;
    options.sinceId = std::max(bounds.sinceId, Corpus::FirstIdAt(pageStart) - 1);
    options.maxId = std::min(bounds.maxId, Corpus::FirstIdAt(endMs) - 1);
    options.count = INT_MAX;
    std::vector<Tweet> posts = Find(query, options);

    std::string body;
    JsonWriter json(body, kV2);
    json.BeginObject().Key("data").BeginArray();
    size_t next = posts.size();  // posts are newest first; buckets go oldest first
    int64_t total = 0;
    for (int64_t from = pageStart; from < endMs;) {
        const int64_t to = std::min(endMs, (from / step + 1) * step);
        int64_t count = 0;
        while (next > 0 && posts[next - 1].timeMs < to) --next, ++count;
        total += count;
        json.BeginObject()
            .Field("end", V2Renderer::IsoTime(to / 1000))
            .Field("start", V2Renderer::IsoTime(from / 1000));
        json.Field("tweet_count", count).EndObject();
        from = to;
    }
    json.EndArray().Key("meta").BeginObject().Field("total_tweet_count", total);
    if (pageStart > bounds.startMs) json.Field("next_token", Token(static_cast<uint64_t>(pageStart)));
    json.EndObject().EndObject();
    return {200, std::move(body)};
}

std::optional<int> V2Service::FindUser(const std::string& id, V2Answer& error, bool seeingPosts) const {
    auto value = ParseId(id);
    if (!value) {
        error = Invalid("id", id, "The `id` query parameter value [" + id + "] is not valid");
        return std::nullopt;
    }
    auto user = m_corpus.FindUserId(*value);
    std::string body;
    JsonWriter json(body, kV2);
    json.BeginObject().Key("errors").BeginArray();
    if (!user)
        V2Errors::WriteNotFound(json, id, "user", "id");
    else if (seeingPosts && m_corpus.IsProtected(*user))
        V2Errors::WriteNotAuthorized(json, id, "id");
    else
        return user;
    json.EndArray().EndObject();
    error = {200, std::move(body)};
    return std::nullopt;
}

V2Answer V2Service::UserPosts(const httplib::Request& req, const std::string& id) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    int pageSize = 10;
    if (auto bad = ReadPageSize(req, 5, 100, pageSize)) return *bad;
    Bounds bounds;
    if (auto bad = ReadBounds(req, true, bounds)) return *bad;
    if (!req.has_param("start_time") && !req.has_param("since_id")) bounds.sinceId = 0;
    V2Answer error;
    auto user = FindUser(id, error, true);
    if (!user) return error;
    if (req.has_param("pagination_token")) {
        auto oldest = FromToken(req.get_param_value("pagination_token"));
        if (!oldest)
            return Invalid("pagination_token", req.get_param_value("pagination_token"),
                           "The `pagination_token` query parameter value is invalid");
        bounds.maxId = std::min(bounds.maxId, *oldest - 1);
    }
    const std::vector<std::string> exclude = SplitList(req.get_param_value("exclude"));
    auto excluded = [&](const char* what) {
        return std::find(exclude.begin(), exclude.end(), what) != exclude.end();
    };
    std::vector<Tweet> posts;
    for (TweetRef ref : m_corpus.Timeline(*user, bounds.sinceId, bounds.maxId, Corpus::kTimelineCap)) {
        Tweet t = m_corpus.MakeTweet(ref);
        if ((excluded("retweets") && t.IsRetweet()) || (excluded("replies") && t.replyToUser >= 0)) continue;
        posts.push_back(std::move(t));
        if (static_cast<int>(posts.size()) > pageSize) break;
    }
    return PostsPage(std::move(posts), pageSize, *fields);
}

V2Answer V2Service::Users(const httplib::Request& req, bool byName) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    const char* parameter = byName ? "usernames" : "ids";
    const std::string text = req.get_param_value(parameter);
    const std::vector<std::string> keys = SplitList(text);
    if (keys.empty() || keys.size() > 100)
        return Invalid(parameter, text,
                       "The `" + std::string(parameter) + "` query parameter value [" + text +
                           "] does not hold between 1 and 100 items");
    std::vector<int> found;
    std::vector<std::string> missing;
    for (const std::string& key : keys) {
        std::optional<int> user;
        if (byName) {
            user = m_corpus.FindScreenName(key);
        } else {
            auto id = ParseId(key);
            if (!id)
                return Invalid(parameter, text, "The `ids` query parameter value [" + key + "] is not valid");
            user = m_corpus.FindUserId(*id);
        }
        if (user)
            found.push_back(*user);
        else
            missing.push_back(key);
    }
    std::string body;
    JsonWriter json(body, kV2);
    json.BeginObject();
    if (!found.empty()) {
        json.Key("data").BeginArray();
        for (int user : found) m_renderer.WriteUser(json, m_corpus.User(user), *fields);
        json.EndArray();
    }
    if (!missing.empty()) {
        json.Key("errors").BeginArray();
        for (const std::string& key : missing)
            V2Errors::WriteNotFound(json, key, "user", byName ? "usernames" : "ids");
        json.EndArray();
    }
    json.EndObject();
    return {200, std::move(body)};
}

V2Answer V2Service::OneUser(const httplib::Request& req, const std::string& key, bool byName) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    std::optional<int> user;
    if (byName) {
        user = m_corpus.FindScreenName(key);
        if (!user) {
            std::string body;
            JsonWriter json(body, kV2);
            json.BeginObject().Key("errors").BeginArray();
            V2Errors::WriteNotFound(json, key, "user", "username");
            json.EndArray().EndObject();
            return {200, std::move(body)};
        }
    } else {
        V2Answer error;
        user = FindUser(key, error, false);
        if (!user) return error;
    }
    std::string body;
    JsonWriter json(body, kV2);
    json.BeginObject().Key("data");
    m_renderer.WriteUser(json, m_corpus.User(*user), *fields);
    json.EndObject();
    return {200, std::move(body)};
}

V2Answer V2Service::Connections(const httplib::Request& req, const std::string& id, bool following) const {
    std::string problem;
    auto fields = V2Fields::Read(req.params, &problem);
    if (!fields) return {400, problem};
    int pageSize = 100;
    if (auto bad = ReadPageSize(req, 1, 1000, pageSize)) return *bad;
    V2Answer error;
    auto user = FindUser(id, error, true);
    if (!user) return error;
    const std::vector<int> friends = following ? m_corpus.Friends(*user) : std::vector<int>();
    const int total = following ? static_cast<int>(friends.size()) : m_corpus.FollowerCount(*user);
    int first = 0;
    if (req.has_param("pagination_token")) {
        auto position = FromToken(req.get_param_value("pagination_token"));
        if (!position || *position > static_cast<uint64_t>(total))
            return Invalid("pagination_token", req.get_param_value("pagination_token"),
                           "The `pagination_token` query parameter value is invalid");
        first = static_cast<int>(*position);
    }
    const int end = std::min(total, first + pageSize);
    const std::vector<int> members = following
                                         ? std::vector<int>(friends.begin() + first, friends.begin() + end)
                                         : m_corpus.Followers(*user, first, end - first);
    return UsersPage(members, first, total, pageSize, *fields);
}

V2Answer V2Service::UsersPage(const std::vector<int>& users, int first, int total, int pageSize,
                              const V2Fields& fields) const {
    const int end = first + static_cast<int>(users.size());
    std::string body;
    body.reserve(users.size() * 600 + 128);
    JsonWriter json(body, kV2);
    json.BeginObject();
    if (!users.empty()) {
        json.Key("data").BeginArray();
        for (int user : users) m_renderer.WriteUser(json, m_corpus.User(user), fields);
        json.EndArray();
    }
    json.Key("meta").BeginObject().Field("result_count", static_cast<int>(users.size()));
    if (end < total) json.Field("next_token", Token(static_cast<uint64_t>(end)));
    if (first > 0) json.Field("previous_token", Token(static_cast<uint64_t>(std::max(0, first - pageSize))));
    json.EndObject().EndObject();
    return {200, std::move(body)};
}

}  // namespace marlin::emulator
