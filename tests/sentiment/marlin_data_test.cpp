#include "sentiment/marlin_data.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/code_page.h"
#include "core/tweet_set.h"
#include "platform/testing/scripted_toolkit.h"
#include "test_support.h"
#include "toolkit_hosts.h"

namespace marlin::testing {
namespace {

// One tweet table line: the given fields, padded with "f<n>" to 16, a tab after each.
std::string TableLine(std::vector<std::string> fields, const std::string& end = "\r\n") {
    for (std::size_t n = fields.size() + 1; n <= 16; ++n) {
        std::string filler = "f";
        filler += std::to_string(n);
        fields.push_back(filler);
    }
    std::string line;
    for (const auto& field : fields) line += field + "\t";
    return line + end;
}

std::size_t Count(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

class MarlinDataTest : public ::testing::Test {
  protected:
    bool LoadBytes(const std::string& bytes) {
        WriteFileBytes(m_file, bytes);
        return m_data.Load(m_file.string());
    }

    ScriptedToolkit m_toolkit;
    ToolkitProcessHost m_host{m_toolkit};
    TempFolder m_temp;
    std::filesystem::path m_file = m_temp / "tweets.mtwt";
    MarlinData m_data{m_host, m_temp.path()};
};

class MarlinDataFromTweets : public MarlinDataTest {
  protected:
    void SetUp() override {
        m_tweets.SetData(Fixture("search_tweets_page.json"), false, true);
        ASSERT_GT(m_tweets.Count(), 3);
        m_data.SetData(m_tweets);
    }
    TweetSet m_tweets{m_toolkit.Yielder()};
};

TEST_F(MarlinDataFromTweets, SetDataFillsSixteenColumnsInTableOrder) {
    ASSERT_EQ(m_data.RecordCount(), m_tweets.Count());
    for (int i = 1; i <= m_tweets.Count(); ++i) {
        const std::string dateTime = m_tweets.DateTime(i);
        ASSERT_NE(dateTime.find('+'), std::string::npos);  // service layout, "+0000"
        std::string unsigned_ = dateTime;
        std::erase(unsigned_, '+');
        EXPECT_EQ(m_data.Value(i, 1), unsigned_);
        EXPECT_EQ(m_data.Value(i, 0), "");
        EXPECT_EQ(m_data.Value(i, 14), "0");
        EXPECT_EQ(m_data.Value(i, 15), "0");
    }
    const MarlinData::Record expected{"",
                                      m_data.Value(2, 1),
                                      m_tweets.ScreenName(2),
                                      m_tweets.Text(2),
                                      m_tweets.TweetID(2),
                                      m_tweets.RealName(2),
                                      std::to_string(m_tweets.Followers(2)),
                                      std::to_string(m_tweets.Following(2)),
                                      m_tweets.Location(2),
                                      m_tweets.UTC_Offset(2),
                                      m_tweets.GeoCoords(2),
                                      std::to_string(m_tweets.UserTweets(2)),
                                      std::to_string(m_tweets.Retweeted(2)),
                                      m_tweets.LinkURL(2),
                                      "0",
                                      "0",
                                      m_tweets.Description(2)};
    EXPECT_EQ(m_data.Data().at(1), expected);
}

TEST_F(MarlinDataFromTweets, SaveWritesWindows1252LinesThatLoadBack) {
    m_data.Save(m_file.string(), false);
    const std::string bytes = ReadFileBytes(m_file);
    EXPECT_EQ(Count(bytes, "\r\n"), static_cast<std::size_t>(m_tweets.Count()));
    EXPECT_EQ(Count(bytes, "\t\r\n"), static_cast<std::size_t>(m_tweets.Count()));
    EXPECT_NE(bytes.find("\xE9"), std::string::npos);      // é as one Windows-1252 byte
    EXPECT_EQ(bytes.find("\xC3\xA9"), std::string::npos);  // not as UTF-8
    EXPECT_EQ(bytes.find("+0000"), std::string::npos);

    const auto saved = m_data.Data();
    MarlinData reread(m_host, m_temp.path());
    ASSERT_TRUE(reread.Load(m_file.string()));
    ASSERT_EQ(reread.RecordCount(), m_data.RecordCount());
    for (int i = 1; i <= reread.RecordCount(); ++i)
        for (int c = 1; c <= 16; ++c)
            EXPECT_EQ(reread.Value(i, c), CodePage::FromWindows1252(CodePage::ToWindows1252(saved[i - 1][c])))
                << "record " << i << " column " << c;

    m_data.Save(m_file.string(), true);
    EXPECT_EQ(ReadFileBytes(m_file), bytes + bytes);
}

TEST_F(MarlinDataTest, SaveNeedsATweetSet) {
    ASSERT_TRUE(LoadBytes(TableLine({"a"})));
    EXPECT_THROW(m_data.Save((m_temp / "out.txt").string(), false), std::logic_error);
}

TEST_F(MarlinDataTest, LoadKeepsTheHeaderAsRecordOneAndChecksIndexes) {
    ASSERT_TRUE(LoadBytes(TweetTableHeader() +
                          TableLine({"Wed Aug 27 13:08:45 0000 2008", "ann", "caf\xE9 \x80 5"}) + "\r\n" +
                          TableLine({"d2", "bob"})));
    ASSERT_EQ(m_data.RecordCount(), 3);
    EXPECT_EQ(m_data.Value(1, 1), "DateTime");
    EXPECT_EQ(m_data.Value(1, 16), "UserDescription");
    EXPECT_EQ(m_data.Value(2, 3), "café € 5");
    EXPECT_EQ(m_data.Value(2, 16), "f16");
    EXPECT_EQ(m_data.Value(3, 2), "bob");

    EXPECT_THROW(m_data.Value(0, 1), std::out_of_range);
    EXPECT_THROW(m_data.Value(4, 1), std::out_of_range);
    EXPECT_THROW(m_data.Value(2, 0), std::out_of_range);  // a loaded table has no column 0
    EXPECT_THROW(m_data.Value(2, 17), std::out_of_range);
}

TEST_F(MarlinDataTest, LoadRejectsMissingAndShortFilesAndKeepsTheTable) {
    ASSERT_TRUE(LoadBytes(TableLine({"kept"})));
    EXPECT_FALSE(m_data.Load((m_temp / "missing.txt").string()));
    EXPECT_FALSE(m_data.Load(m_temp.path().string()));  // a folder

    std::string fifteen = "x";
    for (int n = 2; n <= 15; ++n) fifteen += "\tx";
    EXPECT_FALSE(LoadBytes(TableLine({"a"}) + fifteen + "\r\n"));
    EXPECT_FALSE(LoadBytes(TableLine({"a"}) + "no tabs at all\r\n"));
    ASSERT_EQ(m_data.RecordCount(), 1);
    EXPECT_EQ(m_data.Value(1, 1), "kept");
    // Sixteen fields without the trailing tab are enough.
    std::string exact = TableLine({"b"}, "");
    exact.pop_back();
    EXPECT_TRUE(LoadBytes(exact));
    EXPECT_EQ(m_data.Value(1, 16), "f16");
}

TEST_F(MarlinDataTest, LoadReadsLineFeedFilesOfAnyLength) {
    std::string big;
    for (int i = 1; i <= 40; ++i) {
        std::string dateTime = "d";
        dateTime += std::to_string(i);
        big += TableLine({dateTime, "user", "some text to make it long"}, "\n");
    }
    ASSERT_GT(big.size(), 2048u);
    ASSERT_TRUE(LoadBytes(big));
    ASSERT_EQ(m_data.RecordCount(), 40);
    EXPECT_EQ(m_data.Value(1, 1), "d1");
    EXPECT_EQ(m_data.Value(40, 1), "d40");
    EXPECT_EQ(m_data.Value(40, 16), "f16");

    // Without a final line feed the last record is kept all the same.
    big.pop_back();
    ASSERT_TRUE(LoadBytes(big));
    EXPECT_EQ(m_data.RecordCount(), 40);

    // A short line-feed file is as many records as lines, not one record run together.
    ASSERT_TRUE(LoadBytes(TableLine({"s1"}, "\n") + "\n" + TableLine({"s2"}, "\n")));
    ASSERT_EQ(m_data.RecordCount(), 2);
    EXPECT_EQ(m_data.Value(1, 16), "f16");
    EXPECT_EQ(m_data.Value(2, 1), "s2");
}

TEST_F(MarlinDataTest, LoadOfCrLfFileKeepsLongLinesAndLineFeedsInsideFields) {
    const std::string longText(2100, 'x');
    ASSERT_TRUE(LoadBytes(TableLine({"r1"}) + TableLine({"r2", "u", longText}) +
                          TableLine({"r3", "u", "two\nlines"}) + "\r\r\n" + TableLine({"r4"}, "\r") +
                          TableLine({"r5"})));
    ASSERT_EQ(m_data.RecordCount(), 5);
    EXPECT_EQ(m_data.Value(1, 1), "r1");
    EXPECT_EQ(m_data.Value(2, 3), longText);
    EXPECT_EQ(m_data.Value(3, 3), "two\nlines");
    EXPECT_EQ(m_data.Value(4, 1), "r4");
    EXPECT_EQ(m_data.Value(5, 1), "r5");
}

// A byte-order mark says UTF-8; without it the bytes are Windows-1252 (E9 is "é" there).
TEST_F(MarlinDataTest, LoadReadsAFileWithTheUtf8MarkAsUtf8) {
    const std::string cafe = "caf\xC3\xA9 \xF0\x9F\x98\x80";
    ASSERT_TRUE(LoadBytes("\xEF\xBB\xBF" + TableLine({"r1", cafe})));
    EXPECT_EQ(m_data.Value(1, 1), "r1");
    EXPECT_EQ(m_data.Value(1, 2), cafe);
    ASSERT_TRUE(LoadBytes(TableLine({"r1", "caf\xE9"})));
    EXPECT_EQ(m_data.Value(1, 2), "caf\xC3\xA9");
    ASSERT_TRUE(LoadBytes(TableLine({"\xEF\xBB"})));  // no whole mark: Windows-1252
    EXPECT_EQ(m_data.Value(1, 1), "\xC3\xAF\xC2\xBB");
}

}  // namespace
}  // namespace marlin::testing
