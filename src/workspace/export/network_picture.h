#pragma once

#include <string>
#include <vector>

#include "workspace/export/network_graph.h"
#include "workspace/export/network_measures.h"

namespace marlin {

// What the Network tab draws of a graph: its measures, the nodes that fit in one picture and
// where they lie (an igraph layout, Fruchterman–Reingold, seeded so the same graph lies the
// same way), which the window only paints.
//
// Nodes without ties are left out (Note() says how many). Up to kMostDrawn nodes with ties
// are all drawn. A larger graph is drawn by its densest part: the
// nodes of the highest k-cores that together stay within kMostDrawn, or, when even the
// highest core is larger, the kMostDrawn nodes of highest PageRank; Note() says which.
class NetworkPicture {
  public:
    static constexpr int kMostDrawn = 5000;
    using Measure = NetworkMeasures::Measure;

    struct Point {
        double x = 0, y = 0;  // within 0..1
    };

    static NetworkPicture Of(NetworkGraph graph);

    const NetworkGraph& Graph() const { return m_graph; }
    const NetworkMeasures& Measures() const { return m_measures; }
    // Indices into Graph().nodes of the nodes drawn, and of the edges between them.
    const std::vector<int>& DrawnNodes() const { return m_drawn; }
    const std::vector<int>& DrawnEdges() const { return m_drawnEdges; }
    // Where a drawn node lies; meaningless for a node not drawn.
    Point Position(int node) const { return m_positions[static_cast<std::size_t>(node)]; }
    // "" when every node is drawn; else what part of the graph is.
    const std::string& Note() const { return m_note; }

    // A node's size for a measure: the square root of its share of the largest value, 0..1.
    double Size(int node, Measure measure) const;
    // The `count` nodes highest by a measure (ties by id), of the whole graph.
    std::vector<int> Top(Measure measure, int count) const;
    // The drawn node nearest a point within `reach`; -1 when none is.
    int NodeAt(Point point, double reach) const;
    // A node's name and measures, one line.
    std::string Describe(int node) const;

  private:
    void ChooseDrawn();
    void Lay();

    NetworkGraph m_graph;
    NetworkMeasures m_measures;
    std::vector<int> m_drawn;
    std::vector<int> m_drawnEdges;
    std::vector<Point> m_positions;
    std::string m_note;
    mutable std::vector<double> m_largest = std::vector<double>(7, -1);  // by measure, once asked
};

}  // namespace marlin
