#include "service/v2_request.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "service/v2_translator.h"

namespace marlin {

std::string V2Request::Encoded(const std::string& value, bool keepCommas) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || ch == '-' || ch == '_' || ch == '.' || ch == '~' ||
            (keepCommas && ch == ',')) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string V2Request::TweetExpansions() {
    return std::string("tweet.fields=") + kTweetFields + "&expansions=" + kExpansions +
           "&user.fields=" + kUserFields + "&place.fields=" + kPlaceFields;
}

std::string V2Request::Query(const std::string& query, const std::string& lang) {
    return "query=" + Encoded(lang.empty() ? query : query + " lang:" + lang);
}

std::string V2Request::Clamped(const std::string& count, int low, int high) {
    const long value = std::strtol(count.c_str(), nullptr, 10);
    return std::to_string(std::clamp<long>(value, low, high));
}

std::string V2Request::Search(bool fullArchive, const std::string& query, const std::string& lang,
                              const std::string& sinceId, const std::string& untilId,
                              const std::string& count, std::time_t startTime) {
    std::string path = fullArchive ? "/2/tweets/search/all?" : "/2/tweets/search/recent?";
    path += Query(query, lang) + "&max_results=" + Clamped(count, 10, 100) + "&" + TweetExpansions();
    if (!untilId.empty()) path += "&until_id=" + Encoded(untilId);
    if (!sinceId.empty()) path += "&since_id=" + Encoded(sinceId);
    if (startTime > 0) path += "&start_time=" + V2Translator::IsoTime(startTime);
    return path;
}

std::string V2Request::UserPosts(const std::string& userId, const std::string& sinceId,
                                 const std::string& untilId, const std::string& count) {
    std::string path = "/2/users/" + Encoded(userId) + "/tweets?max_results=" + Clamped(count, 5, 100) + "&" +
                       TweetExpansions();
    if (!untilId.empty()) path += "&until_id=" + Encoded(untilId);
    if (!sinceId.empty()) path += "&since_id=" + Encoded(sinceId);
    return path;
}

std::string V2Request::UserByName(const std::string& screenName) {
    return "/2/users/by/username/" + Encoded(screenName) + "?user.fields=" + kUserFields;
}

std::string V2Request::Lookup(const std::string& ids, const std::string& screenNames) {
    const std::string list = ids.empty() ? "/2/users/by?usernames=" + Encoded(screenNames, true)
                                         : "/2/users?ids=" + Encoded(ids, true);
    return list + "&user.fields=" + kUserFields;
}

std::string V2Request::Follows(const std::string& userId, bool followers, const std::string& count,
                               const std::string& token) {
    std::string path = "/2/users/" + Encoded(userId) + (followers ? "/followers" : "/following") +
                       "?max_results=" + Clamped(count, 1, 1000) + "&user.fields=" + kUserFields;
    if (!token.empty()) path += "&pagination_token=" + Encoded(token);
    return path;
}

std::string V2Request::Counts(bool fullArchive, const std::string& query, const std::string& lang,
                              std::time_t startTime, std::time_t endTime, const std::string& token) {
    std::string path = fullArchive ? "/2/tweets/counts/all?" : "/2/tweets/counts/recent?";
    path += Query(query, lang) + "&granularity=day";
    if (startTime > 0) path += "&start_time=" + V2Translator::IsoTime(startTime);
    if (endTime > 0) path += "&end_time=" + V2Translator::IsoTime(endTime);
    if (!token.empty()) path += "&next_token=" + Encoded(token);
    return path;
}

}  // namespace marlin
