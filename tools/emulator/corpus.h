#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "emulator/account.h"
#include "emulator/emulator_config.h"
#include "emulator/tweet.h"

namespace marlin::emulator {

class SearchQuery;

// What a search may return besides the query itself.
struct SearchOptions {
    std::string lang;             // only tweets in this language, when set
    bool popularOnly = false;     // result_type=popular
    uint64_t sinceId = 0;         // only ids above this
    uint64_t maxId = UINT64_MAX;  // only ids up to this
    int count = 15;
    bool wholeArchive = false;  // the whole corpus (v2 full-archive search), not only the search index
    bool noRetweets = false;    // the second service's search: a repost is no post of its own
};

// The service's data: users, their tweets and who follows whom, all derived from the seed on demand.
// Only a small record per user is held; a tweet exists only while it is being answered.
//
// Each user writes a stream of tweets at a steady pace with jitter over the corpus days; tweet ids are
// time-ordered (milliseconds since the service's epoch in the high bits, the author in the low 22 bits), so
// an id names its author and time and a page boundary is found by arithmetic instead of a scan.
// Followers of a user are a pseudo-random arithmetic progression over the other users, which makes the
// reverse question (whom does this user follow) answerable without storing the graph.
class Corpus {
  public:
    static constexpr int kTimelineCap = 3200;
    static constexpr int64_t kServiceEpochMs = 1288834974657;

    Corpus(const EmulatorConfig& config, int64_t nowSeconds);

    int UserCount() const { return static_cast<int>(m_users.size()); }
    int64_t NowMs() const { return m_nowMs; }
    int64_t IndexStartMs() const { return m_indexStartMs; }  // the oldest moment recent search sees
    // The smallest id a post made at that moment can have.
    static uint64_t FirstIdAt(int64_t ms) {
        return ms <= kServiceEpochMs ? 0 : static_cast<uint64_t>(ms - kServiceEpochMs) << 22;
    }

    // Users.
    std::optional<int> FindScreenName(std::string_view screenName) const;  // ignores case
    std::optional<int> FindUserId(uint64_t id) const;
    Account User(int index) const;
    const std::string& ScreenName(int index) const { return m_users[index].screenName; }
    uint64_t UserId(int index) const { return m_users[index].id; }
    bool IsProtected(int index) const { return m_users[index].isProtected; }
    int TweetCount(int index) const { return m_users[index].tweets; }
    std::string DisplayName(int index) const;

    // Tweets.
    Tweet MakeTweet(TweetRef ref) const;
    uint64_t TweetId(TweetRef ref) const;
    int64_t TweetTimeMs(TweetRef ref) const;
    std::optional<TweetRef> FindTweet(uint64_t id) const;
    // Whether a v2 answer finds the post deleted when another post refers to it (replies and quotes).
    bool IsGone(TweetRef ref) const;
    // The photos a tweet shows, first to last.
    std::vector<Photo> Photos(const Tweet& tweet) const;

    // Searching: tweets of the search index (the last searchIndexDays) that match, newest first.
    std::vector<Tweet> Search(const SearchQuery& query, const SearchOptions& options) const;
    // The user's timeline (the kTimelineCap most recent tweets), newest first, within the id bounds.
    std::vector<TweetRef> Timeline(int user, uint64_t sinceId, uint64_t maxId, int count) const;

    // The social graph, most recent follower first.
    int FollowerCount(int user) const { return m_users[user].followers; }
    int FriendCount(int user) const { return m_users[user].friends; }
    std::vector<int> Followers(int user, int from, int count) const;
    std::vector<int> Friends(int user) const;
    bool Follows(int follower, int user) const;

    // Expectations for tests: every id the service would hand out, newest or most recent first.
    std::vector<std::string> SearchIds(std::string_view q, const std::string& lang = "") const;
    std::vector<std::string> TimelineIds(std::string_view screenName) const;
    std::vector<std::string> FollowerIds(std::string_view screenName) const;
    std::vector<std::string> FriendIds(std::string_view screenName) const;
    std::string UserIdText(std::string_view screenName) const;

    // Users in fixed roles (see KnownUsers in emulator.h).
    enum Role {
        kDemo,
        kPopular,
        kMidsize,
        kProlific,
        kProtected,
        kVerified,
        kSilent,
        kInternational,
        kRoleCount
    };
    static const char* RoleScreenName(Role role);

  private:
    struct UserCore {
        uint64_t id = 0;
        std::string screenName;
        std::string lowerName;
        int tweets = 0;      // tweets in the corpus
        int64_t stepMs = 0;  // average gap between two tweets
        int64_t endMs = 0;   // time of the newest tweet before jitter
        int followers = 0;
        int friends = 0;
        uint64_t mulA = 1, addB = 0, invA = 1;  // followers: (mulA * i + addB) mod (users - 1)
        int language = -1;                      // -1 English, else index into the other languages, -2 several
        bool isProtected = false;
        bool verified = false;
        bool geoEnabled = false;
        int64_t createdAt = 0;
    };

    void BuildUsers(const EmulatorConfig& config);
    void AssignTweetCounts(const EmulatorConfig& config);
    void AssignFollowers();
    void ApplyRoles();
    int Locate(int user, uint64_t maxId) const;  // first seq whose id <= maxId (may be == tweets)
    int FollowerAt(int user, int position) const;
    int PickReferencedUser(uint64_t hash, int except) const;
    TweetRef PickEarlierTweet(uint64_t hash, int except, int64_t beforeMs) const;
    bool IsPlainKind(TweetRef ref) const;
    uint64_t H(uint64_t a, uint64_t b = 0, uint64_t c = 0) const;
    void WriteText(Tweet& tweet, uint64_t h) const;

    uint64_t m_seed;
    int64_t m_nowMs;
    int64_t m_startMs;
    int64_t m_indexStartMs;
    double m_longTextShare;
    double m_photoShare;
    double m_noteShare;
    double m_goneShare;
    std::vector<UserCore> m_users;
    std::vector<int> m_celebrities;  // the most followed users, who are retweeted and quoted most
    std::unordered_map<std::string, int> m_byName;
    std::unordered_map<uint64_t, int> m_byId;

    // Searches that went through the whole index: every match, newest first, so that asking again (the
    // next page, an update, the same rare query in another test) costs no scan. A few are kept.
    struct CompleteSearch {
        std::string key;
        std::vector<uint64_t> ids;
    };
    std::optional<std::vector<uint64_t>> CompleteMatches(const std::string& key) const;
    void KeepCompleteMatches(const std::string& key, const std::vector<Tweet>& tweets) const;
    mutable std::mutex m_completeMutex;
    mutable std::deque<CompleteSearch> m_complete;
};

}  // namespace marlin::emulator
