#include "model/net_area.h"

#include <cmath>

#include "base/checked_math.h"

namespace vortlan {

namespace {

// The energy step of the range; its points are evenly spaced, the highest binding energy first.
double rangeStep(const Region& r) {
    return r.rangeCount < 2 ? 0.0 : static_cast<double>(r.rangeEnergy[1]) - r.rangeEnergy[2];
}

}  // namespace

float backgroundArea(const Region& r) {
    float sum = 0.0f;
    for (int i = 1; i <= r.rangeCount; ++i) {
        sum = singleOrFault(sum + (static_cast<double>(r.rangeCounts[i]) - r.background[i]));
    }
    return singleOrFault(sum * rangeStep(r));
}

double backgroundAreaCountingVariance(const Region& r) {
    double counts = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i) counts += std::fabs(static_cast<double>(r.rangeCounts[i]));
    const double step = rangeStep(r);
    return counts * step * step;
}

}  // namespace vortlan
