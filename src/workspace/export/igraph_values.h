#pragma once

#include <igraph.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace marlin::igraph_values {

// igraph's default handler ends the program on an error; here an error is a value to check.
inline void QuietErrors() {
    static const bool once = [] {
        igraph_set_error_handler(igraph_error_handler_ignore);
        igraph_set_warning_handler(igraph_warning_handler_ignore);
        return true;
    }();
    (void)once;
}

inline void Check(igraph_error_t code, const char* what) {
    if (code != IGRAPH_SUCCESS) throw std::runtime_error(std::string("igraph: ") + what + " failed");
}

// igraph's vectors and matrices, freed when they go.
struct RealVector {
    igraph_vector_t v;
    explicit RealVector(igraph_integer_t size = 0) { Check(igraph_vector_init(&v, size), "vector"); }
    ~RealVector() { igraph_vector_destroy(&v); }
    RealVector(const RealVector&) = delete;
    RealVector& operator=(const RealVector&) = delete;
    double operator[](igraph_integer_t k) const { return VECTOR(v)[k]; }
};

struct IntVector {
    igraph_vector_int_t v;
    explicit IntVector(igraph_integer_t size = 0) { Check(igraph_vector_int_init(&v, size), "vector"); }
    ~IntVector() { igraph_vector_int_destroy(&v); }
    IntVector(const IntVector&) = delete;
    IntVector& operator=(const IntVector&) = delete;
    igraph_integer_t operator[](igraph_integer_t k) const { return VECTOR(v)[k]; }
};

struct Matrix {
    igraph_matrix_t m;
    Matrix(igraph_integer_t rows, igraph_integer_t columns) {
        Check(igraph_matrix_init(&m, rows, columns), "matrix");
    }
    ~Matrix() { igraph_matrix_destroy(&m); }
    Matrix(const Matrix&) = delete;
    Matrix& operator=(const Matrix&) = delete;
    double operator()(igraph_integer_t row, igraph_integer_t column) const { return MATRIX(m, row, column); }
};

// A tie between two nodes and its weight; a pair may have many.
struct Tie {
    int source = 0, target = 0;
    double weight = 0;
};

// An igraph graph with one edge a pair of the ties (their weights summed), in the order of
// the pairs.
struct WeightedIgraph {
    igraph_t graph;
    RealVector weights;

    WeightedIgraph(int nodes, std::vector<Tie> ties, bool directed) {
        // Sorted, not hashed or kept in a tree: a graph of 100,000 ties is merged in a few
        // milliseconds. Stable, so a pair's weights are summed in the order they came.
        std::stable_sort(ties.begin(), ties.end(), [](const Tie& a, const Tie& b) {
            return a.source != b.source ? a.source < b.source : a.target < b.target;
        });
        std::size_t pairs = 0;
        for (std::size_t k = 0; k < ties.size(); ++k) {
            if (pairs > 0 && ties[pairs - 1].source == ties[k].source &&
                ties[pairs - 1].target == ties[k].target)
                ties[pairs - 1].weight += ties[k].weight;
            else
                ties[pairs++] = ties[k];
        }
        IntVector ends(static_cast<igraph_integer_t>(pairs * 2));
        Check(igraph_vector_resize(&weights.v, static_cast<igraph_integer_t>(pairs)), "vector");
        for (std::size_t k = 0; k < pairs; ++k) {
            VECTOR(ends.v)[2 * k] = ties[k].source;
            VECTOR(ends.v)[2 * k + 1] = ties[k].target;
            VECTOR(weights.v)[k] = ties[k].weight;
        }
        Check(igraph_create(&graph, &ends.v, nodes, directed), "create");
    }
    ~WeightedIgraph() { igraph_destroy(&graph); }
    WeightedIgraph(const WeightedIgraph&) = delete;
    WeightedIgraph& operator=(const WeightedIgraph&) = delete;
};

}  // namespace marlin::igraph_values
