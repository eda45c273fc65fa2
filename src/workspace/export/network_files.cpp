#include "workspace/export/network_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "core/atomic_file.h"
#include "core/skd_funcs.h"
#include "workspace/export/cell_kinds.h"
#include "workspace/export/csv_export.h"
#include "workspace/export/graphml_data.h"
#include "workspace/export/xlsx_export.h"
#include "workspace/tables/tweet_time.h"

namespace marlin {
namespace {

constexpr int kPadWidth = 16;

struct Key {
    const char* name;
    const char* type;
};

constexpr Key kNodeKeys[] = {{"label", "string"},       {"posts", "int"},          {"in_degree", "int"},
                             {"out_degree", "int"},     {"weighted_in", "double"}, {"weighted_out", "double"},
                             {"betweenness", "double"}, {"pagerank", "double"},    {"kcore", "int"},
                             {"community", "int"}};
constexpr Key kEdgeKeys[] = {{"kind", "string"}, {"weight", "int"},           {"first", "string"},
                             {"last", "string"}, {"mean_sent_pos", "double"}, {"mean_sent_neg", "double"}};

std::string Padded(const std::string& number) {
    return SKDFuncs::PadNumber(number, kPadWidth);
}

std::vector<std::string> NodeValues(const NetworkGraph::Node& node, const NetworkMeasures::Node& m) {
    using Number = std::string (*)(double);
    const Number number = NetworkFiles::Number;
    return {node.label,
            std::to_string(node.posts),
            std::to_string(m.inDegree),
            std::to_string(m.outDegree),
            number(m.weightedIn),
            number(m.weightedOut),
            number(m.betweenness),
            number(m.pagerank),
            std::to_string(m.kcore),
            std::to_string(m.community)};
}

// The edge's values by kEdgeKeys; "" where the edge has none.
std::vector<std::string> EdgeValues(const NetworkGraph::Edge& edge) {
    return {edge.kind ? edge.kind : "",
            std::to_string(edge.weight),
            edge.timed ? TweetTime::Iso(edge.first) : "",
            edge.timed ? TweetTime::Iso(edge.last) : "",
            edge.scored > 0 ? NetworkFiles::Number(edge.MeanPositive()) : "",
            edge.scored > 0 ? NetworkFiles::Number(edge.MeanNegative()) : ""};
}

bool IsWorkbook(const std::string& fileName) {
    return std::filesystem::path(fileName).extension() == ".xlsx";
}

std::string Beside(const std::string& out, const char* part) {
    std::filesystem::path path(out);
    return path.replace_extension().string() + "-" + part + ".csv";
}

}  // namespace

std::string NetworkFiles::Number(double value) {
    if (!std::isfinite(value)) return {};
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    // 12 significant digits, and no more than the 15 a spreadsheet keeps of a number.
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", std::clamp(11 - exponent, 0, 14), value);
    std::string text = buffer;
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string NetworkFiles::GraphML(const NetworkGraph& graph, const NetworkMeasures& measures) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\">\n";
    for (const Key& key : kNodeKeys)
        out += std::string("  <key id=\"") + key.name + "\" for=\"node\" attr.name=\"" + key.name +
               "\" attr.type=\"" + key.type + "\"/>\n";
    for (const Key& key : kEdgeKeys)
        out += std::string("  <key id=\"") + key.name + "\" for=\"edge\" attr.name=\"" + key.name +
               "\" attr.type=\"" + key.type + "\"/>\n";
    out += graph.directed ? "  <graph id=\"G\" edgedefault=\"directed\">\n"
                          : "  <graph id=\"G\" edgedefault=\"undirected\">\n";
    for (std::size_t k = 0; k < graph.nodes.size(); ++k) {
        GraphmlData::OpenNode(out, graph.nodes[k].id);
        const std::vector<std::string> values = NodeValues(graph.nodes[k], measures.Nodes()[k]);
        for (std::size_t v = 0; v < values.size(); ++v)
            GraphmlData::AppendUnlessEmpty(out, kNodeKeys[v].name, values[v]);
        out += "    </node>\n";
    }
    for (const NetworkGraph::Edge& edge : graph.edges) {
        GraphmlData::OpenEdge(out, graph.nodes[static_cast<std::size_t>(edge.source)].id,
                              graph.nodes[static_cast<std::size_t>(edge.target)].id);
        const std::vector<std::string> values = EdgeValues(edge);
        for (std::size_t v = 0; v < values.size(); ++v)
            GraphmlData::AppendUnlessEmpty(out, kEdgeKeys[v].name, values[v]);
        out += "    </edge>\n";
    }
    out += "  </graph>\n</graphml>\n";
    return out;
}

void NetworkFiles::FillNodes(ReportList& table, const NetworkGraph& graph, const NetworkMeasures& measures) {
    table.ClearRows();
    table.ClearColumns();
    table.AddColumn("id", 2000);
    table.AddColumn("label", 2000);
    for (std::size_t k = 1; k < std::size(kNodeKeys); ++k)
        table.AddColumn(kNodeKeys[k].name, 1000, Alignment::Right);
    table.BeginUpdate();
    for (std::size_t k = 0; k < graph.nodes.size(); ++k) {
        std::vector<std::string> cells = NodeValues(graph.nodes[k], measures.Nodes()[k]);
        for (std::size_t c = 1; c < cells.size(); ++c) cells[c] = Padded(cells[c]);
        cells.insert(cells.begin(), graph.nodes[k].id);
        table.AddRow(cells);
    }
    table.EndUpdate();
}

void NetworkFiles::FillEdges(ReportList& table, const NetworkGraph& graph) {
    table.ClearRows();
    table.ClearColumns();
    table.AddColumn("source", 2000);
    table.AddColumn("target", 2000);
    for (const Key& key : kEdgeKeys)
        table.AddColumn(key.name, 1000,
                        std::string_view(key.type) == "string" ? Alignment::Left : Alignment::Right);
    table.BeginUpdate();
    for (const NetworkGraph::Edge& edge : graph.edges) {
        std::vector<std::string> cells = {graph.nodes[static_cast<std::size_t>(edge.source)].id,
                                          graph.nodes[static_cast<std::size_t>(edge.target)].id};
        const std::vector<std::string> values = EdgeValues(edge);
        for (std::size_t v = 0; v < values.size(); ++v)
            cells.push_back(std::string_view(kEdgeKeys[v].type) == "string" ? values[v] : Padded(values[v]));
        table.AddRow(cells);
    }
    table.EndUpdate();
}

void NetworkFiles::FillSummary(ReportList& table, const NetworkMeasures& measures) {
    table.ClearRows();
    table.ClearColumns();
    for (const char* header : {"nodes", "edges", "density", "components", "largest_component", "communities",
                               "modularity", "betweenness_sources"})
        table.AddColumn(header, 1000, Alignment::Right);
    const NetworkMeasures::Summary& s = measures.Totals();
    table.AddRow({Padded(std::to_string(s.nodes)), Padded(std::to_string(s.edges)), Padded(Number(s.density)),
                  Padded(std::to_string(s.components)), Padded(std::to_string(s.largestComponent)),
                  Padded(std::to_string(s.communities)), Padded(Number(s.modularity)),
                  Padded(std::to_string(s.betweennessSources))});
}

bool NetworkFiles::Write(const std::string& out, const NetworkGraph& graph) {
    NetworkMeasures measures;
    try {
        measures = NetworkMeasures::Of(graph);
    } catch (const std::exception&) {
        return false;
    }
    ReportList nodes, edges, summary;
    FillNodes(nodes, graph, measures);
    FillSummary(summary, measures);
    if (IsWorkbook(out)) {
        FillEdges(edges, graph);
        return XlsxExport::Write(out, {{kNodesName, &nodes, CellKinds::ByAlignment(nodes)},
                                       {kEdgesName, &edges, CellKinds::ByAlignment(edges)},
                                       {kSummaryName, &summary, CellKinds::ByAlignment(summary)}});
    }
    const bool graphWritten = AtomicFile::Write(out, GraphML(graph, measures));
    const bool nodesWritten =
        CsvExport::Write(Beside(out, kNodesName), CsvExport::Text(nodes, CellKinds::ByAlignment(nodes)));
    const bool summaryWritten = CsvExport::Write(Beside(out, kSummaryName),
                                                 CsvExport::Text(summary, CellKinds::ByAlignment(summary)));
    return graphWritten && nodesWritten && summaryWritten;
}

std::vector<std::string> NetworkFiles::FilesFor(const std::string& out) {
    if (IsWorkbook(out)) return {out};
    return {out, Beside(out, kNodesName), Beside(out, kSummaryName)};
}

}  // namespace marlin
