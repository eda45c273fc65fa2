#include "emulator/post_graph.h"

#include <algorithm>
#include <cctype>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "emulator/corpus.h"
#include "emulator/hashing.h"
#include "emulator/search_query.h"

namespace marlin::emulator {

namespace {

constexpr uint64_t kSuspended = 0x5005;
constexpr uint64_t kLikes = 0x11e;
constexpr double kSuspendedShare = 0.01;

int AuthorOf(uint64_t postId) {
    return static_cast<int>(postId & 0x3FFFFF);  // the author is in the id's low 22 bits
}

}  // namespace

PostGraph::PostGraph(const Corpus& corpus, uint64_t seed) : m_corpus(corpus), m_seed(seed) {}

bool PostGraph::IsSuspended(int user) const {
    return user >= Corpus::kRoleCount &&
           Unit(Hash(m_seed, static_cast<uint64_t>(user), kSuspended)) < kSuspendedShare;
}

PostGraph::Visibility PostGraph::Of(TweetRef ref) const {
    if (m_corpus.IsGone(ref)) return Visibility::Deleted;
    if (IsSuspended(ref.user)) return Visibility::Suspended;
    if (m_corpus.IsProtected(ref.user)) return Visibility::Protected;
    return Visibility::Visible;
}

PostGraph::Visibility PostGraph::OfId(uint64_t postId) const {
    const std::optional<TweetRef> ref = m_corpus.FindTweet(postId);
    return ref ? Of(*ref) : Visibility::Deleted;
}

uint64_t PostGraph::ConversationId(const Corpus& corpus, const Tweet& tweet) {
    // Every reply answers an earlier post, so the walk ends at the post that started it all.
    TweetRef at = tweet.replyTo;
    uint64_t root = tweet.id;
    while (at.Valid()) {
        root = corpus.TweetId(at);
        at = corpus.MakeTweet(at).replyTo;
    }
    return root;
}

void PostGraph::Build() const {
    std::unordered_map<uint64_t, uint64_t> answers;  // a reply and the post it answers
    for (int user = 0; user < m_corpus.UserCount(); ++user) {
        for (int seq = 0; seq < m_corpus.TweetCount(user); ++seq) {
            const Tweet t = m_corpus.MakeTweet({user, seq});
            if (t.IsQuote()) m_quotes.push_back({m_corpus.TweetId(t.quoteOf), t.id});
            if (t.IsRetweet()) m_reposts.push_back({m_corpus.TweetId(t.retweetOf), t.id});
            if (t.replyTo.Valid()) answers.emplace(t.id, m_corpus.TweetId(t.replyTo));
        }
    }
    for (const auto& [reply, answered] : answers) {
        uint64_t root = answered;
        for (auto up = answers.find(root); up != answers.end(); up = answers.find(root)) root = up->second;
        m_replies.push_back({root, reply});
    }
    for (std::vector<Edge>* edges : {&m_quotes, &m_reposts, &m_replies})
        std::sort(edges->begin(), edges->end());
}

std::vector<uint64_t> PostGraph::Referring(const std::vector<Edge>& edges, uint64_t target) {
    std::vector<uint64_t> posts;
    auto at = std::lower_bound(edges.begin(), edges.end(), Edge{target, UINT64_MAX});
    for (; at != edges.end() && at->target == target; ++at) posts.push_back(at->post);
    return posts;
}

std::vector<uint64_t> PostGraph::Quotes(uint64_t postId) const {
    std::call_once(m_built, [this] { Build(); });
    std::vector<uint64_t> quotes;
    for (uint64_t id : Referring(m_quotes, postId))
        if (Of(*m_corpus.FindTweet(id)) == Visibility::Visible) quotes.push_back(id);
    return quotes;
}

std::vector<int> PostGraph::Reposters(uint64_t postId) const {
    std::call_once(m_built, [this] { Build(); });
    std::vector<int> users;
    std::unordered_set<int> seen;
    for (uint64_t id : Referring(m_reposts, postId))
        if (Of(*m_corpus.FindTweet(id)) == Visibility::Visible && seen.insert(AuthorOf(id)).second)
            users.push_back(AuthorOf(id));
    return users;
}

std::vector<uint64_t> PostGraph::Replies(uint64_t conversationId) const {
    std::call_once(m_built, [this] { Build(); });
    return Referring(m_replies, conversationId);
}

std::vector<int> PostGraph::LikingUsers(const Tweet& tweet) const {
    // A pseudo-random walk over the other users, as followers are drawn: position p is the user
    // (a * p + b) mod (users - 1), the author left out, so no user comes twice.
    const uint64_t others = static_cast<uint64_t>(m_corpus.UserCount() - 1);
    const uint64_t likes = std::min<uint64_t>(tweet.IsRetweet() ? 0 : tweet.favoriteCount, others);
    const uint64_t h = Hash(m_seed, tweet.id, kLikes);
    uint64_t a = 1 + Pick(h, others - 1);
    while (std::gcd(a, others) != 1) a = a % (others - 1) + 1;
    const uint64_t b = Pick(Mix(h), others);
    std::vector<int> users;
    users.reserve(likes);
    for (uint64_t p = 0; p < likes; ++p) {
        const int k = static_cast<int>((a * p + b) % others);
        const int user = k < tweet.ref.user ? k : k + 1;
        if (!IsSuspended(user)) users.push_back(user);
    }
    return users;
}

std::vector<Tweet> PostGraph::Search(const SearchQuery& query, const SearchOptions& options) const {
    std::vector<Tweet> out;
    const uint64_t conversation = query.RequiredConversation();
    const uint64_t lowest = options.wholeArchive ? 0 : Corpus::FirstIdAt(m_corpus.IndexStartMs());
    for (uint64_t id : Replies(conversation)) {
        if (static_cast<int>(out.size()) >= options.count || id <= options.sinceId || id < lowest) break;
        if (id > options.maxId) continue;
        const TweetRef ref = *m_corpus.FindTweet(id);
        if (m_corpus.IsProtected(ref.user)) continue;  // search never shows a protected account's posts
        Tweet tweet = m_corpus.MakeTweet(ref);
        std::string author = m_corpus.ScreenName(ref.user);
        for (char& c : author) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((options.lang.empty() || tweet.lang == options.lang) &&
            query.Matches(tweet.text, author, tweet.lang, tweet.IsRetweet(), conversation))
            out.push_back(std::move(tweet));
    }
    return out;
}

}  // namespace marlin::emulator
