// The interaction network of known posts, and its measures and files read back by networkx,
// pandas and openpyxl, which compute the same measures on their own.
#include "workspace/export/interaction_network.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "core/bsky_post_id.h"
#include "python_reader.h"
#include "test_support.h"
#include "tweet_rows.h"
#include "workspace/export/network_files.h"
#include "workspace/export/network_measures.h"

namespace marlin::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> EdgeLines(const NetworkGraph& graph) {
    std::vector<std::string> lines;
    for (const NetworkGraph::Edge& e : graph.edges)
        lines.push_back(graph.nodes[e.source].id + ">" + graph.nodes[e.target].id + " " + e.kind + " " +
                        std::to_string(e.weight));
    return lines;
}

TEST(InteractionNetworkTest, EachPostGivesItsRepliesQuotesRepostsAndMentions) {
    struct Case {
        const char* what;
        std::string text;
        std::string archiveLine;  // the post's line in the archive, id 7; none when empty
        std::vector<std::string> edges;
    } cases[] = {
        {"a repost in the text names only whom it reposts", "RT @Bob: hi @carol", "", {"ann>bob repost 1"}},
        {"mentions in the text, each name once",
         "@bob thanks @Bob and @dave",
         "",
         {"ann>bob mention 1", "ann>dave mention 1"}},
        {"naming oneself is no interaction", "me @ANN", "", {}},
        {"v1.1 reply: the answered name is no mention too",
         "@ben yes @cid",
         R"({"id_str":"7","user":{"screen_name":"Ann"},"text":"@ben yes @cid","in_reply_to_screen_name":"ben",)"
         R"("entities":{"user_mentions":[{"screen_name":"ben"},{"screen_name":"cid"}]}})",
         {"ann>ben reply 1", "ann>cid mention 1"}},
        {"v1.1 quote",
         "look",
         R"({"id_str":"7","user":{"screen_name":"Ann"},"text":"look","in_reply_to_screen_name":null,)"
         R"("quoted_status":{"id_str":"3","user":{"screen_name":"Dan"}},"entities":{"user_mentions":[]}})",
         {"ann>dan quote 1"}},
        {"v1.1 repost from its retweeted_status",
         "RT @ben: x @cid",
         R"({"id_str":"7","user":{"screen_name":"Ann"},"text":"RT @ben: x @cid","retweeted_status":)"
         R"({"id_str":"3","user":{"screen_name":"Ben"}},"entities":{"user_mentions":[{"screen_name":"cid"}]}})",
         {"ann>ben repost 1"}},
        {"v2 reply and quote from referenced_tweets",
         "@ben see",
         R"({"id":"7","text":"@ben see","author":{"username":"Ann"},"referenced_tweets":[)"
         R"({"type":"replied_to","id":"3","tweet":{"id":"3","author":{"username":"ben"}}},)"
         R"({"type":"quoted","id":"4","tweet":{"id":"4","author":{"username":"cid"}}}],)"
         R"("entities":{"mentions":[{"username":"ben"}]}})",
         {"ann>ben reply 1", "ann>cid quote 1"}},
        {"v2 repost",
         "RT @ben: x @cid",
         R"({"id":"7","text":"RT @ben: x @cid","author":{"username":"Ann"},"referenced_tweets":[)"
         R"({"type":"retweeted","id":"3","tweet":{"id":"3","author":{"username":"ben"}}}],)"
         R"("entities":{"mentions":[{"username":"ben"},{"username":"cid"}]}})",
         {"ann>ben repost 1"}},
        {"v2 reference to a deleted post: no author, no edge",
         "hm",
         R"({"id":"7","text":"hm","author":{"username":"Ann"},"referenced_tweets":[{"type":"quoted","id":"4"}]})",
         {}},
        {"an archive without the post: the text speaks",
         "@eve hi",
         R"({"id_str":"8","user":{"screen_name":"Ann"},"text":"other","in_reply_to_screen_name":"zed"})",
         {"ann>eve mention 1"}},
    };
    for (const Case& c : cases) {
        ReportList table;
        FillTweets(table, {{"Wed Aug 27 13:00:00 +0000 2008", "Ann", c.text, "7"}});
        ArchiveReferences archive;
        if (!c.archiveLine.empty()) {
            EXPECT_TRUE(archive.AddLine(c.archiveLine)) << c.what;
        }
        const NetworkGraph graph = InteractionNetwork::FromTweets(table, &archive);
        EXPECT_THAT(EdgeLines(graph), ElementsAreArray(c.edges)) << c.what;
    }
}

// Bluesky posts as the archive keeps them: a reply names its parent's author by DID only (another
// line of the archive, before or after it, gives the handle), a quote is an embedded record view, a
// repost is the feed item, a mention is a facet at a UTF-8 byte range.
TEST(InteractionNetworkTest, BlueskyPostsGiveTheirRepliesQuotesRepostsAndMentions) {
    const std::string ann = R"("author":{"did":"did:plc:ann","handle":"ann.bsky.social"})";
    const std::string bob =
        R"({"uri":"at://did:plc:bob/app.bsky.feed.post/3b","author":{"did":"did:plc:bob",)"
        R"("handle":"bob.bsky.social"},"record":{"text":"hi","createdAt":"2026-12-01T09:00:00Z"},)"
        R"("indexedAt":"2026-12-01T09:00:00Z"})";
    auto post = [&](const std::string& record, const std::string& more = "") {
        return R"({"uri":"at://did:plc:ann/app.bsky.feed.post/3a",)" + ann + R"(,"record":{)" + record +
               R"(,"createdAt":"2026-12-01T10:00:00Z"},"indexedAt":"2026-12-01T10:00:00Z")" + more + "}";
    };
    const std::string postId = BskyPostId::Id(*BskyPostId::ParseIso("2026-12-01T10:00:00Z"),
                                              "at://did:plc:ann/app.bsky.feed.post/3a");
    const std::string repostUri = "at://did:plc:ann/app.bsky.feed.repost/3r";
    const std::string repostId = BskyPostId::Id(*BskyPostId::ParseIso("2026-12-02T08:00:00Z"), repostUri);
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::string id;
        std::vector<std::string> edges;
    } cases[] = {
        {"a reply whose parent's author a later line names",
         {post(R"("text":"yes","reply":{"root":{"uri":"at://did:plc:bob/app.bsky.feed.post/3b"},)"
               R"("parent":{"uri":"at://did:plc:bob/app.bsky.feed.post/3b"}})"),
          bob},
         postId,
         {"ann.bsky.social>bob.bsky.social reply 1"}},
        {"a reply to an author no line names: no edge",
         {post(R"("text":"yes","reply":{"parent":{"uri":"at://did:plc:zed/app.bsky.feed.post/3z"}})")},
         postId,
         {}},
        {"a quote with media",
         {post(R"("text":"look")", R"(,"embed":{"$type":"app.bsky.embed.recordWithMedia#view","record":)"
                                   R"({"record":{"uri":"at://did:plc:cid/app.bsky.feed.post/3c","author":)"
                                   R"({"did":"did:plc:cid","handle":"cid.bsky.social"}}}})")},
         postId,
         {"ann.bsky.social>cid.bsky.social quote 1"}},
        {"a mention after multi-byte characters, by its handle",
         // "olá 🎉 @bob.bsky.social": 5 bytes and 4 before the blank, so the mention is bytes 10..26.
         {post(R"("text":"olá 🎉 @bob.bsky.social","facets":[{"index":{"byteStart":10,"byteEnd":26},)"
               R"("features":[{"$type":"app.bsky.richtext.facet#mention","did":"did:plc:bob"}]}])")},
         postId,
         {"ann.bsky.social>bob.bsky.social mention 1"}},
        {"a repost names only whom it reposts",
         {R"({"post":)" + bob + R"(,"reason":{"$type":"app.bsky.feed.defs#reasonRepost","uri":")" +
          repostUri +
          R"(","by":{"did":"did:plc:ann","handle":"ann.bsky.social"},"indexedAt":"2026-12-02T08:00:00Z"}})"},
         repostId,
         {"ann.bsky.social>bob.bsky.social repost 1"}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        std::string lines;
        for (const std::string& line : c.lines) lines += line + "\n";
        WriteFileBytes(folder / "a.jsonl", lines);
        ArchiveReferences archive;
        ASSERT_TRUE(archive.Load(folder / "a.jsonl")) << c.what;
        ReportList table;
        FillTweets(table, {{"Tue Dec 01 10:00:00 +0000 2026", "ann.bsky.social", "plain", c.id}});
        EXPECT_THAT(EdgeLines(InteractionNetwork::FromTweets(table, &archive)), ElementsAreArray(c.edges))
            << c.what;
    }
}

TEST(InteractionNetworkTest, AnEdgeCarriesItsPostsTimesAndMeanSentiment) {
    ReportList table;
    FillTweets(table,
               {
                   {"Wed Aug 27 15:00:00 +0000 2008", "alice", "@bob one", "1", "", "", "", "", "2", "-1"},
                   {"Wed Aug 27 13:00:00 +0000 2008", "Alice", "@bob two", "2", "", "", "", "", "4", "-3"},
                   {"Wed Aug 27 14:00:00 +0000 2008", "alice", "@bob three", "3", "", "", "", "", "", ""},
                   {"Wed Aug 27 16:00:00 +0000 2008", "bob", "RT @alice: one", "4"},
               });
    const NetworkGraph graph = InteractionNetwork::FromTweets(table);
    ASSERT_THAT(EdgeLines(graph), ElementsAre("alice>bob mention 3", "bob>alice repost 1"));
    const NetworkGraph::Edge& edge = graph.edges[0];
    EXPECT_EQ(edge.last - edge.first, 2 * 3600);
    EXPECT_EQ(edge.scored, 2);
    EXPECT_DOUBLE_EQ(edge.MeanPositive(), 3);
    EXPECT_DOUBLE_EQ(edge.MeanNegative(), -2);
    EXPECT_EQ(graph.nodes[0].label, "alice");  // the spelling of the author's first row
    EXPECT_EQ(graph.nodes[0].posts, 3);
}

// A small directed graph with parallel kinds and a dangling node, and two dense groups
// joined by one tie: the communities are obvious.
NetworkGraph KnownGraph() {
    NetworkGraph graph;
    for (const char* id : {"a1", "a2", "a3", "a4", "b1", "b2", "b3", "b4", "loner"})
        graph.nodes.push_back({id, id, 1});
    auto link = [&graph](int s, int t, const char* kind, int weight) {
        NetworkGraph::Edge edge;
        edge.source = s;
        edge.target = t;
        edge.kind = kind;
        edge.weight = weight;
        graph.edges.push_back(edge);
    };
    for (int group : {0, 4})
        for (int s = 0; s < 4; ++s)
            for (int t = 0; t < 4; ++t)
                if (s != t && (s + t) % 3 != 0) link(group + s, group + t, "mention", 1 + (s * t) % 3);
    link(0, 1, "reply", 2);  // a second kind between the same two
    link(3, 4, "quote", 1);  // the one tie between the groups
    link(8, 0, "repost", 1);
    return graph;
}

constexpr const char* kCompareScript = R"(
import sys, math, networkx as nx, pandas as pd
graphml, nodes_csv, summary_csv, workbook = sys.argv[1:5]
m = nx.read_graphml(graphml)
g = nx.DiGraph()
g.add_nodes_from(m.nodes)
for u, v, d in m.edges(data=True):
    w = g[u][v]['weight'] if g.has_edge(u, v) else 0
    g.add_edge(u, v, weight=w + d['weight'])
u = nx.Graph()
u.add_nodes_from(g.nodes)
for a, b, d in g.edges(data=True):
    w = u[a][b]['weight'] if u.has_edge(a, b) else 0
    u.add_edge(a, b, weight=w + d['weight'])
expected = {
    'in_degree': dict(g.in_degree()), 'out_degree': dict(g.out_degree()),
    'weighted_in': dict(g.in_degree(weight='weight')), 'weighted_out': dict(g.out_degree(weight='weight')),
    'betweenness': nx.betweenness_centrality(g, normalized=False),
    'pagerank': nx.pagerank(g, alpha=0.85, weight='weight', tol=1e-13, max_iter=10000),
    'kcore': nx.core_number(g)}
bad = []
for name, values in expected.items():
    for node, value in values.items():
        if abs(m.nodes[node][name] - value) > 1e-6:
            bad.append(f'{name} {node}: {m.nodes[node][name]} != {value}')
ours = {}
for node, data in m.nodes(data=True):
    ours.setdefault(data['community'], set()).add(node)
theirs = nx.community.louvain_communities(u, weight='weight', seed=1)
if sorted(map(sorted, ours.values())) != sorted(map(sorted, theirs)):
    bad.append(f'communities {sorted(map(sorted, ours.values()))} != {sorted(map(sorted, theirs))}')
table = pd.read_csv(nodes_csv, dtype={'id': str}).set_index('id')
for node, data in m.nodes(data=True):
    for name in expected:
        if abs(table.loc[node, name] - data[name]) > 1e-9:
            bad.append(f'csv {name} {node}')
summary = pd.read_csv(summary_csv).iloc[0]
checks = {'nodes': g.number_of_nodes(), 'edges': g.number_of_edges(), 'density': nx.density(g),
          'components': nx.number_weakly_connected_components(g),
          'modularity': nx.community.modularity(u, list(ours.values()), weight='weight')}
for name, value in checks.items():
    if abs(summary[name] - value) > 1e-6:
        bad.append(f'summary {name}: {summary[name]} != {value}')
sheets = pd.read_excel(workbook, sheet_name=None, dtype={'id': str, 'source': str, 'target': str})
if list(sheets) != ['nodes', 'edges', 'summary']:
    bad.append(f'sheets {list(sheets)}')
elif not sheets['nodes'].set_index('id').equals(table) or len(sheets['edges']) != m.number_of_edges():
    bad.append('workbook differs from the csv')
print('\n'.join(bad) or 'same')
)";

class NetworkMeasuresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HavePythonModule("networkx, pandas, openpyxl")) GTEST_SKIP() << "networkx or pandas missing";
    }
    TempFolder folder;
};

TEST_F(NetworkMeasuresTest, MeasuresAndFilesAgreeWithNetworkx) {
    const NetworkGraph graph = KnownGraph();
    const std::string out = (folder / "g.graphml").string();
    ASSERT_TRUE(NetworkFiles::Write(out, graph));
    ASSERT_TRUE(NetworkFiles::Write((folder / "g.xlsx").string(), graph));
    EXPECT_THAT(
        RunPython(kCompareScript, {out, (folder / "g-nodes.csv").string(),
                                   (folder / "g-summary.csv").string(), (folder / "g.xlsx").string()}),
        ElementsAre("same"));
}

TEST(NetworkMeasuresPartitionTest, TheObviousGroupsAreTheCommunities) {
    const NetworkMeasures measures = NetworkMeasures::Of(KnownGraph());
    std::vector<int> community;
    for (const NetworkMeasures::Node& node : measures.Nodes()) community.push_back(node.community);
    EXPECT_THAT(community, ElementsAre(0, 0, 0, 0, 1, 1, 1, 1, 0));
    EXPECT_EQ(measures.Totals().components, 1);
    EXPECT_EQ(measures.Totals().communities, 2);
    EXPECT_GT(measures.Totals().modularity, 0.3);

    const NetworkMeasures empty = NetworkMeasures::Of(NetworkGraph{});
    EXPECT_EQ(empty.Totals().nodes, 0);
}

TEST(NetworkFilesTest, NumbersAreWrittenAsSpreadsheetsReadThem) {
    struct Case {
        double value;
        std::string text;
    } numbers[] = {{3, "3"},    {0.25, "0.25"}, {1.0 / 3, "0.333333333333"}, {12345.678, "12345.678"},
                   {-0.0, "0"}, {NAN, ""},      {1e-7, "0.0000001"}};
    for (const Case& c : numbers) EXPECT_EQ(NetworkFiles::Number(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace marlin::testing
