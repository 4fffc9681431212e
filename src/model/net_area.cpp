#include "model/net_area.h"

#include <cmath>
#include <map>

#include "base/checked_math.h"
#include "model/background_sensitivity.h"
#include "model/region_curves.h"

namespace vortlan {

namespace {

// The energy step of the range; its points are evenly spaced, the highest binding energy first.
double rangeStep(const Region& r) {
    return r.rangeCount < 2 ? 0.0 : static_cast<double>(r.rangeEnergy[1]) - r.rangeEnergy[2];
}

// The area's slope with respect to every raw point it depends on: directly for the range's inner
// points, and through the end averages for the points they are made of.
std::map<int, double> rawSlopes(const Region& r, const std::vector<EndAverageInput>& ends) {
    const double step = rangeStep(r);
    std::map<int, double> slopes;
    for (int i = 2; i < r.rangeCount; ++i) slopes[rawIndexOfRangePoint(r, i)] += step;
    for (const EndAverageInput& end : ends) {
        double perAverage = 0.0;
        for (double slope : end.netSlope) perAverage += step * slope;
        for (const auto& [index, share] : end.rawShares) slopes[index] += perAverage * share;
    }
    return slopes;
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

BackgroundSubtractedArea backgroundSubtractedArea(const Region& r, double varianceScale) {
    BackgroundSubtractedArea result;
    result.area = backgroundArea(r);
    const std::vector<EndAverageInput> ends = endAverageInputs(r);
    if (ends.empty()) {
        result.standardError = std::sqrt(varianceScale * backgroundAreaCountingVariance(r));
        return result;
    }
    const double step = rangeStep(r);
    double total = 0.0;
    for (const auto& [index, slope] : rawSlopes(r, ends))
        total += slope * slope * statisticWeight(r.counts[index]);
    double own = 0.0;
    for (int i = 2; i < r.rangeCount; ++i)
        own += step * step * statisticWeight(r.counts[rawIndexOfRangePoint(r, i)]);
    result.standardError = std::sqrt(varianceScale * total);
    result.backgroundVariance = varianceScale * (total - own);
    return result;
}

}  // namespace vortlan
