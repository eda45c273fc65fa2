// Hand-made answers of the second service through the translator into the record sets: facets read at
// UTF-8 byte offsets, a post and a repost as Tweets rows, profiles as user records; the stored session.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <set>

#include "core/bsky_post_id.h"
#include "core/tweet_set.h"
#include "core/user_set.h"
#include "service/bsky_session_file.h"
#include "service/bsky_translator.h"
#include "test_support.h"

namespace marlin {
namespace {

int64_t FixedNow() {
    return *BskyPostId::ParseIso("2026-12-09T12:00:00Z");
}

// A post view; `facets` is the record's facets array.
std::string Post(const std::string& text, const std::string& facets,
                 const std::string& createdAt = "2026-12-09T08:28:09.120Z") {
    return R"({"uri":"at://did:plc:abc/app.bsky.feed.post/3lbxq2aaaaa2k","cid":"bafyrei","author":{"did":"did:plc:abc","handle":"ana.bsky.social","displayName":"Ana 🌍"},"record":{"$type":"app.bsky.feed.post","createdAt":")" +
           createdAt + R"(","langs":["pt"],"text":)" + text + R"(,"facets":)" + facets +
           R"(},"replyCount":1,"repostCount":7,"likeCount":9,"indexedAt":"2026-12-09T08:28:10.000Z"})";
}

std::string Facet(int start, int end, const std::string& feature) {
    return R"({"index":{"byteStart":)" + std::to_string(start) + R"(,"byteEnd":)" + std::to_string(end) +
           R"(},"features":[)" + feature + "]}";
}

// A facets array of the given facets (built in steps: GCC 12 warns of a false overlap otherwise).
std::string Facets(std::initializer_list<std::string> facets) {
    std::string array(1, '[');
    for (const std::string& facet : facets) {
        if (array.size() > 1) array += ',';
        array += facet;
    }
    return array += ']';
}

TEST(BskyTranslatorTest, FacetsAreReadAtTheirByteOffsets) {
    const std::string mention = R"({"$type":"app.bsky.richtext.facet#mention","did":"did:plc:bob"})";
    struct Case {
        const char* name;
        std::string text;  // JSON
        std::string facets;
        BskyTranslator::Facets expected;
    };
    // "olá 🎉 @bob.bsky.social": "olá " is 5 bytes and the emoji 4, so the mention starts at byte 10.
    const Case cases[] = {
        {"multi-byte characters before a mention",
         R"("olá 🎉 @bob.bsky.social")",
         Facets({Facet(10, 26, mention)}),
         {{}, {"@bob.bsky.social"}, {}}},
        {"the same text escaped",
         R"("ol\u00e1 \ud83c\udf89 @bob.bsky.social")",
         Facets({Facet(10, 26, mention)}),
         {{}, {"@bob.bsky.social"}, {}}},
        {"a tag and a link after Greek",
         R"("γειά #Data example.org/x…")",
         Facets({Facet(9, 14, R"({"$type":"app.bsky.richtext.facet#tag","tag":"Data"})"),
                 Facet(15, 31,
                       R"({"$type":"app.bsky.richtext.facet#link","uri":"https://example.org/x/long"})")}),
         {{"#Data"}, {}, {"https://example.org/x/long"}}},
        {"a range past the text keeps the DID",
         R"("hi")",
         Facets({Facet(3, 20, mention)}),
         {{}, {"@did:plc:bob"}, {}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BskyTranslator translator(FixedNow);
        ASSERT_TRUE(translator.PostPage(R"({"posts":[)" + Post(c.text, c.facets) + "]}", true));
        const BskyTranslator::Facets& f = translator.Extras().at(0).facets;
        EXPECT_EQ(f.hashtags, c.expected.hashtags);
        EXPECT_EQ(f.mentions, c.expected.mentions);
        EXPECT_EQ(f.links, c.expected.links);
    }
}

TEST(BskyTranslatorTest, PostsAndRepostsFillTweetRows) {
    const std::string post = Post(R"("olá 🎉 dados")", "[]");
    const std::string repost =
        R"({"post":)" + post +
        R"(,"reason":{"$type":"app.bsky.feed.defs#reasonRepost","by":{"did":"did:plc:cy","handle":"cy.bsky.social","displayName":"Cy"},"uri":"at://did:plc:cy/app.bsky.feed.repost/3lby","indexedAt":"2026-12-09T09:00:00.000Z"}})";
    BskyTranslator translator(FixedNow);
    const std::optional<std::string> page =
        translator.PostPage(R"({"feed":[{"post":)" + post + "}," + repost + "]}", false);
    ASSERT_TRUE(page);
    for (const bool exact : {false, true}) {
        SCOPED_TRACE(exact ? "exact texts" : "documented clean-up");
        TweetSet tweets{Yield()};
        tweets.SetExactTexts(exact);
        tweets.SetData(*page, false, false);
        ASSERT_EQ(tweets.Count(), 2);
        const TweetSet::Record& a = tweets.Item(1);
        EXPECT_EQ(a.DateTime, "Wed Dec 09 08:28:09 +0000 2026");
        EXPECT_EQ(a.ScreenName, "ana.bsky.social");
        EXPECT_EQ(a.Text, exact ? "olá 🎉 dados" : "olá [?][?] dados");
        EXPECT_EQ(a.TweetID, BskyPostId::Id(*BskyPostId::ParseIso("2026-12-09T08:28:09.120Z"),
                                            "at://did:plc:abc/app.bsky.feed.post/3lbxq2aaaaa2k"));
        EXPECT_EQ(a.LinkURL, "https://bsky.app/profile/ana.bsky.social/post/3lbxq2aaaaa2k");
        EXPECT_EQ(a.Retweeted, 7);
        const TweetSet::Record& b = tweets.Item(2);
        EXPECT_EQ(b.ScreenName, "cy.bsky.social");
        EXPECT_EQ(b.DateTime, "Wed Dec 09 09:00:00 +0000 2026");
        EXPECT_TRUE(b.Text.starts_with("RT @ana.bsky.social: ol"));
        EXPECT_GT(b.TweetID, a.TweetID);
    }
    EXPECT_EQ(translator.Extras().at(1).uri, "at://did:plc:cy/app.bsky.feed.repost/3lby");
    EXPECT_EQ(translator.Extras().at(1).postUri, translator.Extras().at(0).uri);
}

// A text at the edges of UTF-8 reaches its row whole and the post after it its own row; an answer that
// is no UTF-8 is refused whole, never read in part.
TEST(BskyTranslatorTest, TextsAtTheEdgesOfUtf8LoseNoPost) {
    struct Case {
        const char* name;
        std::string text;                     // JSON
        std::optional<std::string> expected;  // nothing: the page is refused
    };
    const Case cases[] = {
        {"a stray backslash before a letter beyond ASCII", R"("ends \т")", "ends т"},
        {"an escaped backslash before a letter beyond ASCII", R"("a\\т b")", "a\\т b"},
        {"a backslash before an emoji", R"("\🎉 x\/y")", "🎉 x/y"},
        {"a letter cut short before a quote", "\"x\xE2\\\"yz\"", std::nullopt},
        {"a stray continuation byte", "\"x\x80yz\"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BskyTranslator translator(FixedNow);
        const std::optional<std::string> page =
            translator.PostPage(R"({"feed":[{"post":)" + Post(c.text, "[]") + R"(},{"post":)" +
                                    Post(R"("next")", "[]", "2026-12-09T08:00:00.000Z") + "}]}",
                                false);
        ASSERT_EQ(page.has_value(), c.expected.has_value());
        if (!page) continue;
        TweetSet tweets{Yield()};
        tweets.SetExactTexts(true);
        tweets.SetData(*page, false, false);
        ASSERT_EQ(tweets.Count(), 2);
        EXPECT_EQ(std::set<std::string>({tweets.Item(1).Text, tweets.Item(2).Text}),
                  std::set<std::string>({*c.expected, "next"}));
    }
}

TEST(BskyTranslatorTest, ProfilesFillUserRecords) {
    const std::string body =
        R"({"subject":{"did":"did:plc:s","handle":"s.bsky.social"},"cursor":"3lc.x","followers":[{"did":"did:plc:f1","handle":"f1.bsky.social","displayName":"Fé","description":"a \"quoted\" line","followersCount":12,"followsCount":3,"postsCount":40,"avatar":"https://cdn.bsky.app/a.jpg","createdAt":"2024-01-02T03:04:05.000Z"}]})";
    BskyTranslator translator;
    UserSet users{Yield()};
    users.SetExactTexts(true);
    users.SetData(*translator.ProfilePage(body, true), false, true);
    ASSERT_EQ(users.Count(), 1);
    const UserSet::Record& u = users.Item(1);
    EXPECT_EQ(u.Id, "did:plc:f1");
    EXPECT_EQ(u.ScreenName, "f1.bsky.social");
    EXPECT_EQ(u.RealName, "Fé");
    EXPECT_EQ(u.Description, "a \"quoted\" line");
    EXPECT_EQ(u.Followers, 12);
    EXPECT_EQ(u.Friends, 3);
    EXPECT_EQ(u.StatusCount, 40);
    EXPECT_EQ(u.CreatedAt, "Tue Jan 02 03:04:05 +0000 2024");
    EXPECT_EQ(users.NextCursor(), "3lc.x");
}

TEST(BskySessionFileTest, KeepsTheSessionForItsOwnerOnly) {
    testing::TempFolder folder;
    const BskySessionFile file = BskySessionFile::InFolder(folder.path());
    EXPECT_FALSE(file.Read());
    const BskySessionFile::Stored stored{"https://bsky.social", {"did:plc:a", "a.bsky.social", "acc", "ref"}};
    file.Write(stored);
    EXPECT_EQ(file.Read(), stored);
    struct stat info {};
    ASSERT_EQ(::stat(file.Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::ofstream(file.Path()) << "not base64 !!\n";
    EXPECT_FALSE(file.Read());
}

}  // namespace
}  // namespace marlin
