// The network export read back the way graph programs read it: by an XML reader, here
// Qt's, with the GraphML keys resolved to their attribute names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QXmlStreamReader>
#include <map>
#include <string>
#include <vector>

#include "core/tweet_column.h"
#include "platform/report_list.h"
#include "workspace/export/network_export.h"
#include "workspace/tweets/tweet_table_view.h"

namespace marlin {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

struct Graph {
    bool directed = false;
    std::map<std::string, std::map<std::string, std::string>> nodes;  // id -> attribute -> value
    std::vector<std::string> edges;                                   // "source>target kind weight"
};

Graph Parse(const std::string& text) {
    Graph graph;
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    std::map<std::string, std::string> keyNames;
    std::map<std::string, std::string>* data = nullptr;
    std::map<std::string, std::string> edgeData;
    std::string edgeEnds;
    while (!xml.atEnd()) {
        if (!xml.readNext() || !xml.isStartElement()) {
            if (xml.isEndElement() && xml.name() == u"edge")
                graph.edges.push_back(edgeEnds + " " + edgeData["kind"] + " " + edgeData["weight"]);
            continue;
        }
        const auto attr = [&](const char* name) {
            return xml.attributes().value(name).toString().toStdString();
        };
        if (xml.name() == u"key") {
            keyNames[attr("id")] = attr("attr.name");
        } else if (xml.name() == u"graph") {
            graph.directed = attr("edgedefault") == "directed";
        } else if (xml.name() == u"node") {
            data = &graph.nodes[attr("id")];
        } else if (xml.name() == u"edge") {
            edgeData.clear();
            data = &edgeData;
            edgeEnds = attr("source") + ">" + attr("target");
        } else if (xml.name() == u"data" && data) {
            const std::string key = keyNames.at(attr("key"));
            (*data)[key] = xml.readElementText().toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return graph;
}

void AddTweet(ReportList& table, const char* time, const char* author, const char* text,
              const char* followers) {
    std::vector<std::string> cells(TweetColumn::Count);
    cells[TweetColumn::DateTime] = time;
    cells[TweetColumn::UserScreenName] = author;
    cells[TweetColumn::Tweet] = text;
    cells[TweetColumn::UserFollowers] = followers;
    cells[TweetColumn::UserLocation] = "Caf\xC3\xA9 & <Bar>";
    table.AddRow(cells);
}

TEST(GraphMLReadTest, TheGraphOfAKnownTableParsesBackExactly) {
    ReportList table;
    for (const char* header : TweetTable::kHeaders) table.AddColumn(header);
    AddTweet(table, "Wed Aug 27 13:00:00 +0000 2008", "Ann", "RT @Ben: look @cy", "     10");
    AddTweet(table, "Wed Aug 27 14:00:00 +0000 2008", "ann", "@BEN @ben again", "     12");
    AddTweet(table, "Wed Aug 27 15:00:00 +0000 2008", "ann", "@ben third", "     12");
    AddTweet(table, "Wed Aug 27 16:00:00 +0000 2008", "cy", "no names", "3");

    const Graph graph = Parse(NetworkExport::FromTweets(table).GraphML());
    EXPECT_TRUE(graph.directed);
    ASSERT_EQ(graph.nodes.size(), 3u);
    EXPECT_THAT(graph.nodes.at("ann"),
                ElementsAre(Pair("followers", "12"), Pair("label", "Ann"),
                            Pair("location", "Caf\xC3\xA9 & <Bar>"), Pair("tweets_in_table", "3")));
    EXPECT_THAT(graph.nodes.at("ben"), ElementsAre(Pair("label", "Ben")));
    EXPECT_EQ(graph.nodes.at("cy").at("tweets_in_table"), "1");
    EXPECT_THAT(graph.edges, ElementsAre("ann>ben retweet 1", "ann>ben mention 2", "ann>cy mention 1"));
}

}  // namespace
}  // namespace marlin
