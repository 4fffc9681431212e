#include "fit/uncertainty_background.h"

#include "model/background_sensitivity.h"
#include "model/region_curves.h"

namespace vortlan {

namespace {

struct RegionInputs {
    const Region* region;
    int offset;  // of its first residual
    std::vector<EndAverageInput> ends;
};

std::vector<RegionInputs> regionInputs(const SpectrumProblem& problem, const Workspace& ws) {
    std::vector<RegionInputs> found;
    for (int region : problem.regions()) {
        const Region& r = ws.regions.at(static_cast<std::size_t>(region));
        std::vector<EndAverageInput> ends = endAverageInputs(r);
        if (!ends.empty()) found.push_back({&r, problem.firstResidualOf(region), std::move(ends)});
    }
    return found;
}

double shareOf(const EndAverageInput& end, int rawIndex) {
    for (const auto& [index, share] : end.rawShares) {
        if (index == rawIndex) return share;
    }
    return 0.0;
}

// Two averages of one region share raw points only when the range is shorter than their windows.
double sharedVariance(const Region& r, const EndAverageInput& a, const EndAverageInput& b) {
    double sum = 0.0;
    for (const auto& [index, share] : a.rawShares)
        sum += share * shareOf(b, index) * statisticWeight(r.counts[index]);
    return sum;
}

}  // namespace

HeldInputs backgroundInputs(const SpectrumProblem& problem, const Workspace& ws) {
    const std::vector<RegionInputs> regions = regionInputs(problem, ws);
    HeldInputs held;
    for (const RegionInputs& r : regions) held.count += static_cast<int>(r.ends.size());
    if (held.count == 0) return held;
    const auto inputs = static_cast<std::size_t>(held.count);
    const auto residuals = static_cast<std::size_t>(problem.residualCount());
    const std::vector<double> weights = problem.residualWeights();
    held.residualSlopes.assign(residuals * inputs, 0.0);
    held.covariance.assign(inputs * inputs, 0.0);
    std::size_t first = 0;  // the region's first input
    for (const RegionInputs& r : regions) {
        const Region& region = *r.region;
        for (std::size_t e = 0; e < r.ends.size(); ++e) {
            const EndAverageInput& end = r.ends[e];
            const std::size_t k = first + e;
            for (std::size_t i = 0; i < end.netSlope.size(); ++i) {
                const std::size_t row = static_cast<std::size_t>(r.offset) + i;
                held.residualSlopes[row * inputs + k] = weights[row] * end.netSlope[i];
            }
            // A point inside the range that is also in the average: its residual's noise is the average's.
            for (const auto& [raw, share] : end.rawShares) {
                const int point = raw - rawIndexOfRangePoint(region, 1) + 1;
                if (point < 2 || point >= region.rangeCount) continue;
                const int row = r.offset + point - 1;
                held.sharedNoise.push_back(
                    {row, static_cast<int>(k),
                     weights[static_cast<std::size_t>(row)] * share * statisticWeight(region.counts[raw])});
            }
            held.withoutOwnNoise.push_back(r.offset + (e == 0 ? 0 : region.rangeCount - 1));
            for (std::size_t o = 0; o < r.ends.size(); ++o)
                held.covariance[k * inputs + first + o] = sharedVariance(region, end, r.ends[o]);
        }
        first += r.ends.size();
    }
    return held;
}

}  // namespace vortlan
