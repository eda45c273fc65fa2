#pragma once

#include <vector>

#include "workspace/export/network_graph.h"

namespace marlin {

// The measures researchers report of a graph, computed by igraph on the simple graph beneath
// it: edges of different kinds between the same two nodes are one edge whose weight is the
// sum of theirs (loops are left out; the analyses make none).
//   in_degree, out_degree  distinct nodes linked to and from (an undirected graph: degree, both)
//   weighted_in/out        the posts behind those links (an undirected graph: both the same)
//   betweenness            shortest paths through the node, on the directed graph, unweighted
//                          (a weight is posts, not a length) and not normalised; exact up to
//                          30 million node–edge visits (half a second), past that estimated
//                          from a sample of sources and scaled (betweennessSources says how
//                          many; all nodes when exact)
//   pagerank               damping 0.85, weighted by posts
//   kcore                  the coreness, in- and out-links counted together
//   community              Louvain (multilevel) on the undirected graph, weighted, resolution 1,
//                          with igraph's generator seeded so the same graph gives the same
//                          partition; numbered from 0, the largest community first
// with the graph's nodes, edges (of the simple graph), density, weakly connected components,
// the largest component's size, the communities and their modularity.
class NetworkMeasures {
  public:
    struct Node {
        int inDegree = 0, outDegree = 0;
        double weightedIn = 0, weightedOut = 0;
        double betweenness = 0, pagerank = 0;
        int kcore = 0, community = 0;
    };
    struct Summary {
        int nodes = 0, edges = 0;
        double density = 0;
        int components = 0, largestComponent = 0, communities = 0;
        double modularity = 0;
        int betweennessSources = 0;
    };

    static NetworkMeasures Of(const NetworkGraph& graph);

    const std::vector<Node>& Nodes() const { return m_nodes; }
    const Summary& Totals() const { return m_summary; }

    // The measures a chooser offers, in order, by their column names.
    enum class Measure { InDegree, OutDegree, WeightedIn, WeightedOut, Betweenness, PageRank, KCore };
    static const char* MeasureName(Measure measure);
    static double Value(const Node& node, Measure measure);

  private:
    std::vector<Node> m_nodes;
    Summary m_summary;
};

}  // namespace marlin
