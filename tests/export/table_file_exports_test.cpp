// The exports of a table file read it a row at a time; the files they write must be the
// very bytes the exports of the whole table, read first, write. Each case is exported both
// ways and compared: the CSV file, the workbook's parts, the frequency files and the graphs.
#include <gtest/gtest.h>

#include "python_reader.h"
#include "test_support.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/frequency_files.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/export/network_export.h"
#include "workspace/export/table_file_reader.h"
#include "workspace/export/xlsx_export.h"
#include "workspace/tables/tweet_table.h"
#include "workspace/tables/user_table.h"

namespace marlin::testing {
namespace {

// The reader takes the file a mebibyte at a time.
constexpr std::size_t kPiece = 1 << 20;

// A tweet table line: the cells given, the rest empty, a tab after each, then `end`.
std::string TweetLine(std::vector<std::string> cells, const std::string& end = "\r\n") {
    cells.resize(16);
    std::string line;
    for (const std::string& cell : cells) line += cell + "\t";
    return line + end;
}

std::string Header() {
    std::vector<std::string> names(TweetTable::kHeaders.begin(), TweetTable::kHeaders.end());
    return TweetLine(names);
}

// Rows of every kind of cell the exports treat apart: padded and plain numbers, a text that
// is a number, formula starters, quotes, "null" coordinates, a link, an undated row.
std::string Rows(const std::string& end = "\r\n", int copies = 1) {
    std::string rows;
    for (int k = 0; k < copies; ++k) {
        const std::string n = std::to_string(k);
        rows += TweetLine({"Wed Aug 27 13:08:45 +0000 2014", "alice", "RT @bob: \"quoted\" #Data, see",
                           "12345678901234567" + n, "Alice A", "   42", "7", "Leeds", "0", "null", "9", "1",
                           "http://www.Example.com/x", "2", "-3", "=cmd"},
                          end);
        rows += TweetLine({"Thu Aug 28 01:00:00 +0000 2014", " bob ", "42", "2" + n, "", "0", "0", "", "",
                           "51.5,-0.1", "0", "0", "", "1", "-1", "+plus @carol #x #X"},
                          end);
        rows += TweetLine(
            {"not a date", "carol", "@alice -minus", "3" + n, "", "", "", "", "", "", "", "", "", "", "", ""},
            end);
    }
    return rows;
}

std::string UserLine(const std::string& id, const std::string& name, const std::string& end = "\r\n") {
    std::string line = id + "\t" + name;
    for (int k = 2; k < UserTable::kColumnCount; ++k) {
        line += '\t';
        line += std::to_string(k * 1000);
    }
    return line + "\t" + end;
}

struct Case {
    const char* name;
    std::string bytes;
    bool users = false;
};

std::vector<Case> Cases() {
    // A CR LF whose CR ends the first piece and whose line feed begins the next.
    std::string straddle = Header();
    std::string filler = TweetLine({"Wed Aug 27 13:08:45 +0000 2014", "a", "", "1"});
    std::string longText(kPiece - 1 - straddle.size() - filler.size() + 2, 'x');
    straddle += TweetLine({"Wed Aug 27 13:08:45 +0000 2014", "a", longText, "1"});
    straddle += Rows();
    return {
        {"header, CR LF", Header() + Rows()},
        {"no header, line feeds only", Rows("\n")},
        {"CR ends, a line feed inside a text",
         Rows("\r") + TweetLine({"Wed Aug 27 13:08:45 +0000 2014", "a", "two\nlines"}, "\r")},
        {"UTF-8 behind its mark", "\xEF\xBB\xBF" + Header() +
                                      TweetLine({"x",
                                                 "z\xC3\xBC"
                                                 "rich",
                                                 "caf\xC3\xA9 \xE2\x82\xAC"})},
        {"Windows-1252", Rows() + TweetLine({"x", "z\xFCrich", "caf\xE9 \x80 \x81"})},
        {"empty lines, no end on the last", "\r\n" + Rows() + "\r\n\r\n" + TweetLine({"x", "last"}, "")},
        {"a line short of cells is no tweet table", Rows() + "a\tb\tc\r\n" + Rows()},
        {"empty file", ""},
        {"lines across many pieces", Header() + Rows("\r\n", 5000)},
        {"CR files across many pieces", Rows("\r", 5000)},
        {"a line end split between two pieces", straddle},
        {"users", UserLine("987654321098765432", "carol") + UserLine("1", "=bad\t/web"), true},
        {"users behind the mark, line feeds",
         "\xEF\xBB\xBF" + UserLine("5", "d\xC3\xA9", "\n") + "\n" + UserLine("6", "x", "\n"), true},
        {"users in Windows-1252, a short line", UserLine("5", "d\xE9") + "7\tshort\r\n", true},
    };
}

// Every part of a workbook as a line "name size crc", the document properties left out
// (they hold the time the file was made).
std::vector<std::string> WorkbookParts(const std::filesystem::path& workbook) {
    return RunPython(
        "import sys, zipfile\n"
        "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
        "    if i.filename != 'docProps/core.xml': print(i.filename, i.file_size, i.CRC)\n",
        {workbook.string()});
}

class TableFileExportsTest : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(TableFileExportsTest, ReadingTheFileRowByRowWritesTheSameFilesAsReadingTheTableFirst) {
    const bool python = HavePythonModule("zipfile");
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string table = (folder / (c.users ? "t.mut" : "t.txt")).string();
        WriteFileBytes(table, c.bytes);
        ReportList held;
        const bool read =
            c.users ? TableFileReader::ReadUsers(table, held) : TableFileReader::ReadTweets(table, held);
        const auto kinds = c.users ? CellKinds::ForUsers(held) : CellKinds::ForTweets(held);

        const bool csvHeld = read && CsvExport::Write((folder / "held.csv").string(), held, kinds, {});
        const bool csvStreamed =
            c.users ? CsvExport::UsersFromTableFile(table, (folder / "streamed.csv").string())
                    : CsvExport::TweetsFromTableFile(table, (folder / "streamed.csv").string());
        ASSERT_EQ(csvStreamed, csvHeld);
        if (csvHeld) {
            EXPECT_EQ(ReadFileBytes(folder / "streamed.csv"), ReadFileBytes(folder / "held.csv"));
        }

        ExportOptions small;
        if (c.bytes.size() < kPiece) small.sheetRows = 4;  // the rows go on in further sheets
        const std::string sheetName = c.users ? "t" : "Tweets";
        const bool xlsxHeld = read && XlsxExport::Write((folder / "held.xlsx").string(),
                                                        {c.users ? XlsxExport::UsersSheet(held, sheetName)
                                                                 : XlsxExport::TweetsSheet(held)},
                                                        small);
        const bool xlsxStreamed =
            c.users ? XlsxExport::UsersFromTableFile(table, (folder / "streamed.xlsx").string(), small)
                    : XlsxExport::TweetsFromTableFile(table, (folder / "streamed.xlsx").string(), small);
        ASSERT_EQ(xlsxStreamed, xlsxHeld);
        if (xlsxHeld && python) {
            EXPECT_EQ(WorkbookParts(folder / "streamed.xlsx"), WorkbookParts(folder / "held.xlsx"));
        }

        // The graphs: GraphML files, compared whole.
        const auto sameGraph = [&](bool held, bool streamed) {
            ASSERT_EQ(streamed, held);
            if (held) {
                EXPECT_EQ(ReadFileBytes(folder / "streamed.graphml"), ReadFileBytes(folder / "held.graphml"));
            }
        };
        const std::string heldGraph = (folder / "held.graphml").string();
        const std::string streamedGraph = (folder / "streamed.graphml").string();
        if (c.users) {
            const NetworkExport::FollowList list{"carol", true};
            sameGraph(read && NetworkExport::FromFollowList(held, list).Write(heldGraph),
                      NetworkExport::FromUserTableFile(table, streamedGraph, list));
            continue;
        }
        sameGraph(read && NetworkExport::FromTweets(held).Write(heldGraph),
                  NetworkExport::FromTableFile(table, streamedGraph));
        for (const auto shape : {HashtagNetwork::Shape::CoHashtag, HashtagNetwork::Shape::HashtagUser})
            sameGraph(read && HashtagNetwork::FromTweets(held, shape).Write(heldGraph),
                      HashtagNetwork::FromTableFile(table, streamedGraph, shape));

        const bool frequenciesHeld =
            read && FrequencyFiles::Write(
                        (folder / "held.xlsx").string(),
                        TweetFrequencies::FromTable(held, TweetFrequencies::Interval::Hour, {true, nullptr}));
        const bool frequenciesStreamed =
            FrequencyFiles::FromTableFile(table, (folder / "streamed.xlsx").string(), "hour", true, {});
        ASSERT_EQ(frequenciesStreamed, frequenciesHeld);
        if (frequenciesHeld && python) {
            EXPECT_EQ(WorkbookParts(folder / "streamed.xlsx"), WorkbookParts(folder / "held.xlsx"));
        }
    }
}

}  // namespace
}  // namespace marlin::testing
