#include "emulator/corpus.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <numeric>
#include <queue>
#include <utility>

#include "emulator/hashing.h"
#include "emulator/search_query.h"
#include "emulator/text_builder.h"
#include "emulator/text_cutter.h"
#include "emulator/vocabulary.h"

namespace marlin::emulator {

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr int kMaxUsers = 1000000;
constexpr int kOriginalLength = 116;  // longest text of most tweets that are not retweets
constexpr int kLongestText = 280;
constexpr int kLongestNote = 1000;                  // a note post: the service's limit is far above this
constexpr int64_t kFirstAccount = 1174435200;       // 21 March 2007
constexpr int64_t kSnowflakeAccounts = 1451606400;  // accounts from 2016 on carry time-based ids

// Purposes, so that independent properties of one user or tweet draw from independent hashes.
enum Purpose : uint64_t {
    kName = 1,
    kCreated,
    kUserId,
    kFlags,
    kActivity,
    kFollowerClass,
    kGraph,
    kLanguage,
    kKind,
    kJitter,
    kEnd,
    kOriginal,
    kDelay,
    kGeo,
    kCounts,
    kText,
    kClient,
    kProfile,
    kReply,
    kPopularity,
    kPhotos,
    kGone,
};

struct RoleSpec {
    const char* screenName;
    const char* name;
    int tweets;     // in the corpus
    int followers;  // capped by the user count
};

constexpr RoleSpec kRoles[Corpus::kRoleCount] = {
    {"demo_researcher", "Demo Researcher", 300, 320},
    {"bignews_daily", "Big News Daily \U0001F4F0", 800, 5500},
    {"city_library", "City Library", 150, 450},
    {"tide_bot", "Tide & Weather Bot", 4000, 700},
    {"private_diary", "Private Diary", 200, 150},
    {"science_museum", "Science Museum", 500, 900},
    {"quiet_observer", "Quiet Observer", 0, 0},
    {"polyglot_voices", "Πολύγλωσσος Polyglot", 250, 120},
};

uint64_t ModInverse(uint64_t a, uint64_t m) {
    int64_t t = 0, newT = 1;
    int64_t r = static_cast<int64_t>(m), newR = static_cast<int64_t>(a);
    while (newR != 0) {
        int64_t q = r / newR;
        t = std::exchange(newT, t - q * newT);
        r = std::exchange(newR, r - q * newR);
    }
    return static_cast<uint64_t>(t < 0 ? t + static_cast<int64_t>(m) : t);
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A skewed count: most draws are small, a few are large.
int SkewedCount(uint64_t h, int base) {
    double u = Unit(h);
    if (u < 0.65) return static_cast<int>(Pick(Mix(h), 2));
    if (u < 0.85) return static_cast<int>(2 + Pick(Mix(h), 10));
    if (u < 0.97) return static_cast<int>(10 + Pick(Mix(h), 10 + base / 4));
    return static_cast<int>(200 + Pick(Mix(h), 5000 + base * 10));
}

}  // namespace

const char* Corpus::RoleScreenName(Role role) {
    return kRoles[role].screenName;
}

Corpus::Corpus(const EmulatorConfig& config, int64_t nowSeconds)
    : m_seed(Mix(config.seed)),
      m_nowMs(nowSeconds * 1000),
      m_startMs(m_nowMs - static_cast<int64_t>(std::max(1, config.corpusDays)) * kDayMs),
      m_indexStartMs(m_nowMs - static_cast<int64_t>(std::max(1, config.searchIndexDays)) * kDayMs),
      m_longTextShare(config.longTextShare),
      m_photoShare(config.photoShare),
      m_noteShare(config.noteShare),
      m_goneShare(config.goneShare) {
    BuildUsers(config);
    AssignTweetCounts(config);
    AssignFollowers();
}

uint64_t Corpus::H(uint64_t a, uint64_t b, uint64_t c) const {
    return Hash(m_seed, a, b, c);
}

void Corpus::BuildUsers(const EmulatorConfig& config) {
    int n = std::clamp(config.users, 64, kMaxUsers);
    m_users.resize(n);
    auto syllables = Vocabulary::Syllables();
    int64_t latestCreation = m_startMs / 1000 - 30 * 86400;
    for (int i = 0; i < n; ++i) {
        UserCore& u = m_users[i];
        if (i < kRoleCount) {
            u.screenName = kRoles[i].screenName;
        } else {
            uint64_t h = H(i, kName);
            int parts = 2 + static_cast<int>(Pick(h, 3));
            for (int p = 0; p < parts; ++p) u.screenName += syllables[Pick(Hash(h, p), syllables.size())];
            if (Pick(h >> 8, 3) == 0) u.screenName[0] = static_cast<char>(u.screenName[0] - 'a' + 'A');
            if (Pick(h >> 16, 2) == 0) u.screenName += '_';
            if (Pick(h >> 24, 2) == 0) u.screenName += std::to_string(Pick(h >> 32, 1000));
        }
        u.lowerName = LowerAscii(u.screenName);
        if (m_byName.count(u.lowerName)) {
            std::string suffix = std::to_string(i);
            u.screenName = u.screenName.substr(0, 15 - suffix.size()) + suffix;
            u.lowerName = LowerAscii(u.screenName);
        }
        m_byName.emplace(u.lowerName, i);

        uint64_t hc = H(i, kCreated);
        u.createdAt = kFirstAccount +
                      static_cast<int64_t>(Pick(hc, std::max<int64_t>(1, latestCreation - kFirstAccount)));
        if (u.createdAt >= kSnowflakeAccounts)
            u.id = (static_cast<uint64_t>(u.createdAt * 1000 + Pick(hc >> 7, 1000) - kServiceEpochMs) << 22) |
                   static_cast<uint64_t>(i);
        else
            u.id = 1000000ULL + static_cast<uint64_t>(i) * 500000ULL + Pick(H(i, kUserId), 500000);
        m_byId.emplace(u.id, i);

        uint64_t hf = H(i, kFlags);
        u.isProtected = i >= kRoleCount && Unit(hf) < 0.03;
        u.verified = i >= kRoleCount && Unit(Mix(hf)) < 0.02;
        u.geoEnabled = i == kDemo || Unit(Mix(hf + 3)) < 0.3;
        double lang = Unit(H(i, kLanguage));
        int others = static_cast<int>(Vocabulary::OtherLanguages().size());
        u.language = lang < 0.7 ? -1 : static_cast<int>(Pick(Mix(hf ^ 0x55), others));
    }
    m_users[kProtected].isProtected = true;
    m_users[kPopular].verified = true;
    m_users[kVerified].verified = true;
    m_users[kInternational].language = -2;
    for (int r : {kDemo, kPopular, kMidsize, kProlific, kProtected, kVerified, kSilent})
        m_users[r].language = -1;
}

void Corpus::AssignTweetCounts(const EmulatorConfig& config) {
    const int64_t spanMs = m_nowMs - m_startMs;
    int64_t total = static_cast<int64_t>(std::max(0, config.tweetsPerDay)) * std::max(1, config.corpusDays);
    std::vector<int> weight(m_users.size(), 0);
    int64_t weightSum = 0;
    for (size_t i = kRoleCount; i < m_users.size(); ++i) {
        double a = Unit(H(i, kActivity));
        weight[i] = a < 0.10 ? 0 : a < 0.40 ? 1 : a < 0.80 ? 3 : a < 0.95 ? 10 : 30;
        weightSum += weight[i];
    }
    for (int r = 0; r < kRoleCount; ++r) total -= kRoles[r].tweets;
    total = std::max<int64_t>(0, total);
    for (size_t i = 0; i < m_users.size(); ++i) {
        UserCore& u = m_users[i];
        int64_t tweets = i < kRoleCount ? kRoles[i].tweets : (weightSum ? total * weight[i] / weightSum : 0);
        // A pace of at least 2 ms between tweets keeps every id distinct and time-ordered.
        u.tweets = static_cast<int>(std::min<int64_t>(tweets, spanMs / 2));
        u.stepMs = u.tweets ? spanMs / u.tweets : spanMs;
        u.endMs = m_nowMs - 1 - static_cast<int64_t>(Pick(H(i, kEnd), u.stepMs));
    }
}

void Corpus::AssignFollowers() {
    const uint64_t others = m_users.size() - 1;
    for (size_t i = 0; i < m_users.size(); ++i) {
        UserCore& u = m_users[i];
        uint64_t h = H(i, kFollowerClass);
        double c = Unit(h);
        int followers = c < 0.40   ? static_cast<int>(Pick(Mix(h), 60))
                        : c < 0.75 ? 60 + static_cast<int>(Pick(Mix(h), 140))
                        : c < 0.93 ? 200 + static_cast<int>(Pick(Mix(h), 400))
                        : c < 0.99 ? 600 + static_cast<int>(Pick(Mix(h), 900))
                                   : 1500 + static_cast<int>(Pick(Mix(h), 2500));
        if (i < kRoleCount) followers = kRoles[i].followers;
        u.followers = static_cast<int>(std::min<uint64_t>(followers, others));
        uint64_t g = H(i, kGraph);
        u.mulA = 1 + Pick(g, others - 1);
        while (std::gcd(u.mulA, others) != 1) u.mulA = u.mulA % (others - 1) + 1;
        u.addB = Pick(Mix(g), others);
        u.invA = ModInverse(u.mulA, others);
    }
    for (size_t i = 0; i < m_users.size(); ++i)
        for (int p = 0; p < m_users[i].followers; ++p) ++m_users[FollowerAt(static_cast<int>(i), p)].friends;

    std::vector<int> order(m_users.size());
    std::iota(order.begin(), order.end(), 0);
    std::partial_sort(order.begin(), order.begin() + 40, order.end(),
                      [&](int a, int b) { return m_users[a].followers > m_users[b].followers; });
    for (int k = 0; k < 40; ++k)
        if (!m_users[order[k]].isProtected && m_users[order[k]].tweets > 0) m_celebrities.push_back(order[k]);
}

// ---- users -------------------------------------------------------------------------------------------

std::optional<int> Corpus::FindScreenName(std::string_view screenName) const {
    auto it = m_byName.find(LowerAscii(screenName));
    if (it == m_byName.end()) return std::nullopt;
    return it->second;
}

std::optional<int> Corpus::FindUserId(uint64_t id) const {
    auto it = m_byId.find(id);
    if (it == m_byId.end()) return std::nullopt;
    return it->second;
}

std::string Corpus::DisplayName(int index) const {
    if (index < kRoleCount) return kRoles[index].name;
    uint64_t h = H(index, kProfile, 1);
    auto first = Vocabulary::FirstNames();
    auto last = Vocabulary::LastNames();
    std::string name =
        std::string(first[Pick(h, first.size())]) + " " + std::string(last[Pick(h >> 20, last.size())]);
    if (Unit(Mix(h)) < 0.05) name += " \U0001F30D";
    return name;
}

Account Corpus::User(int index) const {
    const UserCore& core = m_users[index];
    Account a;
    a.index = index;
    a.id = core.id;
    a.screenName = core.screenName;
    a.name = DisplayName(index);
    uint64_t h = H(index, kProfile);
    auto locations = Vocabulary::Locations();
    a.location = Unit(h) < 0.7 ? std::string(locations[Pick(h >> 3, locations.size())]) : "";
    auto descriptions = Vocabulary::DescriptionPhrases();
    double d = Unit(Mix(h + 1));
    if (d < 0.8) a.description = TextBuilder::EscapeHtml(descriptions[Pick(h >> 9, descriptions.size())]);
    if (d < 0.1) {
        TextBuilder text;
        text.Append(a.description);
        text.Append(" ");
        a.descriptionUrls.push_back(text.AppendLink(H(index, kProfile, 2), "https://www.example.org/about/"));
        a.description = text.Text();
    }
    if (Unit(Mix(h + 2)) < 0.3) {
        TextBuilder link;
        a.url = link.AppendLink(H(index, kProfile, 3), "https://www.example.com/" + core.lowerName);
    }
    a.isProtected = core.isProtected;
    a.verified = core.verified;
    a.geoEnabled = core.geoEnabled;
    a.followers = core.followers;
    a.friends = core.friends;
    a.listed = core.followers / 25 + static_cast<int>(Pick(h >> 17, 5));
    a.favourites = SkewedCount(Mix(h + 4), core.tweets) * 3;
    a.statuses = core.tweets;
    a.createdAt = core.createdAt;
    if (index == kDemo || Unit(Mix(h + 5)) < 0.35) {
        auto zones = Vocabulary::TimeZones();
        const TimeZone& zone = zones[index == kDemo ? 3 : Pick(h >> 21, zones.size())];
        a.utcOffset = zone.offset;
        a.timeZone = zone.name;
    }
    a.hasBanner = index != kSilent && Unit(Mix(h + 6)) < 0.6;
    if (a.hasBanner)
        a.bannerUrl = "https://pbs.twimg.com/profile_banners/" + std::to_string(core.id) + "/" +
                      std::to_string(core.createdAt + 86400 + static_cast<int64_t>(Pick(h, 30000000)));
    a.defaultProfile = Unit(Mix(h + 7)) < 0.5;
    auto colors = Vocabulary::Colors();
    auto color = [&](int k, const char* fallback) {
        return a.defaultProfile ? std::string(fallback)
                                : std::string(colors[Pick(Hash(h, k), colors.size())]);
    };
    a.backgroundColor = color(1, "C0DEED");
    a.linkColor = color(2, "1DA1F2");
    a.sidebarBorderColor = color(3, "C0DEED");
    a.sidebarFillColor = color(4, "DDEEF6");
    a.textColor = color(5, "333333");
    a.useBackgroundImage = a.defaultProfile || Unit(Mix(h + 8)) < 0.5;
    if (a.defaultProfile || Unit(Mix(h + 13)) < 0.5) {
        a.backgroundTile = !a.defaultProfile && Unit(Mix(h + 14)) < 0.3;
        a.backgroundImageUrl = a.backgroundTile ? "http://abs.twimg.com/images/themes/theme18/bg.gif"
                                                : "http://abs.twimg.com/images/themes/theme1/bg.png";
    }
    if (Unit(Mix(h + 15)) < 0.1) a.translatorType = "regular";
    a.hasExtendedProfile = Unit(Mix(h + 9)) < 0.4;
    a.defaultProfileImage = index == kSilent || Unit(Mix(h + 10)) < 0.05;
    if (a.defaultProfileImage) {
        a.imageUrl = "http://abs.twimg.com/sticky/default_profile_images/default_profile_normal.png";
    } else {
        uint64_t imageId =
            ((static_cast<uint64_t>(core.createdAt) * 1000 + 86400000 - kServiceEpochMs) << 22) |
            (Mix(h + 11) & 0x3FFFFF);
        a.imageUrl = "http://pbs.twimg.com/profile_images/" + std::to_string(imageId) + "/" +
                     TextBuilder::ShortCode(Mix(h + 12), 8) + "_normal.jpg";
    }
    return a;
}

// ---- the social graph -------------------------------------------------------------------------------

int Corpus::FollowerAt(int user, int position) const {
    const UserCore& u = m_users[user];
    uint64_t others = m_users.size() - 1;
    int k = static_cast<int>((u.mulA * static_cast<uint64_t>(position) + u.addB) % others);
    return k < user ? k : k + 1;
}

bool Corpus::Follows(int follower, int user) const {
    if (follower == user) return false;
    const UserCore& u = m_users[user];
    uint64_t others = m_users.size() - 1;
    uint64_t k = static_cast<uint64_t>(follower < user ? follower : follower - 1);
    uint64_t position = ((k + others - u.addB) % others) * u.invA % others;
    return position < static_cast<uint64_t>(u.followers);
}

std::vector<int> Corpus::Followers(int user, int from, int count) const {
    std::vector<int> out;
    int end = std::min(m_users[user].followers, from + std::max(0, count));
    for (int p = std::max(0, from); p < end; ++p) out.push_back(FollowerAt(user, p));
    return out;
}

std::vector<int> Corpus::Friends(int user) const {
    std::vector<int> out;
    out.reserve(m_users[user].friends);
    for (int u = UserCount() - 1; u >= 0; --u)
        if (Follows(user, u)) out.push_back(u);
    return out;
}

// ---- tweet streams -----------------------------------------------------------------------------------

int64_t Corpus::TweetTimeMs(TweetRef ref) const {
    const UserCore& u = m_users[ref.user];
    return u.endMs - static_cast<int64_t>(ref.seq) * u.stepMs -
           static_cast<int64_t>(Pick(H(ref.user, kJitter, ref.seq), u.stepMs));
}

uint64_t Corpus::TweetId(TweetRef ref) const {
    return (static_cast<uint64_t>(TweetTimeMs(ref) - kServiceEpochMs) << 22) |
           static_cast<uint64_t>(ref.user);
}

int Corpus::Locate(int user, uint64_t maxId) const {
    const UserCore& u = m_users[user];
    if (u.tweets == 0) return 0;
    int seq = 0;
    if (maxId != UINT64_MAX) {
        int64_t t = static_cast<int64_t>(maxId >> 22) + kServiceEpochMs;
        if (t < u.endMs) seq = static_cast<int>(std::min<int64_t>((u.endMs - t) / u.stepMs - 1, u.tweets));
        seq = std::max(seq, 0);
    }
    while (seq < u.tweets && TweetId({user, seq}) > maxId) ++seq;
    return seq;
}

std::optional<TweetRef> Corpus::FindTweet(uint64_t id) const {
    int user = static_cast<int>(id & 0x3FFFFF);
    if (user >= UserCount()) return std::nullopt;
    int seq = Locate(user, id);
    if (seq >= m_users[user].tweets || TweetId({user, seq}) != id) return std::nullopt;
    return TweetRef{user, seq};
}

std::vector<TweetRef> Corpus::Timeline(int user, uint64_t sinceId, uint64_t maxId, int count) const {
    std::vector<TweetRef> out;
    int cap = std::min(m_users[user].tweets, kTimelineCap);
    for (int seq = Locate(user, maxId); seq < cap && static_cast<int>(out.size()) < count; ++seq) {
        if (TweetId({user, seq}) <= sinceId) break;
        out.push_back({user, seq});
    }
    return out;
}

std::vector<Tweet> Corpus::Search(const SearchQuery& query, const SearchOptions& options) const {
    std::vector<Tweet> out;
    if (query.Empty() || options.count <= 0) return out;
    const std::string key = query.Text() + '\x1f' + options.lang +
                            (options.popularOnly ? "\x1fpopular" : "") +
                            (options.wholeArchive ? "\x1f"
                                                    "all"
                                                  : "") +
                            (options.noRetweets ? "\x1fposts" : "");
    if (auto ids = CompleteMatches(key)) {
        auto it = std::lower_bound(ids->begin(), ids->end(), options.maxId, std::greater<uint64_t>());
        for (; it != ids->end() && *it > options.sinceId && static_cast<int>(out.size()) < options.count;
             ++it)
            out.push_back(MakeTweet(*FindTweet(*it)));
        return out;
    }
    const uint64_t lowest =
        static_cast<uint64_t>((options.wholeArchive ? m_startMs : m_indexStartMs) - kServiceEpochMs) << 22;
    auto admissible = [&](uint64_t id) { return id > options.sinceId && id >= lowest; };

    struct Head {
        uint64_t id;
        int user;
        int seq;
        bool operator<(const Head& other) const { return id < other.id; }
    };
    std::vector<Head> first;
    auto enter = [&](int user) {
        if (m_users[user].isProtected || m_users[user].tweets == 0) return;
        int seq = Locate(user, options.maxId);
        if (seq >= m_users[user].tweets) return;
        uint64_t id = TweetId({user, seq});
        if (admissible(id)) first.push_back({id, user, seq});
    };
    if (!query.RequiredAuthor().empty()) {
        if (auto user = FindScreenName(query.RequiredAuthor())) enter(*user);
    } else {
        first.reserve(m_users.size());
        for (int user = 0; user < UserCount(); ++user) enter(user);
    }
    // Each user's stream is already newest first; a heap of the streams' heads merges them.
    std::priority_queue<Head> heads(std::less<Head>(), std::move(first));

    while (!heads.empty() && static_cast<int>(out.size()) < options.count) {
        Head head = heads.top();
        heads.pop();
        Tweet tweet = MakeTweet({head.user, head.seq});
        bool wanted = (options.lang.empty() || tweet.lang == options.lang) &&
                      !(options.noRetweets && tweet.IsRetweet()) &&
                      (!options.popularOnly || (!tweet.IsRetweet() && tweet.favoriteCount >= 500)) &&
                      query.Matches(tweet.text, m_users[head.user].lowerName, tweet.lang, tweet.IsRetweet());
        if (wanted) out.push_back(std::move(tweet));
        if (head.seq + 1 < m_users[head.user].tweets) {
            uint64_t id = TweetId({head.user, head.seq + 1});
            if (admissible(id)) heads.push({id, head.user, head.seq + 1});
        }
    }
    bool wholeIndex = heads.empty() && options.maxId == UINT64_MAX && options.sinceId == 0;
    if (wholeIndex) KeepCompleteMatches(key, out);
    return out;
}

std::optional<std::vector<uint64_t>> Corpus::CompleteMatches(const std::string& key) const {
    std::lock_guard lock(m_completeMutex);
    for (const CompleteSearch& search : m_complete)
        if (search.key == key) return search.ids;
    return std::nullopt;
}

void Corpus::KeepCompleteMatches(const std::string& key, const std::vector<Tweet>& tweets) const {
    CompleteSearch search{key, {}};
    search.ids.reserve(tweets.size());
    for (const Tweet& t : tweets) search.ids.push_back(t.id);
    std::lock_guard lock(m_completeMutex);
    m_complete.push_front(std::move(search));
    if (m_complete.size() > 16) m_complete.pop_back();
}

// ---- tweets ------------------------------------------------------------------------------------------

bool Corpus::IsPlainKind(TweetRef ref) const {
    return Unit(H(ref.user, kKind, ref.seq)) >= 0.22;
}

int Corpus::PickReferencedUser(uint64_t hash, int except) const {
    for (int attempt = 0; attempt < 4; ++attempt) {
        uint64_t h = Hash(hash, attempt);
        int user = (Unit(h) < 0.5 && !m_celebrities.empty())
                       ? m_celebrities[Pick(h >> 3, m_celebrities.size())]
                       : static_cast<int>(Pick(h >> 5, m_users.size()));
        if (user != except && !m_users[user].isProtected) return user;
    }
    return -1;
}

TweetRef Corpus::PickEarlierTweet(uint64_t hash, int except, int64_t beforeMs) const {
    int user = PickReferencedUser(hash, except);
    if (user < 0 || m_users[user].tweets == 0) return {};
    // Mostly minutes to hours before, now and then days before.
    double u = Unit(Mix(hash));
    int64_t delay = 60000 + static_cast<int64_t>(u * u * u * 3 * kDayMs);
    int64_t before = beforeMs - delay;
    if (before <= kServiceEpochMs) return {};
    uint64_t maxId = (static_cast<uint64_t>(before - kServiceEpochMs) << 22) | 0x3FFFFF;
    int seq = Locate(user, maxId);
    if (seq >= m_users[user].tweets) return {};
    return {user, seq};
}

Tweet Corpus::MakeTweet(TweetRef ref) const {
    Tweet t;
    t.ref = ref;
    t.timeMs = TweetTimeMs(ref);
    t.id = (static_cast<uint64_t>(t.timeMs - kServiceEpochMs) << 22) | static_cast<uint64_t>(ref.user);
    const int clients = static_cast<int>(Vocabulary::Clients().size());
    uint64_t hc = H(ref.user, kClient, ref.seq);
    int preferred =
        ref.user == kProlific ? clients - 1 : static_cast<int>(Pick(H(ref.user, kClient), clients - 1));
    t.source = Unit(hc) < 0.85 ? preferred : static_cast<int>(Pick(hc >> 8, clients - 1));

    double kind = Unit(H(ref.user, kKind, ref.seq));
    if (ref.user == kProlific) kind = 0.5;  // the bot only ever writes plain tweets
    if (kind < 0.18) {
        TweetRef original = PickEarlierTweet(H(ref.user, kOriginal, ref.seq), ref.user, t.timeMs);
        if (original.Valid() && IsPlainKind(original)) {
            Tweet o = MakeTweet(original);
            TextBuilder text;
            text.Append("RT ");
            t.mentions.push_back(text.AppendMention(original.user, "@" + m_users[original.user].screenName));
            text.Append(": ");
            int shift = text.Length();
            text.Append(o.text);
            for (auto m : o.mentions) t.mentions.push_back({m.user, m.start + shift, m.end + shift});
            for (auto h : o.hashtags) t.hashtags.push_back({h.text, h.start + shift, h.end + shift});
            for (auto u : o.urls)
                t.urls.push_back({u.url, u.expanded, u.display, u.start + shift, u.end + shift});
            if (o.HasPhotos()) {
                t.photoCount = o.photoCount;
                t.photoSource = original;
                t.photoLink = o.photoLink;
                t.photoLink.start += shift;
                t.photoLink.end += shift;
            }
            t.text = text.Text();
            t.length = t.displayEnd = text.Length();
            TextCutter::CutRetweet(t);
            t.lang = o.lang;
            t.retweetOf = original;
            t.retweetCount = o.retweetCount;
            return t;
        }
    } else if (kind < 0.22) {
        TweetRef quoted = PickEarlierTweet(H(ref.user, kOriginal, ref.seq), ref.user, t.timeMs);
        if (quoted.Valid() && IsPlainKind(quoted)) t.quoteOf = quoted;
    } else if (kind < 0.30) {
        uint64_t hr = H(ref.user, kReply, ref.seq);
        TweetRef target = PickEarlierTweet(hr, ref.user, t.timeMs);
        if (target.Valid()) {
            t.replyTo = target;
            t.replyToUser = target.user;
        }
    }
    WriteText(t, H(ref.user, kText, ref.seq));

    uint64_t hg = H(ref.user, kGeo, ref.seq);
    if (m_users[ref.user].geoEnabled && Unit(hg) < 0.15) {
        auto places = Vocabulary::Places();
        t.place = static_cast<int>(Pick(hg >> 4, places.size()));
        const Place& p = places[t.place];
        // Six decimals, like a phone's fix; kept inside the place's box.
        t.latitude = std::round((p.south + (p.north - p.south) * Unit(Mix(hg))) * 1e6) / 1e6;
        t.longitude = std::round((p.west + (p.east - p.west) * Unit(Mix(hg + 1))) * 1e6) / 1e6;
    }
    uint64_t hp = H(ref.user, kCounts, ref.seq);
    int reach = m_users[ref.user].followers;
    t.retweetCount = SkewedCount(hp, reach);
    t.favoriteCount = t.retweetCount * 2 + static_cast<int>(Pick(hp >> 40, 3 + reach / 50));
    return t;
}

void Corpus::WriteText(Tweet& t, uint64_t h) const {
    TextBuilder text;
    const UserCore& author = m_users[t.ref.user];
    int mentionUser = -1;
    if (t.replyToUser >= 0) {
        t.mentions.push_back(text.AppendMention(t.replyToUser, "@" + m_users[t.replyToUser].screenName));
        text.Append(" ");
    }
    int language = author.language;
    if (language == -2)
        language = static_cast<int>(Pick(h >> 50, 5));  // Greek, Russian, Arabic, Hebrew, Thai
    double birthday = Unit(Hash(h, 7));
    // What follows the body is chosen first, so that the body can leave room for it. Most originals stay
    // short enough that "RT @name: " and the original still fit in 140 characters; long ones run to 280.
    int tagCount = Unit(Hash(h, 13)) < 0.25 ? (Unit(Hash(h, 14)) < 0.2 ? 2 : 1) : 0;
    bool link = t.quoteOf.Valid() || Unit(Hash(h, 21)) < 0.2;
    bool withEmoji = Unit(Hash(h, 25)) < 0.12;
    const bool ordinary = t.ref.user != kProlific;  // the bot writes short texts without photos
    // Drawn apart from the long texts, so that a corpus with notes keeps every other text as it was.
    const bool note = ordinary && Unit(Hash(h, 32)) < m_noteShare;
    const bool longText = note || (ordinary && Unit(Hash(h, 28)) < m_longTextShare);
    const bool photos = ordinary && !t.quoteOf.Valid() && Unit(Hash(h, 27)) < m_photoShare;
    const int room = note       ? kLongestText + 40 + static_cast<int>(Pick(Hash(h, 33), kLongestNote - 320))
                     : longText ? 150 + static_cast<int>(Pick(Hash(h, 29), kLongestText - 149))
                                : kOriginalLength;
    const int budget = room - tagCount * 19 - (link ? 24 : 0) - (withEmoji ? 3 : 0) - (photos ? 24 : 0);
    if (t.ref.user == kProlific) {
        auto words = Vocabulary::EnglishWords();
        text.Append("High tide at ");
        text.Append(std::to_string(Pick(h, 24)) + ":" + std::to_string(10 + Pick(h >> 8, 50)));
        text.Append(", " + std::to_string(1 + Pick(h >> 16, 6)) + "." + std::to_string(Pick(h >> 20, 10)) +
                    "m. ");
        text.Append(words[Pick(h >> 24, words.size())]);
        if (Unit(Hash(h, 1)) < 0.3) text.Append(" &amp; " + std::string(words[Pick(h >> 30, words.size())]));
        t.lang = "en";
    } else if (birthday < 0.015) {
        mentionUser = PickReferencedUser(Hash(h, 8), t.ref.user);
        if (mentionUser >= 0) {
            text.Append("Happy birthday ");
            t.mentions.push_back(text.AppendMention(mentionUser, "@" + m_users[mentionUser].screenName));
            text.Append("! \U0001F382\U0001F389 Have a great day");
        } else {
            text.Append("It's my birthday today \U0001F382");
        }
        t.lang = "en";
    } else if (birthday < 0.025) {
        auto emoji = Vocabulary::Emoji();
        text.Append(emoji[Pick(h, emoji.size())]);
        text.Append(emoji[Pick(h >> 8, emoji.size())]);
        t.lang = "und";
    } else if (language >= 0) {
        const LanguagePhrases& lang = Vocabulary::OtherLanguages()[language];
        text.Append(lang.phrases[Pick(h, lang.phrases.size())]);
        if (Unit(Hash(h, 2)) < 0.4) {
            text.Append(". ");
            text.Append(lang.phrases[Pick(h >> 16, lang.phrases.size())]);
        }
        for (int k = 0; longText && k < 12; ++k) {
            std::string_view more = lang.phrases[Pick(Hash(h, 40 + k), lang.phrases.size())];
            if (text.Length() + 2 + TextBuilder::ShownLength(more) > budget) break;
            text.Append(". ");
            text.Append(more);
        }
        t.lang = std::string(lang.code);
    } else {
        auto words = Vocabulary::EnglishWords();
        int n = longText ? budget / 5 : 4 + static_cast<int>(Pick(h, 9));
        std::vector<std::string_view> chosen;
        chosen.reserve(n + 3);
        for (int k = 0; k < n; ++k) {
            double u = Unit(Hash(h, 100 + k));
            chosen.push_back(words[static_cast<size_t>(u * u * words.size())]);
        }
        auto insert = [&](std::string_view word, uint64_t where) {
            chosen.insert(chosen.begin() + static_cast<long>(Pick(where, chosen.size() + 1)), word);
        };
        if (Unit(Hash(h, 3)) < 0.2) insert(Vocabulary::kCommonWord, Hash(h, 4));
        if (Unit(Hash(h, 5)) < 0.0005) insert(Vocabulary::kRareWord, Hash(h, 6));
        auto awkward = Vocabulary::AwkwardFragments();
        if (Unit(Hash(h, 9)) < 0.06) insert(awkward[Pick(Hash(h, 10), awkward.size())], Hash(h, 11));
        bool newline = Unit(Hash(h, 12)) < 0.01;
        for (size_t k = 0; k < chosen.size() && text.Length() + 2 <= budget; ++k) {
            if (k && text.Length() + 1 + TextBuilder::ShownLength(chosen[k]) > budget) continue;
            if (k) text.Append(newline && k == chosen.size() / 2 ? "\n" : " ");
            text.Append(chosen[k]);
        }
        t.lang = "en";
    }
    if (tagCount > 0) {
        auto tags = Vocabulary::Hashtags();
        for (int k = 0; k < tagCount; ++k) {
            text.Append(" ");
            std::string_view tag = tags[Pick(Hash(h, 15 + k), tags.size())];
            t.hashtags.push_back(text.AppendHashtag(tag));
        }
    }
    if (link && !t.quoteOf.Valid()) {
        auto sites = Vocabulary::LinkSites();
        text.Append(" ");
        std::string target =
            std::string(sites[Pick(Hash(h, 22), sites.size())]) + std::to_string(Pick(Hash(h, 23), 99999999));
        t.urls.push_back(text.AppendLink(Hash(h, 24), target));
    }
    if (withEmoji && t.lang != "und") {
        auto emoji = Vocabulary::Emoji();
        text.Append(" ");
        text.Append(emoji[Pick(Hash(h, 26), emoji.size())]);
    }
    // Links to a quoted tweet and to photos come last, outside the text's shown part.
    t.displayStart = t.replyToUser >= 0 ? t.mentions.front().end + 1 : 0;
    t.displayEnd = text.Length();
    if (t.quoteOf.Valid()) {
        text.Append(" ");
        std::string target = "https://twitter.com/" + m_users[t.quoteOf.user].screenName + "/status/" +
                             std::to_string(TweetId(t.quoteOf));
        t.quoteLink = text.AppendLink(Hash(h, 20), target);
        t.urls.push_back(t.quoteLink);
    }
    if (photos) {
        double u = Unit(Hash(h, 30));  // Hash(h, 27) decided that there are photos
        t.photoCount = u < 0.7 ? 1 : u < 0.82 ? 2 : u < 0.9 ? 3 : 4;
        t.photoSource = t.ref;
        text.Append(" ");
        t.photoLink = text.AppendLink(Hash(h, 31), "");
    }
    t.text = text.Text();
    t.length = text.Length();
}

bool Corpus::IsGone(TweetRef ref) const {
    return ref.Valid() && Unit(H(ref.user, kGone, ref.seq)) < m_goneShare;
}

std::vector<Photo> Corpus::Photos(const Tweet& t) const {
    // Sizes of the largest form, as cameras, phones and screenshots make them.
    static constexpr int kSizes[][2] = {{2048, 1536}, {1536, 2048}, {1080, 1350}, {1200, 675},
                                        {900, 900},   {640, 480},   {1242, 2208}};
    std::vector<Photo> photos;
    if (!t.HasPhotos()) return photos;
    const TweetRef source = t.photoSource;
    uint64_t h = H(source.user, kPhotos, source.seq);
    // Uploaded a little before the tweet that carries them, so their ids are a little smaller.
    int64_t uploadedMs = TweetTimeMs(source) - 1000 - static_cast<int64_t>(Pick(h, 120000));
    for (int k = 0; k < t.photoCount; ++k) {
        Photo p;
        p.id =
            (static_cast<uint64_t>(uploadedMs + k - kServiceEpochMs) << 22) | Pick(Hash(h, 10 + k), 1 << 22);
        const auto& size = kSizes[Pick(Hash(h, 30 + k), std::size(kSizes))];
        p.width = size[0];
        p.height = size[1];
        photos.push_back(p);
    }
    return photos;
}

// ---- expectations ------------------------------------------------------------------------------------

std::vector<std::string> Corpus::SearchIds(std::string_view q, const std::string& lang) const {
    SearchOptions options;
    options.lang = lang;
    options.count = INT_MAX;
    std::vector<std::string> ids;
    for (const Tweet& t : Search(SearchQuery(q), options)) ids.push_back(std::to_string(t.id));
    return ids;
}

std::vector<std::string> Corpus::TimelineIds(std::string_view screenName) const {
    std::vector<std::string> ids;
    if (auto user = FindScreenName(screenName))
        for (TweetRef ref : Timeline(*user, 0, UINT64_MAX, kTimelineCap))
            ids.push_back(std::to_string(TweetId(ref)));
    return ids;
}

std::vector<std::string> Corpus::FollowerIds(std::string_view screenName) const {
    std::vector<std::string> ids;
    if (auto user = FindScreenName(screenName))
        for (int f : Followers(*user, 0, FollowerCount(*user))) ids.push_back(std::to_string(UserId(f)));
    return ids;
}

std::vector<std::string> Corpus::FriendIds(std::string_view screenName) const {
    std::vector<std::string> ids;
    if (auto user = FindScreenName(screenName))
        for (int f : Friends(*user)) ids.push_back(std::to_string(UserId(f)));
    return ids;
}

std::string Corpus::UserIdText(std::string_view screenName) const {
    auto user = FindScreenName(screenName);
    return user ? std::to_string(UserId(*user)) : "";
}

}  // namespace marlin::emulator
