// What the Network tab draws of a graph too large to draw whole.
#include "workspace/export/network_picture.h"

#include <gtest/gtest.h>

namespace marlin::testing {
namespace {

// `nodes` with ties and `untied` more without any.
NetworkGraph Ring(int nodes, int hubs, int untied) {
    NetworkGraph graph;
    for (int k = 0; k < nodes + untied; ++k) graph.nodes.push_back({std::to_string(100000 + k), "", 1});
    auto link = [&graph](int s, int t) {
        NetworkGraph::Edge edge;
        edge.source = s;
        edge.target = t;
        edge.weight = 1;
        graph.edges.push_back(edge);
    };
    // The first `hubs` nodes tie to their next four (an 8-core: links in and out count); every
    // other node hangs on one of them, or, without hubs, on the next node of one ring (a 2-core).
    for (int k = 0; k < hubs; ++k)
        for (int step = 1; step <= 4; ++step) link(k, (k + step) % hubs);
    for (int k = hubs; k < nodes; ++k) link(k, hubs > 0 ? k % hubs : (k + 1) % nodes);
    return graph;
}

TEST(NetworkPictureTest, ALargeGraphIsDrawnByItsDensestPartAndSaysSo) {
    struct Case {
        int nodes, hubs, untied;
        std::size_t drawn;
        std::string note;
    } cases[] = {
        {300, 30, 0, 300, ""},
        {300, 30, 100, 300, "100 nodes without ties not drawn"},
        {6000, 300, 0, 300, "Showing the 300 nodes of the 8-core of 6,000 nodes"},
        {6000, 0, 0, 5000, "Showing the 5,000 nodes of highest PageRank of 6,000 nodes"},
    };
    for (const Case& c : cases) {
        const NetworkPicture picture = NetworkPicture::Of(Ring(c.nodes, c.hubs, c.untied));
        EXPECT_EQ(picture.DrawnNodes().size(), c.drawn) << c.nodes;
        EXPECT_EQ(picture.Note(), c.note);
        for (const int node : picture.DrawnNodes()) {
            const NetworkPicture::Point p = picture.Position(node);
            ASSERT_TRUE(p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1) << node;
        }
        for (const int edge : picture.DrawnEdges()) {
            const auto& e = picture.Graph().edges[static_cast<std::size_t>(edge)];
            EXPECT_TRUE(
                std::binary_search(picture.DrawnNodes().begin(), picture.DrawnNodes().end(), e.source));
            EXPECT_TRUE(
                std::binary_search(picture.DrawnNodes().begin(), picture.DrawnNodes().end(), e.target));
        }
    }
}

}  // namespace
}  // namespace marlin::testing
