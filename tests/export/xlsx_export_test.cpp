// The workbook read back as pandas reads it: by openpyxl (the Debian package, hence the
// system python3), cell by cell with its type.
#include "workspace/export/xlsx_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "python_reader.h"
#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/users/user_profile_table.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;

// "A1 s 'ID'" per cell (type, repr of the value), then the sheet's frozen cell and filter.
constexpr const char* kDumpScript = R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
for sheet in book.worksheets:
    print('sheet', sheet.title, sheet.freeze_panes, sheet.auto_filter.ref)
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                kind = 'date' if cell.is_date else cell.data_type
                print(cell.coordinate, kind, repr(cell.value))
)";

std::vector<std::string> Dump(const std::filesystem::path& workbook) {
    const std::string command = "/usr/bin/python3 -c \"$MARLIN_DUMP\" '" + workbook.string() + "' 2>&1";
    setenv("MARLIN_DUMP", kDumpScript, 1);
    std::vector<std::string> lines;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe)) {
        lines.emplace_back(buffer);
        lines.back().pop_back();
    }
    if (pipe) pclose(pipe);
    return lines;
}

bool HaveOpenpyxl() {
    return std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
}

class XlsxExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl is not installed";
    }
    TempFolder folder;
};

TEST_F(XlsxExportTest, CellsKeepTheirTypesAndNoTextBecomesAFormula) {
    ReportList tweets;
    FillTweets(tweets, {{"Wed Aug 27 13:08:45 +0000 2008", "alice", "=1+1", "1234567890123456789", "12"},
                        {"27/08/2008 14:00:00", "@bob", "-5 below", "0000000000000000001", "n/a"}});
    const auto file = folder / "t.xlsx";
    ASSERT_TRUE(XlsxExport::Write(file.string(), {XlsxExport::TweetsSheet(tweets)}));

    const std::vector<std::string> cells = Dump(file);
    const auto has = [&](const std::string& line) {
        return std::find(cells.begin(), cells.end(), line) != cells.end();
    };
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells[0], "sheet Tweets A2 A1:P3");
    EXPECT_TRUE(has("A1 s 'DateTime'"));
    EXPECT_TRUE(has("A2 date datetime.datetime(2008, 8, 27, 13, 8, 45)"));
    EXPECT_TRUE(has("A3 date datetime.datetime(2008, 8, 27, 14, 0)"));
    EXPECT_TRUE(has("C2 s '=1+1'"));
    EXPECT_TRUE(has("C3 s '-5 below'"));
    EXPECT_TRUE(has("B3 s '@bob'"));
    EXPECT_TRUE(has("D2 s '1234567890123456789'"));
    EXPECT_TRUE(has("D3 s '0000000000000000001'"));
    EXPECT_TRUE(has("F2 n 12"));
    EXPECT_TRUE(has("F3 s 'n/a'"));  // a number column keeps a cell that is no number as text
    EXPECT_TRUE(has("N2 n 1")) << "Sent+";
    EXPECT_TRUE(has("O2 n -1")) << "Sent-";
}

TEST_F(XlsxExportTest, AUserTableFileBecomesANamedSheetAndAFailureLeavesTheEarlierFile) {
    std::string line = "987654321098765432\tcarol";
    for (int k = 2; k < UserTable::kColumnCount; ++k) {
        line += '\t';
        line +=
            k == UserTable::kCreatedAt ? std::string("Wed Aug 27 13:08:45 +0000 2008") : std::to_string(k);
    }
    WriteFileBytes(folder / "climate_followers.mut", line + "\r\n");
    const auto file = folder / "u.xlsx";
    ASSERT_TRUE(XlsxExport::UsersFromTableFile((folder / "climate_followers.mut").string(), file.string()));
    const std::vector<std::string> cells = Dump(file);
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells[0], "sheet climate_followers A2 A1:AK2");
    EXPECT_THAT(std::vector<std::string>(cells.begin() + 1 + UserTable::kColumnCount,
                                         cells.begin() + 4 + UserTable::kColumnCount),
                ElementsAre("A2 s '987654321098765432'", "B2 s 'carol'", "C2 s '2'"));

    WriteFileBytes(folder / "old.xlsx", "earlier");
    EXPECT_FALSE(
        XlsxExport::UsersFromTableFile((folder / "none.mut").string(), (folder / "old.xlsx").string()));
    EXPECT_FALSE(XlsxExport::Write((folder / "missing" / "x.xlsx").string(), {}));
    EXPECT_EQ(ReadFileBytes(folder / "old.xlsx"), "earlier");
}

// For each workbook its name, then each sheet as "title: D2 D3 …" (the ids of its rows)
// and its filter's range.
constexpr const char* kSheetsScript = R"(
import sys, openpyxl
for name in sys.argv[1:]:
    print(name)
    for sheet in openpyxl.load_workbook(name).worksheets:
        ids = [row[0].value for row in sheet.iter_rows(min_row=2, min_col=4, max_col=4)]
        print(sheet.title + ':', ' '.join(ids), sheet.auto_filter.ref)
)";

TEST_F(XlsxExportTest, RowsPastWhatASheetHoldsGoOnInFurtherSheetsAndTheExportSaysSo) {
    struct Case {
        int rows;
        std::vector<std::string> sheets;
        bool told;
    };
    // Four rows a sheet, the header included, stand for Excel's 1,048,576.
    const Case cases[] = {
        {0, {"Tweets:  A1:P1"}, false},
        {3, {"Tweets: 1 2 3 A1:P4"}, false},
        {4, {"Tweets: 1 2 3 A1:P4", "Tweets (2): 4 A1:P2"}, true},
        {7, {"Tweets: 1 2 3 A1:P4", "Tweets (2): 4 5 6 A1:P4", "Tweets (3): 7 A1:P2"}, true},
    };
    std::vector<std::string> files, expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        std::vector<TweetRow> rows;
        for (int k = 1; k <= c.rows; ++k) rows.push_back({"", "alice", "text", std::to_string(k)});
        ReportList tweets;
        FillTweets(tweets, rows);
        std::vector<std::string> told;
        ExportOptions options;
        options.sheetRows = 4;
        options.tell = [&told](const std::string& text) { told.push_back(text); };
        std::string name = std::to_string(c.rows);
        name += ".xlsx";
        files.push_back((folder / name).string());
        ASSERT_TRUE(XlsxExport::Write(files.back(), {XlsxExport::TweetsSheet(tweets)}, options));
        expected.push_back(files.back());
        expected.insert(expected.end(), c.sheets.begin(), c.sheets.end());
        ASSERT_EQ(told.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_EQ(told[0], files.back() + ": " + std::to_string(c.rows) +
                                   " rows of Tweets are more than a sheet holds (4 rows, the header "
                                   "included); the rest follow in the sheets Tweets (2) onwards");
        }
    }
    EXPECT_EQ(RunPython(kSheetsScript, files), expected);
}

TEST(XlsxSheetNameTest, NamesAreMadeFitForASheetTab) {
    EXPECT_EQ(XlsxExport::SheetName("a/b:c"), "a_b_c");
    EXPECT_EQ(XlsxExport::SheetName(""), "Sheet");
    EXPECT_EQ(XlsxExport::SheetName(std::string(40, 'x')), std::string(31, 'x'));
    EXPECT_EQ(XlsxExport::CellText("ok\xFF"), "ok\xEF\xBF\xBD");
}

}  // namespace
}  // namespace marlin::testing
