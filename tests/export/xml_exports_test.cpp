// Every XML file the exports write, read back by the libraries researchers open it with:
// the graphs by networkx, the workbook by openpyxl. A tweet or a profile may hold any
// character; what XML 1.0 cannot carry is left out, and the rest arrives as it was.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/xml_text.h"
#include "python_reader.h"
#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/export/hashtag_network.h"
#include "workspace/export/network_export.h"
#include "workspace/export/xlsx_export.h"

namespace marlin::testing {
namespace {

// For each argument "key:file", a line "file" and then, one JSON text a line, the nodes'
// `key` attribute (sorted by node id) of a graph, or the cells C2 onwards of a workbook;
// a file a library refuses prints its error.
constexpr const char* kReadBackScript = R"(
import sys, json, networkx, openpyxl
for argument in sys.argv[1:]:
    key, name = argument.split(':', 1)
    print(name)
    if name.endswith('.graphml'):
        graph = networkx.read_graphml(name)
        for node, data in sorted(graph.nodes(data=True)):
            if key in data: print(json.dumps(data[key], ensure_ascii=False))
    else:
        sheet = openpyxl.load_workbook(name).worksheets[0]
        for row in sheet.iter_rows(min_row=2, min_col=3, max_col=3):
            print(json.dumps(row[0].value or '', ensure_ascii=False))
)";

struct Case {
    const char* what;
    std::string raw, kept;
};

const Case kCases[] = {
    {"C0 controls",
     "a\x01"
     "b\x0B"
     "c\x1F"
     "d",
     "abcd"},
    {"tab and line ends stay", "a\tb\nc", "a\tb\nc"},
    {"U+FFFE and U+FFFF",
     "x\xEF\xBF\xBE"
     "y\xEF\xBF\xBF"
     "z",
     "xyz"},
    {"U+FDD0 and U+1FFFE", "p\xEF\xB7\x90q\xF0\x9F\xBF\xBEr", "pqr"},
    {"a stray byte", "k\xFFm", "k\xEF\xBF\xBDm"},
    {"real characters", "K\xC3\xB6ln \xF0\x9F\x98\x80 <&>\"'", "K\xC3\xB6ln \xF0\x9F\x98\x80 <&>\"'"},
};

class XmlExportsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HavePythonModule("networkx, openpyxl"))
            GTEST_SKIP() << "python3-networkx or python3-openpyxl is not installed";
    }
    TempFolder folder;
};

TEST_F(XmlExportsTest, EveryGraphAndWorkbookOpensWithTheTextsXmlCanHold) {
    // One row a case: the case's text as the author's location (a node attribute of the
    // mention graph), in a hashtag (a node label of the hashtag graph) and as the tweet.
    std::vector<TweetRow> rows;
    std::vector<std::string> kept;
    for (std::size_t k = 0; k < std::size(kCases); ++k) {
        std::string author = std::to_string(k);
        author.insert(author.begin(), 'a');
        rows.push_back({"Wed Aug 27 13:08:45 +0000 2008", author, kCases[k].raw, std::to_string(k + 1), "",
                        "", kCases[k].raw});
        kept.push_back(JsonString(kCases[k].kept));
    }
    ReportList table;
    FillTweets(table, rows);
    const auto mentions = folder / "m.graphml", tags = folder / "h.graphml", book = folder / "t.xlsx";
    ASSERT_TRUE(NetworkExport::FromTweets(table).Write(mentions.string()));
    ASSERT_TRUE(XlsxExport::Write(book.string(), {XlsxExport::TweetsSheet(table)}));
    for (TweetRow& row : rows) row.text = "#" + row.text;
    FillTweets(table, rows);
    ASSERT_TRUE(HashtagNetwork::FromTweets(table, HashtagNetwork::Shape::CoHashtag).Write(tags.string()));

    const std::vector<std::string> read = RunPython(
        kReadBackScript, {"location:" + mentions.string(), "-:" + book.string(), "label:" + tags.string()});
    const auto tagsAt = std::find(read.begin(), read.end(), tags.string());
    ASSERT_NE(tagsAt, read.end()) << Joined(read);
    std::vector<std::string> expected{mentions.string()};
    expected.insert(expected.end(), kept.begin(), kept.end());
    expected.push_back(book.string());
    expected.insert(expected.end(), kept.begin(), kept.end());
    EXPECT_EQ(std::vector<std::string>(read.begin(), tagsAt), expected) << Joined(read);
    // A hashtag ends where its word does; every label read is one the sanitizer allows.
    ASSERT_NE(tagsAt + 1, read.end()) << Joined(read);
    for (auto label = tagsAt + 1; label != read.end(); ++label) EXPECT_EQ(XmlText::Clean(*label), *label);
}

}  // namespace
}  // namespace marlin::testing
