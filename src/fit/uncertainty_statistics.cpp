#include "fit/uncertainty_statistics.h"

#include <cmath>
#include <limits>

#include "model/peak_shapes.h"

namespace vortlan {

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

bool measurable(const Region& r) {
    const int n = r.rangeCount;
    return isTrue(r.defined) && isTrue(r.backgroundSet) && n >= 1 && r.rangeEnergy.holds(n) &&
           r.rangeCounts.holds(n) && r.background.holds(n);
}

}  // namespace

double residualRms(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    if (!measurable(r)) return kNotANumber;
    std::vector<double> miss(static_cast<std::size_t>(r.rangeCount));
    for (int i = 1; i <= r.rangeCount; ++i)
        miss[static_cast<std::size_t>(i - 1)] = static_cast<double>(r.rangeCounts[i]) - r.background[i];
    for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) {
        const PeakEvaluator peak(lineFormOf(ws.options), shapeOf(ws.peaks.at(r.peakSlots[s]), r.shift));
        for (int i = 1; i <= r.rangeCount; ++i)
            miss[static_cast<std::size_t>(i - 1)] -= peak(r.rangeEnergy[i]);
    }
    double sum = 0.0;
    for (double m : miss) sum += m * m;
    return std::sqrt(sum / r.rangeCount);
}

std::vector<double> correlationOf(const Covariance& c) {
    const int p = c.variables;
    std::vector<double> correlation(static_cast<std::size_t>(p) * p, kNotANumber);
    for (int a = 0; a < p; ++a) {
        for (int b = 0; b < p; ++b) {
            const double scale = std::sqrt(c.at(a, a) * c.at(b, b));
            if (scale > 0.0 && std::isfinite(scale))
                correlation[static_cast<std::size_t>(a * p + b)] = c.at(a, b) / scale;
        }
    }
    return correlation;
}

}  // namespace vortlan
