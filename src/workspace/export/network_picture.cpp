#include "workspace/export/network_picture.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "workspace/export/igraph_values.h"
#include "workspace/export/network_files.h"

namespace marlin {
namespace {

using namespace igraph_values;

std::string Thousands(std::size_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) out += ',';
        out += digits[k];
    }
    return out;
}

}  // namespace

NetworkPicture NetworkPicture::Of(NetworkGraph graph) {
    NetworkPicture picture;
    picture.m_graph = std::move(graph);
    picture.m_measures = NetworkMeasures::Of(picture.m_graph);
    picture.m_positions.resize(picture.m_graph.nodes.size());
    picture.ChooseDrawn();
    picture.Lay();
    return picture;
}

void NetworkPicture::ChooseDrawn() {
    const auto& nodes = m_measures.Nodes();
    const std::size_t count = nodes.size();
    // A node without ties says nothing in a picture of ties; it is left out.
    m_drawn.clear();
    for (std::size_t k = 0; k < count; ++k)
        if (nodes[k].inDegree + nodes[k].outDegree > 0 || m_graph.edges.empty())
            m_drawn.push_back(static_cast<int>(k));
    const std::size_t untied = count - m_drawn.size();
    if (m_drawn.size() > static_cast<std::size_t>(kMostDrawn)) {
        // Nodes by coreness, highest first: the cores nest, so a prefix ending at a change of
        // coreness is a whole k-core.
        std::vector<int> order = Top(Measure::KCore, static_cast<int>(count));
        std::size_t take = 0;
        for (std::size_t k = 0; k < order.size() && k < static_cast<std::size_t>(kMostDrawn); ++k)
            if (k + 1 == order.size() || nodes[static_cast<std::size_t>(order[k + 1])].kcore !=
                                             nodes[static_cast<std::size_t>(order[k])].kcore)
                take = k + 1;
        if (take > 0) {
            const int core = nodes[static_cast<std::size_t>(order[take - 1])].kcore;
            order.resize(take);
            m_note = "Showing the " + Thousands(take) + " nodes of the " + std::to_string(core) +
                     "-core of " + Thousands(count) + " nodes";
        } else {
            order = Top(Measure::PageRank, kMostDrawn);
            m_note = "Showing the " + Thousands(order.size()) + " nodes of highest PageRank of " +
                     Thousands(count) + " nodes";
        }
        std::sort(order.begin(), order.end());
        m_drawn = std::move(order);
    }
    if (untied > 0)
        m_note += (m_note.empty() ? "" : "; ") + Thousands(untied) + " nodes without ties not drawn";
    std::vector<bool> drawn(count, false);
    for (const int node : m_drawn) drawn[static_cast<std::size_t>(node)] = true;
    for (std::size_t k = 0; k < m_graph.edges.size(); ++k) {
        const NetworkGraph::Edge& e = m_graph.edges[k];
        if (drawn[static_cast<std::size_t>(e.source)] && drawn[static_cast<std::size_t>(e.target)])
            m_drawnEdges.push_back(static_cast<int>(k));
    }
}

void NetworkPicture::Lay() {
    if (m_drawn.empty()) return;
    QuietErrors();
    std::vector<int> place(m_graph.nodes.size(), -1);
    for (std::size_t k = 0; k < m_drawn.size(); ++k)
        place[static_cast<std::size_t>(m_drawn[k])] = static_cast<int>(k);
    std::vector<Tie> ties;
    ties.reserve(m_drawnEdges.size());
    for (const int index : m_drawnEdges) {
        const NetworkGraph::Edge& e = m_graph.edges[static_cast<std::size_t>(index)];
        const auto [low, high] =
            std::minmax(place[static_cast<std::size_t>(e.source)], place[static_cast<std::size_t>(e.target)]);
        if (low != high) ties.push_back({low, high, static_cast<double>(e.weight)});
    }
    const auto n = static_cast<igraph_integer_t>(m_drawn.size());
    const WeightedIgraph g(static_cast<int>(n), std::move(ties), false);
    Matrix layout(n, 2);
    igraph_rng_seed(igraph_rng_default(), 20260501);
    // Weights pull heavy ties closer; the grid makes large graphs fast.
    Check(igraph_layout_fruchterman_reingold(&g.graph, &layout.m, false, 300,
                                             std::sqrt(static_cast<double>(n)), IGRAPH_LAYOUT_AUTOGRID,
                                             &g.weights.v, nullptr, nullptr, nullptr, nullptr),
          "layout");
    // The picture spans the middle 96% of the nodes on each axis: small components that the
    // layout pushes far out would otherwise squeeze the rest into a dot. The few beyond sit on
    // the border.
    const auto range = [&](int axis) {
        std::vector<double> values(static_cast<std::size_t>(n));
        for (igraph_integer_t k = 0; k < n; ++k) values[static_cast<std::size_t>(k)] = layout(k, axis);
        std::sort(values.begin(), values.end());
        const std::size_t cut = values.size() / 50;
        return std::pair{values[cut], values[values.size() - 1 - cut]};
    };
    const auto [minX, maxX] = range(0);
    const auto [minY, maxY] = range(1);
    const auto scaled = [](double value, double low, double high) {
        return high > low ? std::clamp((value - low) / (high - low), 0.0, 1.0) : 0.5;
    };
    for (igraph_integer_t k = 0; k < n; ++k)
        m_positions[static_cast<std::size_t>(m_drawn[static_cast<std::size_t>(k)])] = {
            scaled(layout(k, 0), minX, maxX), scaled(layout(k, 1), minY, maxY)};
}

double NetworkPicture::Size(int node, Measure measure) const {
    double& largest = m_largest[static_cast<std::size_t>(measure)];
    if (largest < 0) {
        largest = 0;
        for (const NetworkMeasures::Node& n : m_measures.Nodes())
            largest = std::max(largest, NetworkMeasures::Value(n, measure));
    }
    if (largest <= 0) return 0;
    const double value = NetworkMeasures::Value(m_measures.Nodes()[static_cast<std::size_t>(node)], measure);
    return std::sqrt(std::max(0.0, value) / largest);
}

std::vector<int> NetworkPicture::Top(Measure measure, int count) const {
    const auto& nodes = m_measures.Nodes();
    std::vector<int> order(nodes.size());
    std::iota(order.begin(), order.end(), 0);
    const auto cut = order.begin() +
                     std::min<std::ptrdiff_t>(std::max(0, count), static_cast<std::ptrdiff_t>(order.size()));
    std::partial_sort(order.begin(), cut, order.end(), [&](int a, int b) {
        const double va = NetworkMeasures::Value(nodes[static_cast<std::size_t>(a)], measure);
        const double vb = NetworkMeasures::Value(nodes[static_cast<std::size_t>(b)], measure);
        if (va != vb) return va > vb;
        return m_graph.nodes[static_cast<std::size_t>(a)].id < m_graph.nodes[static_cast<std::size_t>(b)].id;
    });
    order.erase(cut, order.end());
    return order;
}

int NetworkPicture::NodeAt(Point point, double reach) const {
    int nearest = -1;
    double best = reach * reach;
    for (const int node : m_drawn) {
        const Point p = m_positions[static_cast<std::size_t>(node)];
        const double distance = (p.x - point.x) * (p.x - point.x) + (p.y - point.y) * (p.y - point.y);
        if (distance <= best) {
            best = distance;
            nearest = node;
        }
    }
    return nearest;
}

std::string NetworkPicture::Describe(int node) const {
    const NetworkMeasures::Node& m = m_measures.Nodes()[static_cast<std::size_t>(node)];
    std::string text = m_graph.nodes[static_cast<std::size_t>(node)].label;
    text += " — posts " + std::to_string(m_graph.nodes[static_cast<std::size_t>(node)].posts);
    for (const Measure measure :
         {Measure::InDegree, Measure::OutDegree, Measure::WeightedIn, Measure::WeightedOut,
          Measure::Betweenness, Measure::PageRank, Measure::KCore})
        text += std::string(", ") + NetworkMeasures::MeasureName(measure) + " " +
                NetworkFiles::Number(NetworkMeasures::Value(m, measure));
    return text + ", community " + std::to_string(m.community);
}

}  // namespace marlin
