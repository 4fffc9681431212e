#include "fit/monte_carlo_noise.h"

#include <cmath>
#include <cstdint>
#include <random>

#include "base/number_text.h"
#include "workspace/intensity_unit.h"

namespace vortlan {

namespace {

constexpr std::uint64_t kSeedBase = 0x5eed0f5eedULL;

// Each region's mean squared residual times N / (N - p): one region's reduced statistic, and its share
// of the joint one when ties join regions.
std::vector<double> residualScales(const SpectrumProblem& problem, const std::vector<int>& points) {
    std::vector<double> residuals(static_cast<std::size_t>(problem.residualCount()));
    problem.evaluate(problem.start().data(), residuals.data(), nullptr);
    const double n = problem.residualCount();
    const double dof = n - problem.variableCount();
    std::vector<double> scales;
    std::size_t at = 0;
    for (int count : points) {
        double sum = 0.0;
        for (int i = 0; i < count; ++i, ++at) sum += residuals[at] * residuals[at];
        scales.push_back(count > 0 && dof > 0 ? sum / count * n / dof : 0.0);
    }
    return scales;
}

// Beyond this many counts the Poisson distribution is its normal approximation to far better than the
// fit can tell, and a mean made huge by the dwell time and scans of a damaged file cannot overflow.
constexpr double kLargestPoissonMean = 1e12;

double poissonOf(double mean, std::mt19937_64& random, std::normal_distribution<double>& normal) {
    if (!(mean > 0.0)) return 0.0;
    if (mean > kLargestPoissonMean) return mean + std::sqrt(mean) * normal(random);
    return static_cast<double>(std::poisson_distribution<long>(mean)(random));
}

}  // namespace

ReplicaNoise::ReplicaNoise(const Workspace& ws, const SpectrumProblem& problem) {
    std::vector<int> points;
    for (int region : problem.regions())
        points.push_back(ws.regions[static_cast<std::size_t>(region)].rangeCount);
    const std::vector<double> scales = residualScales(problem, points);
    const bool enoughPoints = problem.residualCount() > problem.variableCount();
    for (std::size_t k = 0; k < points.size(); ++k) {
        const CountingScale scale =
            countingScaleOf(ws.regions[static_cast<std::size_t>(problem.regions()[k])]);
        if (!scale.known() && !enoughPoints) determined_ = false;
        spans_.push_back({points[k], scale, scales[k]});
    }
}

std::vector<double> ReplicaNoise::draw(const std::vector<double>& model, int replica) const {
    std::mt19937_64 random(kSeedBase + static_cast<std::uint64_t>(replica));
    std::normal_distribution<double> normal;
    std::vector<double> noisy(model.size());
    std::size_t i = 0;
    for (const Span& span : spans_) {
        for (int k = 0; k < span.points && i < model.size(); ++k, ++i) {
            const double m = model[i];
            if (span.scale.known()) {
                noisy[i] = poissonOf(m * span.scale.factor, random, normal) / span.scale.factor;
            } else {
                noisy[i] = m + std::sqrt(span.residualScale * std::fabs(m)) * normal(random);
            }
        }
    }
    return noisy;
}

std::string monteCarloNoiseText(const Region& region) {
    const CountingScale scale = countingScaleOf(region);
    switch (scale.basis) {
        case CountingScale::Basis::Counts:
            return "Poisson noise on the counts";
        case CountingScale::Basis::RateDwellAndScans:
            return "Poisson noise on the counts of " +
                   shortNumberText(static_cast<float>(*region.acquisition.dwellTime)) + " s x " +
                   std::to_string(*region.acquisition.scans) + " scans a point";
        case CountingScale::Basis::Unknown:
            break;
    }
    if (intensityKindOf(region.intensityUnit) == IntensityKind::CountRate)
        return "noise scaled to the fit's residuals (count rates without dwell time and scans)";
    return "noise scaled to the fit's residuals (the unit does not say counts)";
}

}  // namespace vortlan
