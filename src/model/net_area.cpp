#include "model/net_area.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "base/checked_math.h"
#include "model/background_sensitivity.h"
#include "model/region_curves.h"

namespace vortlan {

namespace {

// The energy step of the range; its points are evenly spaced, the highest binding energy first.
double rangeStep(const Region& r) {
    return r.rangeCount < 2 ? 0.0 : static_cast<double>(r.rangeEnergy[1]) - r.rangeEnergy[2];
}

// What each range point's net intensity counts for in the area: the step, divided by the point's
// divisor where there is one (range point i at index i - 1).
std::vector<double> pointWeights(const Region& r, const std::vector<double>& divisors) {
    std::vector<double> weights(static_cast<std::size_t>(std::max<int>(r.rangeCount, 0)), rangeStep(r));
    if (divisors.size() != weights.size()) return weights;
    for (std::size_t i = 0; i < weights.size(); ++i) weights[i] /= divisors[i];
    return weights;
}

// The area's slope with respect to every raw point it depends on: directly for the range's inner
// points, and through the end averages for the points they are made of.
std::map<int, double> rawSlopes(const Region& r, const std::vector<EndAverageInput>& ends,
                                const std::vector<double>& weights) {
    std::map<int, double> slopes;
    for (int i = 2; i < r.rangeCount; ++i) slopes[rawIndexOfRangePoint(r, i)] += weights[i - 1];
    for (const EndAverageInput& end : ends) {
        double perAverage = 0.0;
        for (std::size_t j = 0; j < std::min(end.netSlope.size(), weights.size()); ++j)
            perAverage += weights[j] * end.netSlope[j];
        for (const auto& [index, share] : end.rawShares) slopes[index] += perAverage * share;
    }
    return slopes;
}

// The area's standard error, and the background's part of its variance, for the given weights.
void putStandardError(BackgroundSubtractedArea& result, const Region& r, double varianceScale,
                      const std::vector<double>& weights) {
    const std::vector<EndAverageInput> ends = endAverageInputs(r);
    if (ends.empty()) {
        double variance = 0.0;
        for (int i = 1; i <= r.rangeCount; ++i)
            variance += weights[i - 1] * weights[i - 1] * std::fabs(static_cast<double>(r.rangeCounts[i]));
        result.standardError = std::sqrt(varianceScale * variance);
        return;
    }
    double total = 0.0;
    for (const auto& [index, slope] : rawSlopes(r, ends, weights))
        total += slope * slope * statisticWeight(r.counts[index]);
    double own = 0.0;
    for (int i = 2; i < r.rangeCount; ++i)
        own += weights[i - 1] * weights[i - 1] * statisticWeight(r.counts[rawIndexOfRangePoint(r, i)]);
    result.standardError = std::sqrt(varianceScale * total);
    result.backgroundVariance = varianceScale * (total - own);
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
    putStandardError(result, r, varianceScale, pointWeights(r, {}));
    return result;
}

BackgroundSubtractedArea backgroundSubtractedArea(const Region& r, double varianceScale,
                                                  const std::vector<double>& divisors) {
    BackgroundSubtractedArea result;
    const std::vector<double> weights = pointWeights(r, divisors);
    for (int i = 1; i <= r.rangeCount; ++i)
        result.area += weights[i - 1] * (static_cast<double>(r.rangeCounts[i]) - r.background[i]);
    putStandardError(result, r, varianceScale, weights);
    return result;
}

}  // namespace vortlan
