#include "workspace/export/csv_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/code_page.h"
#include "python_reader.h"
#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/users/user_profile_table.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::StartsWith;

// An RFC 4180 reader, as a spreadsheet's import reads the file: records end at a CR LF
// outside quotes; inside quotes a doubled quote is one quote and anything else is content.
std::vector<std::vector<std::string>> ReadCsv(std::string_view text) {
    std::vector<std::vector<std::string>> records(1);
    std::string field;
    bool quoted = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quoted) {
            if (c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
                field += '"';
                ++k;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            records.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            records.back().push_back(std::move(field));
            field.clear();
            records.emplace_back();
            ++k;
        } else {
            ADD_FAILURE() << "unquoted character " << c << " at " << k;
        }
    }
    EXPECT_FALSE(quoted) << "the file ends inside a quoted field";
    if (records.back().empty()) records.pop_back();
    return records;
}

const std::string kAwkward = "He said \"no, never\",\nthen left\r\nfor good";

std::vector<TweetRow> KnownTweets() {
    return {
        {"Wed Aug 27 13:08:45 +0000 2008", "alice", kAwkward, "1234567890123456789", "12", "3", "Köln", "40"},
        {"Wed Aug 27 14:00:00 +0000 2008", "12345678901234567", "plain", "0000000000000000001", "0", "0", "",
         "1"},
        {"Wed Aug 27 15:00:00 +0000 2008", "bob", "", "", "", "", "", ""},
    };
}

TEST(CsvExportTest, TweetsRoundTripThroughACsvReaderWithEveryIdAndTextIntact) {
    ReportList table;
    FillTweets(table, KnownTweets());
    const std::string text = CsvExport::TweetsText(table);
    ASSERT_THAT(text, StartsWith("\xEF\xBB\xBF\"DateTime\",\"UserScreenName\""));

    const auto records = ReadCsv(std::string_view(text).substr(3));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_THAT(records[0], ElementsAreArray(TweetTable::kHeaders));
    for (const auto& record : records) EXPECT_EQ(record.size(), static_cast<std::size_t>(TweetColumn::Count));

    const auto& first = records[1];
    EXPECT_EQ(first[TweetColumn::Tweet], kAwkward);
    EXPECT_EQ(first[TweetColumn::TweetID], "1234567890123456789");
    EXPECT_EQ(first[TweetColumn::DateTime], "2008-08-27T13:08:45Z");
    EXPECT_EQ(first[TweetColumn::UserFollowers], "12");  // padding removed
    EXPECT_EQ(first[TweetColumn::UserLocation], "Köln");
    EXPECT_EQ(first[TweetColumn::SentNegative], "-1");
    // Leading zeros and a long digit run outside the id column survive as well.
    EXPECT_EQ(records[2][TweetColumn::TweetID], "0000000000000000001");
    EXPECT_EQ(records[2][TweetColumn::UserScreenName], "12345678901234567");
    EXPECT_EQ(records[3][TweetColumn::TweetID], "");
}

TEST(CsvExportTest, EveryFieldIsQuotedSoNoSpreadsheetGuessesAtIt) {
    ReportList table;
    FillTweets(table, {KnownTweets()[2]});
    const std::string text = CsvExport::TweetsText(table);
    const std::size_t secondRecord = text.find("\r\n") + 2;
    EXPECT_THAT(text.substr(secondRecord),
                StartsWith("\"2008-08-27T15:00:00Z\",\"bob\",\"\",\"\",\"\",\"\",\"\","));
}

// Each text cell's first line as pandas reads it, with every id and date read as a text.
constexpr const char* kPandasScript = R"(
import sys, json, pandas
table = pandas.read_csv(sys.argv[1], dtype=str, keep_default_na=False)
for _, row in table.iterrows():
    print(json.dumps([row['TweetID'], row['DateTime'], row['Tweet'], row['Sent-']], ensure_ascii=False))
)";

TEST(CsvExportTest, AFormulaReachesSpreadsheetsAsTextAndPandasReadsIdsAndDatesUnchanged) {
    if (!HavePythonModule("pandas")) GTEST_SKIP() << "python3-pandas is not installed";
    struct Case {
        std::string cell, written;
    };
    const Case cases[] = {
        {"=HYPERLINK(\"http://x.test\",\"click\")", "'=HYPERLINK(\"http://x.test\",\"click\")"},
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1+1", "'+1+1"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A2)", "'@SUM(A1:A2)"},
        {"\t=1+1", "'\t=1+1"},  // the tab that would have disarmed it is kept, behind the quote
        {"\r=1+1", "'\r=1+1"},
        {"   =1+1", "'=1+1"},  // padding off first, then the check
        {"-1", "-1"},          // a number is no formula
        {"a = b + c", "a = b + c"},
        {"", ""},
    };
    ReportList table;
    // Ids of twenty digits with leading zeros: read as numbers they would change.
    const auto idOf = [](std::size_t k) {
        return std::string("00123456789012345678").append(std::to_string(k));
    };
    std::vector<TweetRow> rows;
    for (std::size_t k = 0; k < std::size(cases); ++k)
        rows.push_back({"Wed Aug 27 13:08:45 +0000 2008", "alice", cases[k].cell, idOf(k)});
    FillTweets(table, rows);
    TempFolder folder;
    ASSERT_TRUE(CsvExport::Write((folder / "t.csv").string(), CsvExport::TweetsText(table)));

    const std::vector<std::string> read = RunPython(kPandasScript, {(folder / "t.csv").string()});
    ASSERT_EQ(read.size(), std::size(cases)) << Joined(read);
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(cases[k].cell);
        EXPECT_EQ(read[k], "[" + JsonString(idOf(k)) + R"(, "2008-08-27T13:08:45Z", )" +
                               JsonString(cases[k].written) + R"(, "-1"])");
    }
}

TEST(CsvExportTest, APlaceholderForNoValueIsAnEmptyField) {
    const PlaceholderTables tables;
    const auto tweets = ReadCsv(CsvExport::TweetsText(tables.tweets).substr(3));
    const auto users = ReadCsv(CsvExport::UsersText(tables.users).substr(3));
    ASSERT_EQ(tweets.size(), 3u);
    ASSERT_EQ(users.size(), 3u);
    struct Case {
        std::string shown, expected;
    };
    for (const auto& [shown, expected] : std::vector<Case>{
             {tweets[1][TweetColumn::GeoCoords], ""},
             {tweets[2][TweetColumn::GeoCoords], "[52.52,13.40]"},
             {tweets[1][TweetColumn::Tweet], "null"},
             {users[1][PlaceholderTables::kBanner], ""},
             {users[2][PlaceholderTables::kBanner], "https://pbs.twimg.com/profile_banners/7/1/web"},
             {users[1][UserTable::kScreenName], "/web"},
         })
        EXPECT_EQ(shown, expected);
}

class CsvFileTest : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(CsvFileTest, ASavedTweetTableFileBecomesCsv) {
    const std::string table = (folder / "t.txt").string();
    std::string header;
    for (const char* name : TweetTable::kHeaders) header += std::string(name) + "\t";
    WriteFileBytes(table, CodePage::ToWindows1252(
                              header + "\r\n" +
                              "Wed Aug 27 13:08:45 +0000 2008\talice\tcaf\xC3\xA9\t1234567890123456789\t"
                              "A\t5\t6\tL\t0\t\t7\t0\t\t2\t-3\tD\t\r\n"));
    ASSERT_TRUE(CsvExport::TweetsFromTableFile(table, (folder / "t.csv").string()));
    const auto records = ReadCsv(ReadFileBytes(folder / "t.csv").substr(3));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1][TweetColumn::Tweet], "caf\xC3\xA9");
    EXPECT_EQ(records[1][TweetColumn::TweetID], "1234567890123456789");
    EXPECT_EQ(records[1][TweetColumn::SentNegative], "-3");

    EXPECT_FALSE(CsvExport::TweetsFromTableFile((folder / "none.txt").string(), (folder / "n.csv").string()));
    EXPECT_FALSE(std::filesystem::exists(folder / "n.csv"));
}

TEST_F(CsvFileTest, AUserTableFileBecomesCsvWithItsIdsAsPlainDigits) {
    std::string line = "987654321098765432\tcarol";
    for (int k = 2; k < UserTable::kColumnCount; ++k) {
        line += '\t';
        line += std::to_string(k);
    }
    WriteFileBytes(folder / "u.mut", line + "\r\n");
    ASSERT_TRUE(CsvExport::UsersFromTableFile((folder / "u.mut").string(), (folder / "u.csv").string()));
    const auto records = ReadCsv(ReadFileBytes(folder / "u.csv").substr(3));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][0], "ID");
    EXPECT_EQ(records[0].size(), static_cast<std::size_t>(UserTable::kColumnCount));
    EXPECT_EQ(records[1][0], "987654321098765432");
    EXPECT_EQ(records[1][1], "carol");
    EXPECT_EQ(records[1][36], "36");
}

TEST_F(CsvFileTest, AFileThatCannotBeWrittenLeavesTheEarlierOneAsItWas) {
    WriteFileBytes(folder / "old.csv", "earlier");
    ReportList table;
    FillTweets(table, KnownTweets());
    {
        FileSizeLimit limit(4);
        EXPECT_FALSE(CsvExport::Write((folder / "old.csv").string(), CsvExport::TweetsText(table)));
    }
    EXPECT_EQ(ReadFileBytes(folder / "old.csv"), "earlier");
}

}  // namespace
}  // namespace marlin::testing
