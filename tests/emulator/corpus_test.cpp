#include "emulator/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "emulator/json_writer.h"
#include "emulator/renderer.h"
#include "emulator/search_query.h"
#include "emulator/text_builder.h"
#include "emulator/text_cutter.h"
#include "emulator/vocabulary.h"
#include "emulator_client.h"

namespace marlin::emulator {
namespace {

using testing::SmallConfig;

std::string Unescape(std::string text) {
    for (auto [from, to] : {std::pair{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}})
        for (size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, std::string(from).size(), to);
    return text;
}

// The code points [start, end) of a tweet text as its reader sees it (entity indices count "&amp;" as
// one character, as the service's did).
std::string CodePointSlice(const std::string& escaped, int start, int end) {
    std::string text = Unescape(escaped);
    std::string out;
    int index = -1;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++index;
        if (index >= start && index < end) out += c;
    }
    return out;
}

bool HasCodePointIn(const std::string& text, unsigned low, unsigned high) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        unsigned cp = extra ? c & (0x3F >> extra) : c;
        for (int k = 1; k <= extra && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        if (cp >= low && cp <= high) return true;
        i += extra + 1;
    }
    return false;
}

class CorpusTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { s_corpus = new Corpus(SmallConfig(), SmallConfig().now); }
    static void TearDownTestSuite() { delete s_corpus; }
    static const Corpus& C() { return *s_corpus; }
    static int Role(Corpus::Role role) { return *C().FindScreenName(Corpus::RoleScreenName(role)); }

    // The newest tweets of every user: a sample of every kind of tweet the corpus writes.
    static std::vector<Tweet> Sample() {
        std::vector<Tweet> tweets;
        for (int u = 0; u < C().UserCount(); ++u)
            for (int seq = 0; seq < std::min(C().TweetCount(u), 12); ++seq)
                tweets.push_back(C().MakeTweet({u, seq}));
        return tweets;
    }

    static Corpus* s_corpus;
};
Corpus* CorpusTest::s_corpus = nullptr;

std::string TweetJson(const Corpus& corpus, TweetRef ref) {
    std::string out;
    JsonWriter json(out);
    Renderer(corpus).WriteTweet(json, corpus.MakeTweet(ref), Renderer::TweetStyle::Timeline);
    return out;
}

TEST_F(CorpusTest, TheSameSeedGivesTheSameCorpusAndAnotherSeedAnother) {
    Corpus same(SmallConfig(), SmallConfig().now);
    EmulatorConfig other = SmallConfig();
    other.seed = 8;
    Corpus different(other, other.now);
    int demo = Role(Corpus::kDemo);
    EXPECT_EQ(TweetJson(same, {demo, 5}), TweetJson(C(), {demo, 5}));
    EXPECT_EQ(same.FollowerIds("city_library"), C().FollowerIds("city_library"));
    EXPECT_NE(TweetJson(different, {demo, 5}), TweetJson(C(), {demo, 5}));
}

TEST_F(CorpusTest, IdsAreTimeOrderedAndLeadBackToTheirTweet) {
    int demo = Role(Corpus::kDemo);
    uint64_t previous = UINT64_MAX;
    for (int seq = 0; seq < C().TweetCount(demo); ++seq) {
        uint64_t id = C().TweetId({demo, seq});
        ASSERT_LT(id, previous);
        previous = id;
        auto found = C().FindTweet(id);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, (TweetRef{demo, seq}));
        EXPECT_LT(C().TweetTimeMs({demo, seq}), C().NowMs());
    }
    EXPECT_FALSE(C().FindTweet(C().TweetId({demo, 0}) + (1ULL << 22)).has_value());
    EXPECT_FALSE(C().FindTweet(12345).has_value());
}

TEST_F(CorpusTest, KnownUsersHaveThePromisedProperties) {
    EXPECT_GT(C().FollowerCount(Role(Corpus::kPopular)), 5000);
    int midsize = C().FollowerCount(Role(Corpus::kMidsize));
    EXPECT_GT(midsize, 200);
    EXPECT_LT(midsize, 1000);
    EXPECT_GT(C().TweetCount(Role(Corpus::kProlific)), Corpus::kTimelineCap);
    EXPECT_TRUE(C().IsProtected(Role(Corpus::kProtected)));
    EXPECT_TRUE(C().User(Role(Corpus::kVerified)).verified);
    EXPECT_EQ(C().TweetCount(Role(Corpus::kSilent)), 0);
    EXPECT_EQ(C().FollowerCount(Role(Corpus::kSilent)), 0);
    EXPECT_GT(C().TweetCount(Role(Corpus::kDemo)), 200);
    std::set<std::string> langs;
    int polyglot = Role(Corpus::kInternational);
    for (int seq = 0; seq < C().TweetCount(polyglot); ++seq)
        langs.insert(C().MakeTweet({polyglot, seq}).lang);
    for (const char* lang : {"el", "ru", "ar", "he", "th"}) EXPECT_TRUE(langs.count(lang)) << lang;
}

TEST_F(CorpusTest, ScreenNamesAndIdsAreUniqueAndFoundIgnoringCase) {
    std::set<uint64_t> ids;
    for (int u = 0; u < C().UserCount(); ++u) {
        ASSERT_TRUE(ids.insert(C().UserId(u)).second);
        std::string upper = C().ScreenName(u);
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        ASSERT_EQ(C().FindScreenName(upper), u);
        ASSERT_EQ(C().FindUserId(C().UserId(u)), u);
        ASSERT_LE(C().ScreenName(u).size(), 15u);
    }
}

TEST_F(CorpusTest, TimelinesStopAtTheCapAndHonourTheIdBounds) {
    auto ids = C().TimelineIds(Corpus::RoleScreenName(Corpus::kProlific));
    EXPECT_EQ(ids.size(), static_cast<size_t>(Corpus::kTimelineCap));
    int demo = Role(Corpus::kDemo);
    uint64_t maxId = C().TweetId({demo, 10});
    uint64_t sinceId = C().TweetId({demo, 20});
    auto page = C().Timeline(demo, sinceId, maxId, 100);
    ASSERT_EQ(page.size(), 10u);  // 10..19: max_id is inclusive, since_id exclusive
    EXPECT_EQ(page.front().seq, 10);
    EXPECT_EQ(page.back().seq, 19);
    // A max_id between two tweets starts at the older one.
    EXPECT_EQ(C().Timeline(demo, 0, C().TweetId({demo, 3}) - 1, 1).front().seq, 4);
}

TEST_F(CorpusTest, FollowersAndFriendsDescribeOneGraph) {
    int library = Role(Corpus::kMidsize);
    auto followers = C().Followers(library, 0, C().FollowerCount(library));
    std::set<int> distinct(followers.begin(), followers.end());
    EXPECT_EQ(distinct.size(), followers.size());
    EXPECT_FALSE(distinct.count(library));
    for (int f : followers) {
        EXPECT_TRUE(C().Follows(f, library));
        auto friends = C().Friends(f);
        EXPECT_TRUE(std::find(friends.begin(), friends.end(), library) != friends.end());
        EXPECT_EQ(static_cast<int>(friends.size()), C().FriendCount(f));
    }
    int outsiders = 0;
    for (int u = 0; u < C().UserCount(); ++u) outsiders += !distinct.count(u) && C().Follows(u, library);
    EXPECT_EQ(outsiders, 0);
}

TEST_F(CorpusTest, TweetsCarryEveryContentFeatureWithConsistentEntities) {
    int retweets = 0, quotes = 0, replies = 0, geo = 0, amp = 0, braces = 0, quotesInText = 0, emoji = 0,
        birthday = 0, longTexts = 0, cutRetweets = 0, photos = 0, originals = 0;
    std::set<std::string> scripts;
    const std::vector<Tweet> sample = Sample();
    for (const Tweet& t : sample) {
        if (t.IsRetweet()) {
            ++retweets;
            Tweet original = C().MakeTweet(t.retweetOf);
            std::string whole = "RT @" + C().ScreenName(t.retweetOf.user) + ": " + original.text;
            // Cut at 140 characters, the last of them an ellipsis.
            if (TextBuilder::ShownLength(whole) > 140) {
                ++cutRetweets;
                whole = whole.substr(0, TextBuilder::ShownOffsets(whole)[139]) + "\u2026";
            }
            EXPECT_EQ(t.text, whole);
            EXPECT_FALSE(original.IsRetweet());
            EXPECT_LT(original.id, t.id);
        } else {
            ++originals;
            longTexts += t.length > 140;
        }
        if (t.IsQuote()) {
            ++quotes;
            EXPECT_EQ(t.quoteLink.expanded, "https://twitter.com/" + C().ScreenName(t.quoteOf.user) +
                                                "/status/" + std::to_string(C().TweetId(t.quoteOf)));
            EXPECT_EQ(t.text.substr(t.text.size() - t.quoteLink.url.size()), t.quoteLink.url);  // last
        }
        // A retweet cut short loses the photos whose link it cut away.
        photos += t.HasPhotos();
        if (t.HasPhotos()) {
            EXPECT_EQ(CodePointSlice(t.text, t.photoLink.start, t.photoLink.end), t.photoLink.url);
        }
        // What a client shows leaves out the trailing links to a quoted tweet and to photos.
        EXPECT_EQ(t.displayEnd < t.length, t.IsQuote() || (t.HasPhotos() && !t.IsRetweet())) << t.text;
        if (t.replyToUser >= 0) ++replies;
        if (t.place >= 0) {
            ++geo;
            const Place& p = Vocabulary::Places()[t.place];
            EXPECT_TRUE(t.latitude >= p.south && t.latitude <= p.north && t.longitude >= p.west &&
                        t.longitude <= p.east);
        }
        amp += t.text.find("&amp;") != std::string::npos;
        braces += t.text.find('{') != std::string::npos;
        quotesInText += t.text.find('"') != std::string::npos;
        emoji += HasCodePointIn(t.text, 0x10000, 0x10FFFF);
        birthday += t.text.find("birthday") != std::string::npos;
        if (HasCodePointIn(t.text, 0x370, 0x3FF)) scripts.insert("Greek");
        if (HasCodePointIn(t.text, 0x400, 0x4FF)) scripts.insert("Cyrillic");
        if (HasCodePointIn(t.text, 0x600, 0x6FF)) scripts.insert("Arabic");
        if (HasCodePointIn(t.text, 0x590, 0x5FF)) scripts.insert("Hebrew");
        if (HasCodePointIn(t.text, 0xE00, 0xE7F)) scripts.insert("Thai");
        EXPECT_LE(t.length, t.IsRetweet() ? 140 : 1000) << t.text;
        EXPECT_EQ(t.length, TextBuilder::CodePoints(Unescape(t.text)));
        for (const auto& h : t.hashtags) EXPECT_EQ(CodePointSlice(t.text, h.start, h.end), "#" + h.text);
        for (const auto& m : t.mentions)
            EXPECT_EQ(CodePointSlice(t.text, m.start, m.end), "@" + C().ScreenName(m.user)) << t.text;
        for (const auto& u : t.urls) EXPECT_EQ(CodePointSlice(t.text, u.start, u.end), u.url);
    }
    for (int count :
         {retweets, quotes, replies, geo, amp, braces, quotesInText, emoji, birthday, cutRetweets})
        EXPECT_GT(count, 0);
    // The configured shares, give or take what a sample allows.
    EXPECT_NEAR(static_cast<double>(longTexts) / originals, SmallConfig().longTextShare, 0.04);
    EXPECT_NEAR(static_cast<double>(photos) / sample.size(), SmallConfig().photoShare, 0.05);
    EXPECT_EQ(scripts.size(), 5u);
}

// The cases a corpus text rarely meets: no blank to cut at, an entity or an escape across the cut.
TEST(TextCutterTest, ALongTextIsCutBeforeAWordOrEntityItWouldSplit) {
    struct Case {
        const char* what;
        std::string before;  // plain text, then a hashtag ('#...') or a link, then 60 letters
        std::string entity;
        std::string kept;  // what precedes the ellipsis
    };
    const std::string x(200, 'x'), words = "one two three four five six seven eight nine ten";
    const Case cases[] = {
        {"a tag across the cut goes with its word", words + " " + x.substr(0, 50) + " ", "#AVeryLongHashtag",
         words + " " + x.substr(0, 50)},
        {"a text without blanks is cut at the limit", x, "", x.substr(0, 115)},
        {"...or before a link it would split", x.substr(0, 100), "https://example.org/a", x.substr(0, 100)},
        {"an escaped ampersand is one character", x.substr(0, 114) + "&amp;" + x, "",
         x.substr(0, 114) + "&amp;"},
    };
    for (const Case& c : cases) {
        Tweet whole;
        whole.id = 1234567890123456789ULL;
        TextBuilder text;
        text.Append(c.before);
        if (c.entity.starts_with("#")) whole.hashtags.push_back(text.AppendHashtag(c.entity.substr(1)));
        if (c.entity.starts_with("http")) whole.urls.push_back(text.AppendLink(7, c.entity));
        text.Append(x.substr(0, 60));
        whole.text = text.Text();
        whole.length = whole.displayEnd = text.Length();
        Tweet shown = TextCutter::Compatible(whole);
        ASSERT_TRUE(shown.truncated) << c.what;
        ASSERT_EQ(shown.hashtags.size() + shown.urls.size(), 1u) << c.what;  // the link to the whole only
        EXPECT_EQ(shown.text, c.kept + "\u2026 " + shown.urls[0].url) << c.what;
        EXPECT_EQ(shown.urls[0].expanded, "https://twitter.com/i/web/status/1234567890123456789");
        EXPECT_EQ(shown.urls[0].end, shown.length);
        EXPECT_LE(shown.length, 140);
    }
}

TEST_F(CorpusTest, ProfilesVaryInBannersZonesAndProtection) {
    int banners = 0, zones = 0, isProtected = 0;
    for (int u = 0; u < 400; ++u) {
        Account a = C().User(u);
        banners += a.hasBanner;
        zones += a.utcOffset.has_value();
        isProtected += a.isProtected;
        EXPECT_EQ(a.utcOffset.has_value(), !a.timeZone.empty());
        EXPECT_EQ(a.statuses, C().TweetCount(u));
        EXPECT_LT(a.createdAt * 1000, C().NowMs());
    }
    EXPECT_GT(banners, 0);
    EXPECT_LT(banners, 400);
    EXPECT_GT(zones, 0);
    EXPECT_LT(zones, 400);
    EXPECT_GT(isProtected, 0);
}

TEST_F(CorpusTest, SearchSeesOnlyTheIndexDaysNewestFirstWithoutProtectedAuthors) {
    SearchOptions options;
    options.count = 100000;
    auto tweets = C().Search(SearchQuery(Vocabulary::kCommonWord), options);
    ASSERT_GT(tweets.size(), 300u);
    int64_t indexStart = C().NowMs() - 7LL * 86400000;
    for (size_t k = 0; k < tweets.size(); ++k) {
        if (k) {
            ASSERT_LT(tweets[k].id, tweets[k - 1].id);
        }
        ASSERT_GE(tweets[k].timeMs, indexStart);
        ASSERT_FALSE(C().IsProtected(tweets[k].ref.user));
    }
    options.lang = "el";
    EXPECT_TRUE(C().Search(SearchQuery(Vocabulary::kCommonWord), options).empty());
    EXPECT_TRUE(C().SearchIds(Vocabulary::kAbsentWord).empty());
    EXPECT_FALSE(C().SearchIds(Vocabulary::kRareWord).empty());
}

TEST_F(CorpusTest, ASearchAnsweredFromEarlierWorkPagesLikeAFreshOne) {
    // The first search runs through the whole index; later ones reuse what it found.
    Corpus fresh(SmallConfig(), SmallConfig().now);
    const std::string word = "marlin twitter";
    std::vector<std::string> all = fresh.SearchIds(word);
    ASSERT_GT(all.size(), 6u);
    EXPECT_EQ(fresh.SearchIds(word), all);
    SearchOptions options;
    options.count = 3;
    options.maxId = std::stoull(all[1]);
    options.sinceId = std::stoull(all[5]);
    auto page = fresh.Search(SearchQuery(word), options);
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(std::to_string(page[0].id), all[1]);
    EXPECT_EQ(std::to_string(page[2].id), all[3]);
    options.count = 10;
    EXPECT_EQ(fresh.Search(SearchQuery(word), options).size(), 4u);  // all[1] to all[4]
    options.lang = "el";
    EXPECT_TRUE(fresh.Search(SearchQuery(word), options).empty());
}

}  // namespace
}  // namespace marlin::emulator
