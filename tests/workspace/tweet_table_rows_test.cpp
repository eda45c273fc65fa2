// Open reads a tweet table file a piece at a time straight into rows. Whatever the pieces,
// it must give the rows, the refusals and the exceptions that reading the whole file into
// the scorer's data and filling the table from it gives.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/exact_text.h"
#include "sentiment/marlin_data.h"
#include "test_support.h"
#include "workspace/tables/tweet_table_file.h"

namespace marlin::testing {
namespace {

using RowsRead = TweetTableFile::RowsRead;

std::string Line(const std::string& id, const std::string& text = "hello", const std::string& positive = "2",
                 const std::string& negative = "-1") {
    return TweetLine{.text = text, .id = id, .positive = positive, .negative = negative}.Line();
}

// What the whole-file reader makes of a file: the rows, RowsRead::Unreadable, or "throws".
struct WholeRead {
    RowsRead read = RowsRead::Unreadable;
    std::vector<std::vector<std::string>> rows;
    bool utf8 = false;
    bool threw = false;
};

WholeRead ReadWhole(const std::string& file) {
    ProcessHost host;
    MarlinData data(host, std::filesystem::path(file).parent_path());
    WholeRead out;
    try {
        bool zeros = false;
        if (!TweetTableFile::Load(data, file, &zeros)) return out;
        out.read = zeros ? RowsRead::ZeroScores : RowsRead::Read;
        out.utf8 = data.LoadedUtf8();
        if (zeros) return out;
        TweetTable table;
        table.AddRecords(data, false);
        for (int row = 0; row < table.Rows().RowCount(); ++row)
            out.rows.push_back(table.Rows().RowCells(row));
    } catch (const std::exception&) {
        out.threw = true;
    }
    return out;
}

WholeRead ReadInPieces(const std::string& file, std::size_t piece) {
    WholeRead out;
    try {
        TweetTableFile::Rows read = TweetTableFile::ReadRows(file, piece);
        out.read = read.read;
        out.utf8 = read.utf8;
        for (const ReportRow& row : read.rows) out.rows.push_back(row.Cells());
    } catch (const std::exception&) {
        out.threw = true;
    }
    return out;
}

TEST(TweetTableRowsTest, PiecesOfAnySizeGiveWhatTheWholeFileGives) {
    const std::string two = Line("2") + Line("1");
    std::string lineFeeds = two;
    for (std::size_t at; (at = lineFeeds.find("\r\n")) != std::string::npos;) lineFeeds.erase(at, 1);
    const struct Case {
        const char* name;
        std::string bytes;
        RowsRead expected;
    } cases[] = {
        {"header and records", TweetTableHeader() + two, RowsRead::Read},
        {"no header", two, RowsRead::Read},
        {"line feeds alone", lineFeeds, RowsRead::Read},
        {"a line feed inside a later text", Line("2") + Line("1", "one\ntwo"), RowsRead::Read},
        {"empty lines between", "\r\n" + Line("2") + "\r\n\r\n" + Line("1"), RowsRead::Read},
        {"code page bytes", Line("2", "caf\xE9 \x81\x80") + Line("1"), RowsRead::Read},
        {"the UTF-8 mark", std::string(ExactText::kUtf8Mark) + Line("2", "caf\xC3\xA9") + Line("1"),
         RowsRead::Read},
        {"no end after the last", two.substr(0, two.size() - 2), RowsRead::Read},
        {"a text longer than a piece", Line("2", std::string(5000, 'x')) + Line("1"), RowsRead::Read},
        {"a line of fifteen fields", two + "a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to\r\n",
         RowsRead::Unreadable},
        {"a score that is no number", Line("2", "hi", "many") + Line("1"), RowsRead::Read /* throws */},
        {"a bad score before a short line", Line("2", "hi", "many") + "a\tb\r\n", RowsRead::Unreadable},
        {"zero scores first", Line("2", "hi", "0", "0") + Line("1"), RowsRead::ZeroScores},
        {"zero scores later", Line("2") + Line("1", "hi", "0", "0"), RowsRead::Read},
        {"a header alone", TweetTableHeader(), RowsRead::Read /* throws */},
        {"nothing", "", RowsRead::Read /* throws */},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string file = (folder / "table.txt").string();
        WriteFileBytes(file, c.bytes);
        const WholeRead whole = ReadWhole(file);
        if (!whole.threw) {
            EXPECT_EQ(whole.read, c.expected) << c.name;  // the cases are what they say
        }
        // A piece that ends just after the first CR, before its LF, among them.
        const std::size_t afterCr = c.bytes.find('\r') == std::string::npos ? 16 : c.bytes.find('\r') + 1;
        for (const std::size_t piece : {std::size_t{16}, std::size_t{17}, afterCr, std::size_t{1} << 20}) {
            const WholeRead pieces = ReadInPieces(file, piece);
            EXPECT_EQ(pieces.threw, whole.threw) << c.name << ", pieces of " << piece;
            EXPECT_EQ(pieces.read, whole.read) << c.name << ", pieces of " << piece;
            EXPECT_EQ(pieces.utf8, whole.utf8) << c.name << ", pieces of " << piece;
            EXPECT_EQ(pieces.rows, whole.rows) << c.name << ", pieces of " << piece;
        }
    }
    EXPECT_EQ(ReadInPieces((folder / "missing.txt").string(), 16).read, RowsRead::Unreadable);
    EXPECT_EQ(ReadInPieces(folder.path().string(), 16).read, RowsRead::Unreadable);  // a folder
}

// The extra columns after the documented ones: a file with them reads back with them and is
// written again byte for byte; without them the table writes the documented columns alone,
// whatever cells its rows hold; a file of the documented columns reads as it always did.
TEST(TweetTableRowsTest, ExtraColumnsReadBackAndAreWrittenOnlyWhileShown) {
    const std::string extra = "20\t19\t7\t\t\t2\t0\t1\t45\t";
    auto withExtra = [](const std::string& id, const std::string& cells) {
        const std::string line = Line(id);
        return line.substr(0, line.size() - 2) + cells + "\r\n";
    };
    const std::string plain = Line("20") + Line("3");
    TempFolder folder;
    const std::string file = (folder / "extra.txt").string();
    struct Case {
        const char* name;
        std::string bytes;
        bool extraColumns;
    };
    const Case cases[] = {
        // A row without them is written with them empty, as wide as the others.
        {"with the extra columns", withExtra("20", extra) + withExtra("3", std::string(9, '\t')), true},
        {"the documented columns alone", plain, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(file, c.bytes);
        TweetTableFile::Rows read = TweetTableFile::ReadRows(file);
        ASSERT_EQ(read.read, RowsRead::Read);
        EXPECT_EQ(read.extraColumns, c.extraColumns);
        TweetTable table;
        table.AddRows(std::move(read.rows));
        table.SetExtraColumns(read.extraColumns);
        ASSERT_TRUE(TweetTableFile::Write(table, file, false));
        EXPECT_EQ(ReadFileBytes(file), c.bytes);
        // The scorer's data holds the documented columns; the extra ones come back by id.
        const auto cells = TweetTableFile::ExtraCells(file);
        EXPECT_EQ(cells.contains("20") ? cells.at("20") : "", c.extraColumns ? extra : "");
        table.SetExtraColumns(false);
        ASSERT_TRUE(TweetTableFile::Write(table, file, false));
        EXPECT_EQ(ReadFileBytes(file), plain);
    }
}

}  // namespace
}  // namespace marlin::testing
