#pragma once

namespace marlin {

// A value axis for counts that a reader can take in at a glance: from 0 to a round top in
// a few steps of 1, 2 or 5 times a power of ten ("0, 500, … 3000", never "648, 1297").
struct ChartScale {
    long long top = 1;
    long long step = 1;

    // The scale that holds `highest` with no more than kMostSteps steps.
    static constexpr int kMostSteps = 6;
    static ChartScale ForCounts(long long highest);
};

}  // namespace marlin
