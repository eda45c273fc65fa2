#include "workspace/export/network_measures.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "workspace/export/igraph_values.h"

namespace marlin {
namespace {

using namespace igraph_values;

// The graph's ties without loops; undirected, each from its lower node.
std::vector<Tie> Ties(const NetworkGraph& graph, bool directed) {
    std::vector<Tie> ties;
    ties.reserve(graph.edges.size());
    for (const NetworkGraph::Edge& edge : graph.edges) {
        if (edge.source == edge.target) continue;
        const auto [low, high] = std::minmax(edge.source, edge.target);
        ties.push_back(directed ? Tie{edge.source, edge.target, static_cast<double>(edge.weight)}
                                : Tie{low, high, static_cast<double>(edge.weight)});
    }
    return ties;
}

// Exact betweenness visits every edge once from every node. Past this many node–edge visits
// (about half a second) it is estimated from a sample of sources instead.
constexpr double kExactBetweennessWork = 3e7;
constexpr int kFewestSources = 100;

// Betweenness into `out`, exact or, on a large graph, estimated from a seeded sample of
// sources and scaled by nodes / sources (the estimator of Brandes and Pich, as networkx's
// k= does it). The number of sources used.
int Betweenness(const igraph_t& graph, bool directed, RealVector& out) {
    const igraph_integer_t nodes = igraph_vcount(&graph);
    const double work = static_cast<double>(nodes) * static_cast<double>(igraph_ecount(&graph));
    if (work <= kExactBetweennessWork) {
        Check(igraph_betweenness(&graph, &out.v, igraph_vss_all(), directed, nullptr), "betweenness");
        return static_cast<int>(nodes);
    }
    const auto sources = std::max<igraph_integer_t>(
        kFewestSources,
        static_cast<igraph_integer_t>(kExactBetweennessWork / static_cast<double>(igraph_ecount(&graph))));
    if (sources >= nodes) {
        Check(igraph_betweenness(&graph, &out.v, igraph_vss_all(), directed, nullptr), "betweenness");
        return static_cast<int>(nodes);
    }
    IntVector sample(sources);
    igraph_rng_seed(igraph_rng_default(), 20260502);
    Check(igraph_random_sample(&sample.v, 0, nodes - 1, sources), "sample");
    Check(igraph_betweenness_subset(&graph, &out.v, igraph_vss_all(), directed, igraph_vss_vector(&sample.v),
                                    igraph_vss_all(), nullptr),
          "betweenness");
    igraph_vector_scale(&out.v, static_cast<double>(nodes) / static_cast<double>(sources));
    return static_cast<int>(sources);
}

// PageRank by igraph's PRPACK solver on the calling thread alone. The solver shares each
// sweep of the graph among OpenMP threads; for graphs of the size a table makes a sweep is
// far shorter than what the threads spend waiting for each other at its end, and on a busy
// machine the two-thread solve cost ten times the CPU of the one-thread solve.
void PageRank(const WeightedIgraph& g, bool directed, RealVector& out) {
    const int threads = omp_get_max_threads();
    omp_set_num_threads(1);
    igraph_real_t eigenvalue = 0;
    const igraph_error_t code = igraph_pagerank(&g.graph, IGRAPH_PAGERANK_ALGO_PRPACK, &out.v, &eigenvalue,
                                                igraph_vss_all(), directed, 0.85, &g.weights.v, nullptr);
    omp_set_num_threads(threads);
    Check(code, "pagerank");
}

// Communities renumbered by size, largest first (ties: the one holding the lower node), so
// that community 0 is the largest on every run.
std::vector<int> RankedCommunities(const IntVector& membership, int nodes) {
    std::map<igraph_integer_t, std::pair<int, int>> sizes;  // community -> (size, first node)
    for (int k = 0; k < nodes; ++k) {
        auto [slot, added] = sizes.try_emplace(membership[k], 0, k);
        ++slot->second.first;
    }
    std::vector<std::pair<igraph_integer_t, std::pair<int, int>>> order(sizes.begin(), sizes.end());
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if (a.second.first != b.second.first) return a.second.first > b.second.first;
        return a.second.second < b.second.second;
    });
    std::map<igraph_integer_t, int> rank;
    for (std::size_t k = 0; k < order.size(); ++k) rank[order[k].first] = static_cast<int>(k);
    std::vector<int> out(static_cast<std::size_t>(nodes));
    for (int k = 0; k < nodes; ++k) out[static_cast<std::size_t>(k)] = rank[membership[k]];
    return out;
}

}  // namespace

NetworkMeasures NetworkMeasures::Of(const NetworkGraph& graph) {
    QuietErrors();
    NetworkMeasures result;
    const int n = static_cast<int>(graph.nodes.size());
    result.m_nodes.resize(static_cast<std::size_t>(n));
    result.m_summary.nodes = n;
    if (n == 0) return result;

    const bool directed = graph.directed;
    const WeightedIgraph g(n, Ties(graph, directed), directed);
    const igraph_vs_t all = igraph_vss_all();
    result.m_summary.edges = static_cast<int>(igraph_ecount(&g.graph));

    IntVector in(n), out(n), cores(n);
    RealVector strengthIn(n), strengthOut(n), betweenness(n), pagerank(n);
    Check(igraph_degree(&g.graph, &in.v, all, directed ? IGRAPH_IN : IGRAPH_ALL, IGRAPH_NO_LOOPS), "degree");
    Check(igraph_degree(&g.graph, &out.v, all, directed ? IGRAPH_OUT : IGRAPH_ALL, IGRAPH_NO_LOOPS),
          "degree");
    Check(igraph_strength(&g.graph, &strengthIn.v, all, directed ? IGRAPH_IN : IGRAPH_ALL, IGRAPH_NO_LOOPS,
                          &g.weights.v),
          "strength");
    Check(igraph_strength(&g.graph, &strengthOut.v, all, directed ? IGRAPH_OUT : IGRAPH_ALL, IGRAPH_NO_LOOPS,
                          &g.weights.v),
          "strength");
    result.m_summary.betweennessSources = Betweenness(g.graph, directed, betweenness);
    PageRank(g, directed, pagerank);
    Check(igraph_coreness(&g.graph, &cores.v, IGRAPH_ALL), "coreness");

    // Communities on the undirected graph: a reply and its answer are one tie.
    const WeightedIgraph u(n, Ties(graph, false), false);
    IntVector membership(n);
    igraph_rng_seed(igraph_rng_default(), 20260501);
    Check(igraph_community_multilevel(&u.graph, &u.weights.v, 1.0, &membership.v, nullptr, nullptr),
          "multilevel");
    igraph_real_t modularity = NAN;
    if (igraph_ecount(&u.graph) > 0)
        Check(igraph_modularity(&u.graph, &membership.v, &u.weights.v, 1.0, false, &modularity),
              "modularity");
    const std::vector<int> community = RankedCommunities(membership, n);

    IntVector componentOf(n), componentSizes;
    igraph_integer_t components = 0;
    Check(igraph_connected_components(&g.graph, &componentOf.v, &componentSizes.v, &components, IGRAPH_WEAK),
          "components");
    igraph_real_t density = 0;
    Check(igraph_density(&g.graph, &density, false), "density");

    for (int k = 0; k < n; ++k) {
        Node& node = result.m_nodes[static_cast<std::size_t>(k)];
        node.inDegree = static_cast<int>(in[k]);
        node.outDegree = static_cast<int>(out[k]);
        node.weightedIn = strengthIn[k];
        node.weightedOut = strengthOut[k];
        node.betweenness = betweenness[k];
        node.pagerank = pagerank[k];
        node.kcore = static_cast<int>(cores[k]);
        node.community = community[static_cast<std::size_t>(k)];
    }
    Summary& s = result.m_summary;
    s.density = n > 1 ? density : 0;
    s.components = static_cast<int>(components);
    s.largestComponent = static_cast<int>(igraph_vector_int_max(&componentSizes.v));
    s.communities = community.empty() ? 0 : *std::max_element(community.begin(), community.end()) + 1;
    s.modularity = modularity;
    return result;
}

const char* NetworkMeasures::MeasureName(Measure measure) {
    static constexpr std::pair<Measure, const char*> kNames[] = {{Measure::InDegree, "in_degree"},
                                                                 {Measure::OutDegree, "out_degree"},
                                                                 {Measure::WeightedIn, "weighted_in"},
                                                                 {Measure::WeightedOut, "weighted_out"},
                                                                 {Measure::Betweenness, "betweenness"},
                                                                 {Measure::PageRank, "pagerank"},
                                                                 {Measure::KCore, "kcore"}};
    for (const auto& [known, name] : kNames)
        if (known == measure) return name;
    return "";
}

double NetworkMeasures::Value(const Node& node, Measure measure) {
    switch (measure) {
        case Measure::InDegree:
            return node.inDegree;
        case Measure::OutDegree:
            return node.outDegree;
        case Measure::WeightedIn:
            return node.weightedIn;
        case Measure::WeightedOut:
            return node.weightedOut;
        case Measure::Betweenness:
            return node.betweenness;
        case Measure::PageRank:
            return node.pagerank;
        case Measure::KCore:
            return node.kcore;
    }
    return 0;
}

}  // namespace marlin
