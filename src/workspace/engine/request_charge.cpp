#include "workspace/engine/request_charge.h"

#include <algorithm>
#include <charconv>

#include "workspace/engine/response_archive.h"

namespace marlin {

namespace {

// The most a page of that kind may bring when max_results is missing or unreadable.
int MaxResults(const std::string& url, int fallback) {
    const std::string text = ResponseArchive::Parameter(url, "max_results");
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0 ? value : fallback;
}

int ListLength(const std::string& list) {
    return list.empty() ? 0 : static_cast<int>(std::count(list.begin(), list.end(), ',')) + 1;
}

}  // namespace

std::optional<RequestCharge> RequestCharge::Of(const std::string& url) {
    const std::size_t at = url.find("/2/");
    if (at == std::string::npos) return std::nullopt;
    const std::string path = url.substr(at, url.find('?', at) - at);
    if (path.starts_with("/2/usage/")) return std::nullopt;
    if (path.starts_with("/2/tweets/counts/"))
        return RequestCharge{path.ends_with("/all") ? ReadKind::CountsAll : ReadKind::CountsRecent, 1};
    if (path.starts_with("/2/tweets/search/") || path.ends_with("/tweets"))
        return RequestCharge{ReadKind::Post, MaxResults(url, 100)};
    if (path == "/2/tweets")
        return RequestCharge{ReadKind::Post, ListLength(ResponseArchive::Parameter(url, "ids"))};
    if (path.ends_with("/quote_tweets")) return RequestCharge{ReadKind::Post, MaxResults(url, 10)};
    if (path.ends_with("/retweeted_by") || path.ends_with("/liking_users") || path.ends_with("/members"))
        return RequestCharge{ReadKind::User, MaxResults(url, 100)};
    if (path.ends_with("/followers") || path.ends_with("/following"))
        return RequestCharge{ReadKind::User, MaxResults(url, 1000)};
    if (path.starts_with("/2/users/by/username/")) return RequestCharge{ReadKind::User, 1};
    if (path == "/2/users/by")
        return RequestCharge{ReadKind::User, ListLength(ResponseArchive::Parameter(url, "usernames"))};
    if (path == "/2/users")
        return RequestCharge{ReadKind::User, ListLength(ResponseArchive::Parameter(url, "ids"))};
    return std::nullopt;
}

}  // namespace marlin
