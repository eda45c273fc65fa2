#include <gtest/gtest.h>
#include "core/tweet_column.h"

#include <filesystem>

#include "test_support.h"
#include "workspace/session/preferences.h"

namespace marlin {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;
using Tag = Preferences::Tag;

std::vector<int> Widths(int first) {
    std::vector<int> widths;
    for (int i = 0; i < TweetColumn::Count; ++i) widths.push_back(first + i);
    return widths;
}

TEST(PreferencesFormat, WritesTheLinesInTheirFixedOrder) {
    std::string text = Preferences::Format({"cats  /data/cats.txt", "dogs  /data/dogs.txt"}, {"/data/tl.txt"},
                                           "fr", {1000, 1200, 900});
    EXPECT_EQ(text,
              "QP-cats,/data/cats.txt\r\n"
              "QP-dogs,/data/dogs.txt\r\n"
              "UP-/data/tl.txt\r\n"
              "LA-fr\r\n"
              "HW-1000,1200,900\r\n");
}

TEST(PreferencesFormat, RoundTripKeepsHistoriesLanguageAndWidths) {
    std::vector<std::string> queries = {"marlin AND twitter  /home/r/a.txt", "#tag  /home/r/b.mtwt"};
    std::vector<std::string> timelines = {"/home/r/t1.txt", "/home/r/t2.txt"};
    auto lines = Preferences::Parse(Preferences::Format(queries, timelines, "de", Widths(500)));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].tag, Tag::Query);
    EXPECT_EQ(lines[0].value, queries[0]);
    EXPECT_EQ(lines[1].value, queries[1]);
    EXPECT_EQ(lines[2].tag, Tag::Timeline);
    EXPECT_EQ(lines[3].value, timelines[1]);
    EXPECT_EQ(lines[4].tag, Tag::Language);
    EXPECT_EQ(lines[4].value, "de");
    ASSERT_EQ(lines[5].tag, Tag::Widths);
    EXPECT_EQ(Preferences::ParseWidths(lines[5].value), Widths(500));
}

// The plain stored form uses a comma for the two-blank separator. Files already on disk
// depend on this form, so a line in it reads as it always did.
TEST(PreferencesFormat, CommaAndDoubleBlankQuirksOfTheQueryLine) {
    EXPECT_EQ(Preferences::QueryEntryToLine("a   b    c  /f"), "a, b,,c,/f");
    EXPECT_EQ(Preferences::QueryLineToEntry("cats,/data/cats.txt"), "cats  /data/cats.txt");
    EXPECT_EQ(Preferences::QueryLineToEntry("cats, dogs,/data/x.txt"), "cats   dogs");
    EXPECT_EQ(Preferences::QueryLineToEntry("lonely query"), "lonely query  ");

    EXPECT_EQ(Preferences::SplitQueryEntry("cats  /data/cats.txt"),
              (std::pair<std::string, std::string>{"cats", "/data/cats.txt"}));
    EXPECT_EQ(Preferences::SplitQueryEntry("big  cats  /data/cats.txt"),
              (std::pair<std::string, std::string>{"big  cats", "/data/cats.txt"}));
    EXPECT_EQ(Preferences::SplitQueryEntry("cats  /my  data/cats.txt"),
              (std::pair<std::string, std::string>{"cats", "/my  data/cats.txt"}));
    EXPECT_EQ(Preferences::SplitQueryEntry("big  cats  data.txt"),
              (std::pair<std::string, std::string>{"big", "cats"}));
    EXPECT_EQ(Preferences::SplitQueryEntry("no separator"),
              (std::pair<std::string, std::string>{"no separator", ""}));
}

// Entries the plain line cannot carry come back identical after a restart, and none can
// add a line of its own; entries that fit a plain line are written as before.
TEST(PreferencesFile, EveryHistoryEntryComesBackIdentical) {
    const std::vector<std::string> queries = {
        "cats, dogs  /data/pets.txt",  // a comma in the query
        "cats  /my  data/cats.txt",    // two blanks in the file name
        "\xCE\xB3\xCE\xB1\xCF\x84\xCE\xB1  /data/\xE2\x82\xAC\xF0\x9F\x90\x88.txt",  // outside the code page
        "100% cotton  /data/a%2Cb.txt",  // the escape character itself
        "plain  /data/plain.txt",
    };
    const std::vector<std::string> timelines = {"/data/x\nUP-/etc/passwd\r\nLA-zz.txt",
                                                "/data/\xE2\x82\xAC.txt", "/data/tl.txt"};
    TempFolder folder;
    const auto file = folder / Preferences::kFileName;
    ASSERT_TRUE(Preferences::Write(file, Preferences::Format(queries, timelines, "en", Widths(10))));

    const auto lines = Preferences::Read(file);
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), queries.size() + timelines.size() + 2);
    for (std::size_t i = 0; i < queries.size(); ++i) {
        EXPECT_EQ((*lines)[i].tag, Tag::Query);
        EXPECT_EQ((*lines)[i].value, queries[i]);
    }
    for (std::size_t i = 0; i < timelines.size(); ++i) {
        EXPECT_EQ((*lines)[queries.size() + i].tag, Tag::Timeline);
        EXPECT_EQ((*lines)[queries.size() + i].value, timelines[i]);
    }
    EXPECT_EQ((*lines)[queries.size() + timelines.size()].value, "en");

    const std::string bytes = ReadFileBytes(file);
    EXPECT_NE(bytes.find("\r\nQP-plain,/data/plain.txt\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nUP-/data/tl.txt\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("\nUP-/etc"), std::string::npos);
}

TEST(PreferencesParse, IgnoresForeignLinesAndAcceptsAnyLineEnd) {
    auto lines = Preferences::Parse("LA-it\njunk line\rQP-x,/f\r\n\r\nUP-/t\r\nqp-lowercase,/g\r\nUP-");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].tag, Tag::Language);
    EXPECT_EQ(lines[0].value, "it");
    EXPECT_EQ(lines[1].value, "x  /f");
    EXPECT_EQ(lines[2].value, "/t");
    EXPECT_EQ(lines[3].tag, Tag::Timeline);
    EXPECT_EQ(lines[3].value, "");
}

TEST(PreferencesParse, WidthsNeedSixteenNumbers) {
    std::string sixteen = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16";
    EXPECT_TRUE(Preferences::ParseWidths(sixteen).has_value());
    EXPECT_FALSE(Preferences::ParseWidths("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15").has_value());
    auto longer = Preferences::ParseWidths(sixteen + ",17,18");
    ASSERT_TRUE(longer.has_value());
    EXPECT_EQ(longer->size(), 16u);
    EXPECT_EQ(longer->back(), 16);
    auto rounded = Preferences::ParseWidths("1000.4,1000.6,3,4,5,6,7,8,9,10,11,12,13,14,15,16");
    ASSERT_TRUE(rounded.has_value());
    EXPECT_EQ((*rounded)[0], 1000);
    EXPECT_EQ((*rounded)[1], 1001);
    EXPECT_FALSE(Preferences::ParseWidths("1,2,x,4,5,6,7,8,9,10,11,12,13,14,15,16").has_value());
    EXPECT_FALSE(Preferences::ParseWidths("1,2,-3,4,5,6,7,8,9,10,11,12,13,14,15,16").has_value());
}

TEST(PreferencesFile, StoresTheSingleByteCodePage) {
    TempFolder folder;
    auto file = folder / Preferences::kFileName;
    ASSERT_TRUE(Preferences::Write(
        file, Preferences::Format({"caf\xC3\xA9  /r\xC3\xA9sum\xC3\xA9.txt"}, {}, "en", {})));
    EXPECT_EQ(ReadFileBytes(file), "QP-caf\xE9,/r\xE9sum\xE9.txt\r\nLA-en\r\nHW-\r\n");
    auto lines = Preferences::Read(file);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ((*lines)[0].value, "caf\xC3\xA9  /r\xC3\xA9sum\xC3\xA9.txt");
    EXPECT_FALSE(Preferences::Read(folder / "missing").has_value());
}

TEST(PreferencesFile, AFailedWriteKeepsTheOldFileAndLeavesNoLitter) {
    TempFolder folder;
    auto file = folder / Preferences::kFileName;
    WriteFileBytes(file, "QP-old,/old.txt\r\n");
    {
        testing::FileSizeLimit fullDisk(4);
        EXPECT_FALSE(Preferences::Write(file, "QP-new,/new.txt\r\n"));
    }
    EXPECT_EQ(ReadFileBytes(file), "QP-old,/old.txt\r\n");

    EXPECT_TRUE(Preferences::Write(file, "QP-new,/new.txt\r\n"));
    EXPECT_EQ(ReadFileBytes(file), "QP-new,/new.txt\r\n");
    EXPECT_EQ(testing::FolderEntries(folder.path()), std::vector<std::string>{"prefs"});
}

}  // namespace
}  // namespace marlin
