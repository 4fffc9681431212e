#include "model/data_scatter.h"

#include "model/region_curves.h"

namespace vortlan {

std::optional<double> pointScatterScale(const Region& r) {
    const int first = r.indexAtHigh;
    const int last = r.indexAtHigh + r.rangeCount - 1;
    if (r.rangeCount < 3 || first < 1 || last > r.pointCount || !r.counts.holds(r.pointCount))
        return std::nullopt;
    // d = y[i] - (y[i-1] + y[i+1]) / 2 has variance s² (w[i] + (w[i-1] + w[i+1]) / 4).
    double squares = 0.0;
    double weights = 0.0;
    for (int i = first + 1; i < last; ++i) {
        const double d = r.counts[i] - 0.5 * (static_cast<double>(r.counts[i - 1]) + r.counts[i + 1]);
        squares += d * d;
        weights += statisticWeight(r.counts[i]) +
                   0.25 * (statisticWeight(r.counts[i - 1]) + statisticWeight(r.counts[i + 1]));
    }
    return squares / weights;
}

}  // namespace vortlan
