#pragma once

#include <igraph.h>

#include <map>
#include <stdexcept>
#include <string>

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

// An igraph graph with one weight an edge, from pairs already made simple.
struct WeightedIgraph {
    igraph_t graph;
    RealVector weights;

    WeightedIgraph(int nodes, const std::map<std::pair<int, int>, double>& pairs, bool directed)
        : weights(static_cast<igraph_integer_t>(pairs.size())) {
        IntVector ends(static_cast<igraph_integer_t>(pairs.size() * 2));
        igraph_integer_t at = 0;
        for (const auto& [pair, weight] : pairs) {
            VECTOR(ends.v)[2 * at] = pair.first;
            VECTOR(ends.v)[2 * at + 1] = pair.second;
            VECTOR(weights.v)[at++] = weight;
        }
        Check(igraph_create(&graph, &ends.v, nodes, directed), "create");
    }
    ~WeightedIgraph() { igraph_destroy(&graph); }
    WeightedIgraph(const WeightedIgraph&) = delete;
    WeightedIgraph& operator=(const WeightedIgraph&) = delete;
};

}  // namespace marlin::igraph_values
