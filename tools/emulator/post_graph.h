#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "emulator/tweet.h"

namespace marlin::emulator {

class Corpus;
class SearchQuery;
struct SearchOptions;

// What the corpus implies about its posts beyond each post itself: who quoted, reposted, liked and
// answered it, and whether it can still be seen. The posts that refer to others are found by one pass over
// the whole corpus, made the first time such a question is asked (a fraction of a second for the default
// corpus) and kept.
class PostGraph {
  public:
    // Why a post cannot be seen any longer, as a look-up by id tells it.
    enum class Visibility { Visible, Deleted, Protected, Suspended };

    PostGraph(const Corpus& corpus, uint64_t seed);

    // Deleted: gone since it was searched (Corpus::IsGone). Suspended: its author's account was suspended
    // since; a search still finds what it posted before, a look-up by id no longer does.
    Visibility Of(TweetRef ref) const;
    // The same for a post id; an id the corpus never had is Deleted, as the service cannot tell them apart.
    Visibility OfId(uint64_t postId) const;
    bool IsSuspended(int user) const;

    // The id of the post that started the conversation the tweet belongs to: its own id unless it replies.
    static uint64_t ConversationId(const Corpus& corpus, const Tweet& tweet);

    // Ids of the visible quotes of a post, newest first.
    std::vector<uint64_t> Quotes(uint64_t postId) const;
    // The users whose visible reposts repost it, the latest first, each once.
    std::vector<int> Reposters(uint64_t postId) const;
    // The users who liked it: as many as the post's like count says (a user likes a post once, so at most
    // every other user), in the order the service lists them; suspended users are left out.
    std::vector<int> LikingUsers(const Tweet& tweet) const;
    // The replies of a conversation (at any depth), newest first, visible or not.
    std::vector<uint64_t> Replies(uint64_t conversationId) const;

    // A search whose query names its conversation (SearchQuery::RequiredConversation): the replies that
    // match within the options' bounds, newest first, as Corpus::Search gives the posts of other queries.
    std::vector<Tweet> Search(const SearchQuery& query, const SearchOptions& options) const;

  private:
    // A post that refers to another one; kept sorted by target, the newest referring post first.
    struct Edge {
        uint64_t target;
        uint64_t post;
        bool operator<(const Edge& other) const {
            return target != other.target ? target < other.target : post > other.post;
        }
    };

    void Build() const;
    static std::vector<uint64_t> Referring(const std::vector<Edge>& edges, uint64_t target);

    const Corpus& m_corpus;
    uint64_t m_seed;
    mutable std::once_flag m_built;
    mutable std::vector<Edge> m_quotes;
    mutable std::vector<Edge> m_reposts;
    mutable std::vector<Edge> m_replies;  // by the id of the conversation
};

}  // namespace marlin::emulator
