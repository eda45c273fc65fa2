// The archive file of service objects: objects cut out of a body byte for byte, one a
// line, none twice, and a file that stays whole lines.
#include "core/raw_archive.h"

#include <sys/stat.h>

#include <gmock/gmock.h>

#include "core/page_check.h"

#include "test_support.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;

TEST(RawArchiveTest, AnObjectBecomesOneLineWithItsStringsUntouched) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {R"({"id_str":"1","text":"a  b"})", R"({"id_str":"1","text":"a  b"})"},
        {"{\"a\": 1, \"b\" : [1, 2]} \n ", "{\"a\": 1, \"b\" : [1, 2]}"},  // one line: kept as sent
        {"{\n  \"text\": \"x \\\" y\\\\\",\n  \"n\": [ 1,\r\n 2 ]\n}", R"({"text":"x \" y\\","n":[1,2]})"},
        {"{\"t\":\"\\n\\t{ }\",\n\"u\":\"\xE2\x9C\x93 \\ud83d\\ude00\"}",
         "{\"t\":\"\\n\\t{ }\",\"u\":\"\xE2\x9C\x93 \\ud83d\\ude00\"}"},
    };
    for (const auto& [raw, line] : cases) EXPECT_EQ(RawArchive::OneLine(raw), line) << raw;
}

TEST(RawArchiveTest, ANameIsMadeSafeForAFileName) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"climate change", "climate change"},
        {"#café OR \xD0\xBC\xD0\xB8\xD1\x80", "#café OR \xD0\xBC\xD0\xB8\xD1\x80"},
        {"../etc/passwd", "_._etc_passwd"},
        {"a\nb\tc\x7f", "a_b_c_"},
        {"\"a\" OR b:c*?", "_a_ OR b_c__"},
        {"", "unnamed"},
        {std::string(119, 'a') + "\xC3\xA9" + "z", std::string(119, 'a')},  // never half a character
    };
    for (const auto& [name, safe] : cases) EXPECT_EQ(RawArchive::SafeName(name), safe) << name;
}

TEST(RawArchiveTest, ObjectsComeFromEachShapeOfBody) {
    RawArchive archive("unused.jsonl");
    const auto ids = [&archive](const std::string& body) {
        std::vector<std::string> found;
        for (const RawArchive::Object& object : archive.Objects(body)) found.push_back(object.id);
        return found;
    };
    EXPECT_THAT(ids(R"({"statuses":[{"id_str":"1","user":{"id_str":"9"}}],"search_metadata":{}})"),
                ElementsAre("1"));
    EXPECT_THAT(ids(R"({"next_cursor":0,"users":[{"id_str":"2"},{"id_str":"3"}]})"), ElementsAre("2", "3"));
    EXPECT_THAT(ids(R"([{"id_str":"4"}, 5, {"id":6}, {"id_str":"7"}])"), ElementsAre("4", "7"));
    EXPECT_THAT(ids(R"({"ids":[1,2]})"), ElementsAre());
    EXPECT_THAT(ids("not json"), ElementsAre());
    EXPECT_THAT(ids(R"({"a":0,"b" "c","users":[{"id_str":"1"}]})"), ElementsAre());  // a key without colon
    EXPECT_THAT(ids(R"([{"text":"x","id_str":"1\u0032"}])"), ElementsAre("12"));
}

TEST(RawArchiveTest, AppendsOnlyWhatTheFileDoesNotHoldAndMendsACutLine) {
    TempFolder folder;
    const auto file = folder.path() / "archive" / "a.jsonl";
    std::filesystem::create_directories(file.parent_path());
    const std::string before = "{\"id_str\":\"1\"}\n{\"id_str\":\"2\",\"te";  // the last line was cut
    WriteFileBytes(file, before);

    const std::string body =
        "[{\"id_str\":\"1\"},\n {\"id_str\": \"3\",\n \"t\":\"a b\"},{\"id_str\":\"3\"}]";
    RawArchive archive(file);
    EXPECT_EQ(archive.AppendPage(body), 1);
    EXPECT_EQ(archive.AppendPage(body), 0);
    EXPECT_EQ(ReadFileBytes(file), before + "\n{\"id_str\":\"3\",\"t\":\"a b\"}\n");

    RawArchive again(file);  // a later run reads the ids once
    EXPECT_EQ(again.AppendPage(R"([{"id_str":"3"},{"id_str":"4"}])"), 1);
    EXPECT_EQ(ReadFileBytes(file), before + "\n{\"id_str\":\"3\",\"t\":\"a b\"}\n{\"id_str\":\"4\"}\n");
}

TEST(RawArchiveTest, AFileThatCannotBeMadeThrows) {
    TempFolder folder;
    WriteFileBytes(folder.path() / "archive", "a file, not a folder");
    RawArchive archive(folder.path() / "archive" / "a.jsonl");
    EXPECT_THROW(archive.AppendPage(R"([{"id_str":"1"}])"), RawArchive::Error);
}

TEST(RawArchiveTest, TwoRunsAppendingAtOnceWriteEachIdOnce) {
    TempFolder folder;
    const auto file = folder.path() / "a.jsonl";
    RawArchive first(file), second(file);
    // Alternate pages that overlap: each run must see what the other added since its last look.
    EXPECT_EQ(first.AppendPage(R"([{"id_str":"1"},{"id_str":"2"}])"), 2);
    EXPECT_EQ(second.AppendPage(R"([{"id_str":"2"},{"id_str":"3"}])"), 1);
    EXPECT_EQ(first.AppendPage(R"([{"id_str":"3"},{"id_str":"99999999999999999999999"}])"), 1);
    EXPECT_EQ(second.AppendPage(R"([{"id_str":"99999999999999999999999"},{"id_str":"01"}])"), 1);
    EXPECT_THAT(JsonLineIds(file), ElementsAre("1", "2", "3", "99999999999999999999999", "01"));
}

TEST(RawArchiveTest, ALinkPlantedInPlaceOfTheFileIsNotFollowed) {
    TempFolder folder;
    WriteFileBytes(folder.path() / "elsewhere", "kept\n");
    std::filesystem::create_symlink(folder.path() / "elsewhere", folder.path() / "a.jsonl");
    RawArchive archive(folder.path() / "a.jsonl");
    EXPECT_THROW(archive.AppendPage(R"([{"id_str":"1"}])"), RawArchive::Error);
    EXPECT_EQ(ReadFileBytes(folder.path() / "elsewhere"), "kept\n");
}

// The page check finds the records as it reads a page; the archive then writes them without
// reading the page again, and its file must be the one it writes from the body alone.
TEST(RawArchiveTest, RecordsFoundByThePageCheckAreWrittenAsTheBodyReads) {
    struct Case {
        std::string body;
        bool found;
    };
    const std::vector<Case> cases = {
        {Fixture("search_tweets_page.json"), true},
        {Fixture("user_timeline_extended_page.json"), true},
        {Fixture("followers_list_page.json"), true},
        {Fixture("home_timeline_page_geo_2012.json"), true},
        {"[ {\"id_str\":\"4\"} ,\n {\"a\":[1,{\"id_str\":\"x\"}],\"id_str\":\"7\", \"t\":\"a \\\" b\"}\r\n ] "
         " ",
         true},
        {R"({"users":[{"id_str":"1"}],"statuses":[{"id_str":"2"}],"statuses":[{"id_str":"3"}]})", true},
        {R"({"statuses":[],"users":[{"id_str":"1"}]})", true},
        // Left to the archive's own reading:
        {R"({"stat\u0075ses":[{"id_str":"1"}],"users":[{"id_str":"2"}]})", true},
        {R"({"statuses":{"a":1},"users":[{"id_str":"1"}]})", false},
        {R"([{"text":"x","id_str":"1\u0032"},{"id_str":"3"}])", false},
        {R"([{"id_str":1},{"id_str":"2"},5])", false},
        {R"({"data":[{"id":"1","text":"a"}]})", false},
    };
    TempFolder folder;
    int n = 0;
    for (const auto& [body, found] : cases) {
        PageRecords records;
        ASSERT_EQ(PageCheck::Problem(body, 0, &records), std::nullopt) << body;
        EXPECT_EQ(records.found, found) << body;
        const auto fromRecords = folder / (std::to_string(++n) + "r.jsonl");
        const auto fromBody = folder / (std::to_string(n) + "b.jsonl");
        RawArchive(fromRecords).AppendPage(body, 0, &records);
        RawArchive(fromBody).AppendPage(body);
        EXPECT_EQ(ReadFileBytes(fromRecords), ReadFileBytes(fromBody)) << body;
    }
}

// A page goes out in one gathered write; a disk that fills in the middle of it leaves the
// file as it was, and the page goes whole once there is room again.
TEST(RawArchiveTest, ADiskFullInTheMiddleOfAPageLeavesWholeLinesAndNoReserve) {
    TempFolder folder;
    const auto file = folder / "a.jsonl";
    std::string body = "[{\"id_str\":\"1\"}";
    for (int id = 2; id <= 300; ++id) body += R"(,{"id_str":")" + std::to_string(id) + R"(","t":"text"})";
    body += "]";
    {
        RawArchive archive(file);
        ASSERT_EQ(archive.AppendPage(R"([{"id_str":"0"}])"), 1);
        {
            FileSizeLimit full(4000);
            EXPECT_THROW(archive.AppendPage(body), RawArchive::Error);
        }
        EXPECT_EQ(ReadFileBytes(file), "{\"id_str\":\"0\"}\n");
        EXPECT_EQ(archive.AppendPage(body), 300);
    }
    RawArchive(file).AppendPage(R"([{"id_str":"301"}])");
    EXPECT_EQ(JsonLineIds(file).size(), 302u);
    // The blocks reserved ahead of the writes are given back when the archive closes.
    struct stat closed {};
    ASSERT_EQ(::stat(file.c_str(), &closed), 0);
    EXPECT_LE(closed.st_blocks * 512, closed.st_size + 64 * 1024);
}

}  // namespace
}  // namespace marlin::testing
