#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marlin {

// The paths and queries of the requests beyond search: posts by id (v2 and v1.1), the quotes of a
// post, the users who reposted or liked it, the members of a list, and the search that finds a
// conversation. Posts come with the fields and expansions a search asks for, users with those a
// look-up asks for, so the same tables fill from them.
class PostRequests {
  public:
    static constexpr std::size_t kMostIds = 100;  // ids one look-up may name
    static constexpr int kMostPerPage = 100;      // posts or users one page may hold

    // GET /2/tweets?ids= for up to kMostIds ids.
    static std::string LookupV2(const std::vector<std::uint64_t>& ids);
    // GET /1.1/statuses/lookup.json?id=; exactTexts asks for whole texts (tweet_mode=extended).
    static std::string LookupV11(const std::vector<std::uint64_t>& ids, bool exactTexts);
    // token: the pagination token of the page, empty for the first.
    static std::string Quotes(std::uint64_t postId, const std::string& token);
    static std::string RepostedBy(std::uint64_t postId, const std::string& token);
    static std::string LikingUsers(std::uint64_t postId, const std::string& token);
    static std::string ListMembers(std::uint64_t listId, const std::string& token);
    // The search query whose answers are the replies of a post's conversation (the post itself is
    // not among them: it is looked up by id).
    static std::string ConversationQuery(std::uint64_t postId);

  private:
    static std::string IdList(const std::vector<std::uint64_t>& ids);
    static std::string UserPage(const std::string& path, const std::string& token);
};

}  // namespace marlin
