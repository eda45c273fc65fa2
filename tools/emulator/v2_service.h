#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/emulator_config.h"
#include "emulator/post_graph.h"
#include "emulator/tweet.h"
#include "emulator/v2_renderer.h"

namespace httplib {
struct Request;
}

namespace marlin::emulator {

class Corpus;
class JsonWriter;
struct SearchOptions;
class V2Fields;

struct V2Answer {
    V2Answer(int status = 200, std::string body = {}, std::vector<uint64_t> posts = {})
        : status(status), body(std::move(body)), posts(std::move(posts)) {}

    int status;
    std::string body;
    std::vector<uint64_t> posts;  // the posts of its data, which the usage meter counts as read
};

// The v2 endpoints over the same corpus as the v1.1 ones, so that a query asked in either dialect finds
// the same posts. Quota, faults and the bearer check are the server's; these only answer.
class V2Service {
  public:
    V2Service(const Corpus& corpus, const EmulatorConfig& config);

    // GET /2/tweets/search/recent and /all.
    V2Answer Search(const httplib::Request& req, bool archive) const;
    // GET /2/tweets/counts/recent and /all.
    V2Answer Counts(const httplib::Request& req, bool archive) const;
    // GET /2/users/:id/tweets.
    V2Answer UserPosts(const httplib::Request& req, const std::string& id) const;
    // GET /2/users/by?usernames= and /2/users?ids=.
    V2Answer Users(const httplib::Request& req, bool byName) const;
    // GET /2/users/by/username/:username and /2/users/:id.
    V2Answer OneUser(const httplib::Request& req, const std::string& key, bool byName) const;
    // GET /2/users/:id/followers and /following.
    V2Answer Connections(const httplib::Request& req, const std::string& id, bool following) const;

    // What the corpus implies beyond each post: quotes, reposts, likes, conversations, who is gone.
    const PostGraph& Graph() const { return m_graph; }

    // The paging tokens: opaque to clients, as the service's are; a made-up token reads as nothing.
    std::string Token(uint64_t value) const;
    std::optional<uint64_t> FromToken(const std::string& token) const;
    // A page of posts, newest first: one more than the page size was asked for, so its presence tells
    // whether a next page exists (whose token is the oldest post's id).
    V2Answer PostsPage(std::vector<Tweet> posts, int pageSize, const V2Fields& fields) const;
    // A page of users that starts at position `first` of `total`, with the tokens of the pages after and
    // before it (positions) where there are such pages.
    V2Answer UsersPage(const std::vector<int>& users, int first, int total, int pageSize,
                       const V2Fields& fields) const;

  private:
    struct Bounds;
    std::optional<V2Answer> ReadBounds(const httplib::Request& req, bool archive, Bounds& bounds) const;
    std::optional<int> FindUser(const std::string& id, V2Answer& error, bool seeingPosts) const;
    void WritePosts(JsonWriter& json, const std::vector<Tweet>& posts, const V2Fields& fields) const;
    // The posts of a search or a count: a conversation's from the post graph, others from the corpus.
    std::vector<Tweet> Find(const std::string& query, const SearchOptions& options) const;

    const Corpus& m_corpus;
    const EmulatorConfig& m_config;
    V2Renderer m_renderer;
    PostGraph m_graph;
};

}  // namespace marlin::emulator
