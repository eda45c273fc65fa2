// Post ids read from the files researchers share them in, and written back newest first.
#include "core/post_id_file.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace marlin::testing {
namespace {

struct Case {
    const char* name;
    std::string text;
    std::string column;
    std::vector<std::uint64_t> ids;
    std::size_t duplicates;
    std::size_t malformed;
};

TweetLine Row(const char* id, const char* text = "hello") {
    TweetLine line;
    line.id = id;
    line.text = text;
    return line;
}

TEST(PostIdFileTest, ReadsEveryLayoutDroppingDoublesAndWhatIsNoId) {
    const std::string v11 = R"({"created_at":"x","id":20,"id_str":"20","text":"a","user":{"id_str":"7"}})";
    const std::string v2 = R"({"edit_history_tweet_ids":["21"],"id":"21","text":"b","author":{"id":"7"}})";
    const std::string user = R"({"id":7,"id_str":"7","screen_name":"someone"})";
    const Case cases[] = {
        {"lines",
         "\xEF\xBB\xBF"
         "12\r\n\r\n 13 \nhttps://x.com/a/status/14?s=20\n12\n1.2E+18\n0123\nabc\n"
         "18446744073709551616\n",
         "",
         {12, 13, 14},
         1,
         4},
        {"csv with header",
         "\"DateTime\",\"TweetID\",\"Tweet\"\r\n\"d\",\"30\",\"two\r\nlines, \"\"quoted\"\"\"\r\n"
         "\"d\",\"31\",\"x\"\r\n\"d\",\"30\",\"again\"\r\n",
         "",
         {30, 31},
         1,
         0},
        {"one column with its name", "tweet_id\n5\n", "", {5}, 0, 0},
        {"csv named column", "a,b,post\n1,2,40\n3,4,41\n", "POST", {40, 41}, 0, 0},
        {"csv numbered column", "1,2,40\n3,4,\n", "3", {40}, 0, 1},
        {"csv without header", "50,x\n51,y\n", "", {50, 51}, 0, 0},
        {"tweet table",
         TweetTableHeader() + Row("60").Line() + Row("61", "say \"hi\"").Line() + Row("60").Line(),
         "",
         {60, 61},
         1,
         0},
        {"tweet table without header", Row("70").Line() + Row("x").Line(), "", {70}, 0, 1},
        {"archive", v11 + "\n" + v2 + "\n" + user + "\n{\"broken\n" + v11 + "\n", "", {20, 21}, 1, 1},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        WriteFileBytes(folder / "ids", c.text);
        const PostIds read = PostIdFile::Read(folder / "ids", c.column);
        EXPECT_EQ(read.ids, c.ids) << c.name;
        EXPECT_EQ(read.duplicates, c.duplicates) << c.name;
        EXPECT_EQ(read.malformed, c.malformed) << c.name;
    }
}

TEST(PostIdFileTest, DehydratesNewestFirstAndRefusesWhatItCannotRead) {
    TempFolder folder;
    WriteFileBytes(folder / "t.txt", TweetTableHeader() + Row("5").Line() + Row("900").Line() +
                                         Row("70").Line() + Row("900").Line());
    const PostIds ids = PostIdFile::Dehydrate(folder / "t.txt");
    EXPECT_EQ(ids.ids, (std::vector<std::uint64_t>{900, 70, 5}));
    EXPECT_EQ(ids.duplicates, 1u);
    ASSERT_TRUE(PostIdFile::Write(folder / "ids.txt", ids.ids));
    EXPECT_EQ(ReadFileBytes(folder / "ids.txt"), "900\n70\n5\n");
    EXPECT_EQ(PostIdFile::Read(folder / "ids.txt").ids, ids.ids);
    EXPECT_THROW(PostIdFile::Read(folder / "t.txt", "Nope"), PostIdFile::Error);
    EXPECT_THROW(PostIdFile::Read(folder / "none.txt"), PostIdFile::Error);
}

}  // namespace
}  // namespace marlin::testing
