// Round value axes for counts.
#include "workspace/export/chart_scale.h"

#include <gtest/gtest.h>

namespace marlin {
namespace {

TEST(ChartScaleTest, CountsGetARoundTopInAFewRoundSteps) {
    struct Case {
        long long highest, top, step;
    };
    for (const Case c : {Case{0, 1, 1}, Case{1, 1, 1}, Case{2, 2, 1}, Case{7, 8, 2}, Case{13, 15, 5},
                         Case{100, 100, 20}, Case{2595, 3000, 500}, Case{17250, 20000, 5000},
                         Case{3'000'000'001, 4'000'000'000, 1'000'000'000}}) {
        const ChartScale scale = ChartScale::ForCounts(c.highest);
        EXPECT_EQ(scale.top, c.top) << c.highest;
        EXPECT_EQ(scale.step, c.step) << c.highest;
    }
}

}  // namespace
}  // namespace marlin
