#include "fit/monte_carlo_experiment.h"

#include <algorithm>
#include <cstdlib>

#include "base/checked_math.h"
#include "model/backgrounds.h"

namespace vortlan {

namespace {

// The raw points from the start of the first end average's window to the end of the last, with the
// range between them, within the recorded data.
std::pair<int, int> recordedSpanOf(const Region& r, int half) {
    const int rangeEnd = r.indexAtHigh + r.rangeCount - 1;
    const int first = std::min({r.indexAtHigh - half, r.indexAtLow - half, int{r.indexAtHigh}});
    const int last = std::max({r.indexAtHigh + half, r.indexAtLow + half, rangeEnd});
    const int recorded = std::min<int>(r.pointCount, r.counts.bound());
    return {std::max(first, 1), std::min(last, recorded)};
}

}  // namespace

ReplicaExperiment::ReplicaExperiment(const Workspace& ws, const SpectrumProblem& problem,
                                     std::optional<double> noiseScale)
    : problem_(problem), noise_(ws, problem, noiseScale) {
    const std::vector<double> envelope = problem.model(problem.start().data());
    for (int region : problem.regions()) {
        const Region& r = ws.regions[static_cast<std::size_t>(region)];
        const int half = std::max<int>(r.averagePoints, 1) / 2;
        const auto [first, last] = recordedSpanOf(r, half);
        const int offset = problem.firstResidualOf(region);
        std::vector<double>& means = means_.emplace_back();
        const auto averaged = [&](int raw) {
            return std::abs(raw - r.indexAtHigh) <= half || std::abs(raw - r.indexAtLow) <= half;
        };
        for (int raw = first; raw <= last; ++raw) {
            const int rangePoint = raw - r.indexAtHigh + 1;
            const bool modelled = rangePoint >= 1 && rangePoint <= r.rangeCount && !averaged(raw);
            means.push_back(modelled ? envelope[static_cast<std::size_t>(offset + rangePoint - 1)]
                                     : static_cast<double>(r.counts[raw]));
        }
        spans_.push_back({&r, first});
    }
}

std::optional<SpectrumProblem> ReplicaExperiment::replica(int replica) const {
    const std::vector<std::vector<double>> noisy = noise_.draw(means_, replica);
    std::vector<Region> regions;
    regions.reserve(spans_.size());
    for (std::size_t k = 0; k < spans_.size(); ++k) {
        Region& r = regions.emplace_back(*spans_[k].region);
        for (std::size_t j = 0; j < noisy[k].size(); ++j)
            r.counts[spans_[k].firstRaw + static_cast<int>(j)] = static_cast<float>(noisy[k][j]);
        try {
            redrawFromRawCounts(r);
        } catch (const ComputationFault&) {
            return std::nullopt;
        }
    }
    std::vector<const Region*> data;
    for (const Region& r : regions) data.push_back(&r);
    return problem_.withRegionData(data);
}

}  // namespace vortlan
