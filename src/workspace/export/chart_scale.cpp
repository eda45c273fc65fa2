#include "workspace/export/chart_scale.h"

#include <initializer_list>

namespace marlin {

ChartScale ChartScale::ForCounts(long long highest) {
    ChartScale scale;
    if (highest <= 0) return scale;
    // Counts are whole, so a step is at least 1.
    for (long long magnitude = 1;; magnitude *= 10) {
        for (const long long factor : {1LL, 2LL, 5LL}) {
            const long long step = factor * magnitude;
            if (step * kMostSteps >= highest) {
                scale.step = step;
                scale.top = (highest + step - 1) / step * step;
                return scale;
            }
        }
    }
}

}  // namespace marlin
