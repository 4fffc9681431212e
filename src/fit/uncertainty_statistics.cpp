#include "fit/uncertainty_statistics.h"

#include <cmath>
#include <limits>

namespace vortlan {

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

bool measurable(const Region& r) {
    return isTrue(r.defined) && isTrue(r.backgroundSet) && r.rangeCount >= 1 &&
           r.residual.holds(r.rangeCount);
}

}  // namespace

double residualRms(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    if (!measurable(r)) return kNotANumber;
    double sum = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i) sum += static_cast<double>(r.residual[i]) * r.residual[i];
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
