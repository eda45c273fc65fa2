// The second service's post ids and dates, and its archive lines keyed by URI.
#include <gtest/gtest.h>

#include <fstream>

#include "core/bsky_post_id.h"
#include "core/raw_archive.h"
#include "test_support.h"

namespace marlin {
namespace {

const int64_t kNow = *BskyPostId::ParseIso("2026-12-09T12:00:00Z");

TEST(BskyPostIdTest, TheDateIsTheEarlierOfTheTwoUnlessCreatedAtIsWrong) {
    struct Case {
        const char* name;
        const char* createdAt;
        const char* indexedAt;
        const char* expected;  // nullptr: no date
    };
    const Case cases[] = {
        {"written, then seen", "2026-12-09T08:28:09.120Z", "2026-12-09T08:28:10Z",
         "2026-12-09T08:28:09.120Z"},
        {"a clock behind the service", "2026-12-09T08:28:11Z", "2026-12-09T08:28:10Z",
         "2026-12-09T08:28:10.000Z"},
        {"another zone", "2026-12-09T09:28:09+01:00", "2026-12-09T08:30:00Z", "2026-12-09T08:28:09.000Z"},
        {"in the future", "2027-12-09T08:00:00Z", "2026-12-10T08:00:00Z", "2026-12-10T08:00:00.000Z"},
        {"before the network", "2009-05-01T10:00:00Z", "2026-12-09T08:00:00Z", "2026-12-09T08:00:00.000Z"},
        {"not a date", "sometime", "2026-12-09T08:00:00Z", "2026-12-09T08:00:00.000Z"},
        {"no zone", "2026-12-09T07:00:00", "2026-12-09T08:00:00Z", "2026-12-09T08:00:00.000Z"},
        {"a 31st of February", "2026-02-31T07:00:00Z", "2026-12-09T08:00:00Z", "2026-12-09T08:00:00.000Z"},
        {"neither readable", "sometime", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<int64_t> date = BskyPostId::SortAtMs(c.createdAt, c.indexedAt, kNow);
        ASSERT_EQ(date.has_value(), c.expected != nullptr);
        if (date) {
            EXPECT_EQ(BskyPostId::Iso(*date), c.expected);
        }
    }
    EXPECT_EQ(BskyPostId::ServiceTime(*BskyPostId::ParseIso("2024-02-29T23:59:59.999Z")),
              "Thu Feb 29 23:59:59 +0000 2024");
}

TEST(BskyPostIdTest, IdsSortInTimeOrderAndDifferByRecord) {
    const int64_t t = *BskyPostId::ParseIso("2026-12-09T08:28:09.120Z");
    // The same record key in two accounts, the same millisecond: two ids.
    const std::string a = BskyPostId::Id(t, "at://did:plc:aaa/app.bsky.feed.post/3lbxq2aaaaa2k");
    const std::string b = BskyPostId::Id(t, "at://did:plc:bbb/app.bsky.feed.post/3lbxq2aaaaa2k");
    const std::string later = BskyPostId::Id(t + 1, "at://did:plc:aaa/app.bsky.feed.post/2222222222222");
    EXPECT_NE(a, b);
    for (const std::string& earlier : {a, b}) EXPECT_LT(std::stoull(earlier), std::stoull(later));
    EXPECT_LT(std::stoull(later), 1ULL << 63);
    EXPECT_EQ(BskyPostId::Id(t, "at://x"), BskyPostId::Id(t, "at://x"));
    EXPECT_EQ(BskyPostId::TimeOfId(a), t);
    // Going on below the oldest post takes its millisecond in again; above the newest, from it on.
    EXPECT_EQ(BskyPostId::UntilFor(a), "2026-12-09T08:28:09.121Z");
    EXPECT_EQ(BskyPostId::SinceFor(a), "2026-12-09T08:28:09.120Z");
    EXPECT_EQ(BskyPostId::UntilFor("not an id"), "");
}

TEST(BskyArchiveTest, PostsRepostsAndProfilesAreKeptOnceByTheirKeys) {
    testing::TempFolder folder;
    const std::string post =
        R"({"uri":"at://did:plc:a/app.bsky.feed.post/3k","cid":"c","author":{"did":"did:plc:a"}})";
    const std::string feed =
        R"({"feed":[{"post":)" + post + R"(},{"post":)" + post +
        R"(,"reason":{"by":{"did":"did:plc:r"},"uri":"at://did:plc:r/app.bsky.feed.repost/3m"}},{"post":)" +
        post + R"(,"reason":{"by":{"did":"did:plc:s"}}}],"cursor":"x"})";
    const std::string search = R"({"posts":[)" + post + "]}";
    const std::string profiles =
        R"({"subject":{"did":"did:plc:z"},"followers":[{"did":"did:plc:f","handle":"f.b"}]})";
    {
        RawArchive archive(folder / "a.jsonl");
        EXPECT_EQ(archive.AppendPage(feed), 3);  // the post and its two reposts
        EXPECT_EQ(archive.AppendPage(search), 0);
        EXPECT_EQ(archive.AppendPage(profiles), 1);
    }
    // Another run learns the keys from the file itself.
    RawArchive again(folder / "a.jsonl");
    EXPECT_EQ(again.AppendPage(feed), 0);
    EXPECT_EQ(again.AppendPage(profiles), 0);
    std::ifstream in(folder / "a.jsonl");
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, post);
}

}  // namespace
}  // namespace marlin
