#include "service/post_requests.h"

#include "service/v2_request.h"

namespace marlin {

std::string PostRequests::IdList(const std::vector<std::uint64_t>& ids) {
    std::string list;
    for (const std::uint64_t id : ids) {
        if (!list.empty()) list += ',';
        list += std::to_string(id);
    }
    return list;
}

std::string PostRequests::LookupV2(const std::vector<std::uint64_t>& ids) {
    return "/2/tweets?ids=" + IdList(ids) + "&" + V2Request::TweetExpansions();
}

std::string PostRequests::LookupV11(const std::vector<std::uint64_t>& ids, bool exactTexts) {
    return "/1.1/statuses/lookup.json?id=" + IdList(ids) + "&include_entities=true" +
           (exactTexts ? "&tweet_mode=extended" : "");
}

std::string PostRequests::Quotes(std::uint64_t postId, const std::string& token) {
    std::string path = "/2/tweets/" + std::to_string(postId) +
                       "/quote_tweets?max_results=" + std::to_string(kMostPerPage) + "&" +
                       V2Request::TweetExpansions();
    if (!token.empty()) path += "&pagination_token=" + V2Request::Encoded(token);
    return path;
}

std::string PostRequests::UserPage(const std::string& path, const std::string& token) {
    std::string page =
        path + "?max_results=" + std::to_string(kMostPerPage) + "&user.fields=" + V2Request::kUserFields;
    if (!token.empty()) page += "&pagination_token=" + V2Request::Encoded(token);
    return page;
}

std::string PostRequests::RepostedBy(std::uint64_t postId, const std::string& token) {
    return UserPage("/2/tweets/" + std::to_string(postId) + "/retweeted_by", token);
}

std::string PostRequests::LikingUsers(std::uint64_t postId, const std::string& token) {
    return UserPage("/2/tweets/" + std::to_string(postId) + "/liking_users", token);
}

std::string PostRequests::ListMembers(std::uint64_t listId, const std::string& token) {
    return UserPage("/2/lists/" + std::to_string(listId) + "/members", token);
}

std::string PostRequests::ConversationQuery(std::uint64_t postId) {
    return "conversation_id:" + std::to_string(postId);
}

}  // namespace marlin
