#include "workspace/engine/response_archive.h"

#include <cstdio>
#include <utility>

namespace marlin {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string PercentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const int high = k + 2 < text.size() && text[k] == '%' ? HexValue(text[k + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[k + 2]) : -1;
        if (low < 0) {
            decoded += text[k];
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        k += 2;
    }
    return decoded;
}

std::string TodayText() {
    const SKDFuncs::DateValue today = SKDFuncs::Now();
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", today.year, today.month, today.day);
    return text;
}

// A v2 search names its query "query" and carries the language in it; the file is named
// by the query the user typed, as in v1.1.
std::string V2SearchName(const std::string& url) {
    std::string query = ResponseArchive::Parameter(url, "query");
    const std::size_t lang = query.rfind(" lang:");
    if (lang != std::string::npos && query.find(' ', lang + 1) == std::string::npos) query.resize(lang);
    return query;
}

// The account of a v2 list is the id in its path: /2/users/<id>/followers.
std::string V2UserOfPath(const std::string& url) {
    const std::size_t start = url.find("/2/users/");
    if (start == std::string::npos) return {};
    const std::size_t from = start + 9;
    return url.substr(from, url.find('/', from) - from);
}

// The post or list a call about one of them names: /2/tweets/ID/… or /2/lists/ID/….
std::string IdOfPath(const std::string& url) {
    for (const char* prefix : {"/2/tweets/", "/2/lists/"}) {
        const std::size_t start = url.find(prefix);
        if (start == std::string::npos) continue;
        const std::size_t from = start + std::string_view(prefix).size();
        return url.substr(from, url.find('/', from) - from);
    }
    return {};
}

}  // namespace

const char* ResponseArchive::KindOf(ResourceFamily family) {
    static constexpr std::pair<ResourceFamily, const char*> kKinds[] = {
        {ResourceFamily::Search, "search"},
        {ResourceFamily::UserTimeline, "timelines"},
        {ResourceFamily::UsersLookup, "users"},
        {ResourceFamily::FollowersList, "followers"},
        {ResourceFamily::FriendsList, "friends"},
        {ResourceFamily::Quotes, "quotes"},
        {ResourceFamily::RepostedBy, "reposted-by"},
        {ResourceFamily::LikingUsers, "liking-users"},
        {ResourceFamily::ListMembers, "list-members"},
        {ResourceFamily::PostsLookup, "posts"},
    };
    for (const auto& [kind, name] : kKinds)
        if (kind == family) return name;
    return "other";
}

std::string ResponseArchive::Parameter(const std::string& url, const std::string& name) {
    const std::size_t query = url.find('?');
    if (query == std::string::npos) return {};
    for (std::size_t start = query + 1; start <= url.size();) {
        std::size_t end = url.find('&', start);
        if (end == std::string::npos) end = url.size();
        const std::string pair = url.substr(start, end - start);
        if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 && pair[name.size()] == '=')
            return PercentDecoded(pair.substr(name.size() + 1));
        start = end + 1;
    }
    return {};
}

std::string ResponseArchive::NameOf(ResourceFamily family, const std::string& url,
                                    const ArchiveChoice& choice) {
    switch (family) {
        case ResourceFamily::Search:
            return url.find("?q=") != std::string::npos ? Parameter(url, "q") : V2SearchName(url);
        case ResourceFamily::FollowersList:
        case ResourceFamily::FriendsList: {
            const std::string screenName = Parameter(url, "screen_name");
            if (!screenName.empty()) return screenName;
            const std::string userId = Parameter(url, "user_id");
            if (!userId.empty()) return userId;
            const std::string actor = Parameter(url, "actor");  // the second service's lists
            return actor.empty() ? V2UserOfPath(url) : actor;
        }
        case ResourceFamily::UserTimeline:
            return kUserListName;
        case ResourceFamily::UsersLookup:
            // The look-up fills a user table ("Tweets" or a named one).
            return choice.lookupName;
        case ResourceFamily::PostsLookup:
            return "hydrate";
        case ResourceFamily::Quotes:
        case ResourceFamily::RepostedBy:
        case ResourceFamily::LikingUsers:
        case ResourceFamily::ListMembers:
            // The post or the list: the number after /2/tweets/ or /2/lists/.
            return IdOfPath(url);
        case ResourceFamily::Counts:
            break;
    }
    return {};
}

std::filesystem::path ResponseArchive::FileFor(ResourceFamily family, const std::string& url,
                                               const ArchiveChoice& choice) const {
    if (!choice.file.empty()) return choice.file;
    if (!choice.keepRaw) return {};
    return m_appFolder / kFolder /
           (TodayText() + "-" + KindOf(family) + "-" + RawArchive::SafeName(NameOf(family, url, choice)) +
            ".jsonl");
}

void ResponseArchive::Keep(ResourceFamily family, const RequestOutcome& answer, const ArchiveChoice& choice,
                           CaptureEvents& events) {
    const std::filesystem::path file = FileFor(family, answer.url, choice);
    if (file.empty()) return;
    std::unique_ptr<RawArchive>& archive = m_files[file];
    if (!archive) archive = std::make_unique<RawArchive>(file);
    const std::string& body = answer.body;
    const PageRecords& records = answer.pageRecords;
    try {
        archive->AppendPage(body, body.capacity() - body.size(), records.found ? &records : nullptr);
    } catch (const RawArchive::Error& error) {
        // The retrieval goes on; the log says once per file that its archive is missing. The
        // page loops rewrite the log's last line with their progress, so the note goes above it.
        if (m_reported.insert(file).second)
            events.Aside(std::string("Raw responses not archived: ") + error.what());
    }
}

}  // namespace marlin
