#pragma once

#include <algorithm>
#include <vector>

// The middle of the figures of repeated runs: one run slowed down by the shared machine
// does not move it.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
