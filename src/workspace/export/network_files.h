#pragma once

#include <string>
#include <vector>

#include "platform/report_list.h"
#include "workspace/export/network_graph.h"
#include "workspace/export/network_measures.h"

namespace marlin {

// A graph with its measures as files for graph programs and statistics programs:
// - GraphML (Gephi, networkx, igraph, Cytoscape): the nodes with `label`, `posts` and every
//   measure as node attributes; the edges with `weight` and, where the graph has them,
//   `kind`, `first`, `last`, `mean_sent_pos` and `mean_sent_neg`;
// - the nodes table (id, label, posts and the measures), the edges table and the summary
//   (nodes, edges, density, components, largest_component, communities, modularity and
//   betweenness_sources, the nodes the betweenness was computed from) as CSV
//   beside the graph, or as the sheets of one workbook.
// Numbers are padded so that a list sorts them as numbers; the files carry them plain.
class NetworkFiles {
  public:
    static constexpr const char* kNodesName = "nodes";
    static constexpr const char* kEdgesName = "edges";
    static constexpr const char* kSummaryName = "summary";

    static std::string GraphML(const NetworkGraph& graph, const NetworkMeasures& measures);
    static void FillNodes(ReportList& table, const NetworkGraph& graph, const NetworkMeasures& measures);
    static void FillEdges(ReportList& table, const NetworkGraph& graph);
    static void FillSummary(ReportList& table, const NetworkMeasures& measures);

    // "x.xlsx": one workbook with the sheets nodes, edges and summary. Any other name: the
    // GraphML file itself, with "x-nodes.csv" and "x-summary.csv" beside it. False when a
    // file could not be written (an earlier file of that name is left as it was).
    static bool Write(const std::string& out, const NetworkGraph& graph);
    // The files Write makes for `out`.
    static std::vector<std::string> FilesFor(const std::string& out);

    // A measure as the files write it: fixed notation, at most 12 significant digits, no
    // trailing zeros; "" for a value that is not a number (the modularity of a graph without
    // edges).
    static std::string Number(double value);
};

}  // namespace marlin
