#include "fit/monte_carlo_noise.h"

#include <cmath>
#include <cstdint>
#include <random>

#include "base/number_text.h"
#include "workspace/intensity_unit.h"

namespace vortlan {

namespace {

constexpr std::uint64_t kSeedBase = 0x5eed0f5eedULL;

// Each region's share of σ²: σ² times its mean squared residual over that of the whole problem.
std::vector<double> residualScales(const SpectrumProblem& problem, double noiseScale) {
    std::vector<double> residuals(static_cast<std::size_t>(problem.residualCount()));
    problem.evaluate(problem.start().data(), residuals.data(), nullptr);
    double total = 0.0;
    for (double r : residuals) total += r * r;
    const double meanSquare = residuals.empty() ? 0.0 : total / static_cast<double>(residuals.size());
    const std::vector<int> regions = problem.regions();
    std::vector<double> scales;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const auto first = static_cast<std::size_t>(problem.firstResidualOf(regions[k]));
        const std::size_t end = k + 1 < regions.size()
                                    ? static_cast<std::size_t>(problem.firstResidualOf(regions[k + 1]))
                                    : residuals.size();
        double sum = 0.0;
        for (std::size_t i = first; i < end; ++i) sum += residuals[i] * residuals[i];
        const double own = end > first ? sum / static_cast<double>(end - first) : 0.0;
        scales.push_back(meanSquare > 0.0 ? noiseScale * own / meanSquare : noiseScale);
    }
    return scales;
}

// Beyond this many counts the Poisson distribution is its normal approximation to far better than the
// fit can tell, and a mean made huge by the dwell time and scans of a damaged file cannot overflow.
constexpr double kLargestPoissonMean = 1e12;

// The random numbers of one recorded point of one replica (splitmix64 from a seed made of both): a
// point's noise depends on nothing else, so that means equal but for rounding (counts, and the same
// counts stored as rates) draw the same values, however many numbers other points took.
class PointRandom {
  public:
    using result_type = std::uint64_t;

    PointRandom(int replica, std::size_t region, std::size_t point)
        : state_(mixed(mixed(mixed(kSeedBase + static_cast<std::uint64_t>(replica)) + region) + point)) {}

    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return ~result_type{0}; }
    result_type operator()() { return mixed(state_ += kGolden); }

  private:
    static constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ULL;
    static std::uint64_t mixed(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

double normalOf(PointRandom& random) {
    return std::normal_distribution<double>()(random);
}

double poissonOf(double mean, PointRandom& random) {
    if (!(mean > 0.0)) return 0.0;
    if (mean > kLargestPoissonMean) return mean + std::sqrt(mean) * normalOf(random);
    return static_cast<double>(std::poisson_distribution<long>(mean)(random));
}

}  // namespace

ReplicaNoise::ReplicaNoise(const Workspace& ws, const SpectrumProblem& problem,
                           std::optional<double> noiseScale) {
    const std::vector<double> scales = residualScales(problem, noiseScale.value_or(0.0));
    const std::vector<int> regions = problem.regions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const CountingScale scale = countingScaleOf(ws.regions[static_cast<std::size_t>(regions[k])]);
        if (!scale.known() && !noiseScale) determined_ = false;
        regions_.push_back({scale, scales[k]});
    }
}

std::vector<std::vector<double>> ReplicaNoise::draw(const std::vector<std::vector<double>>& means,
                                                    int replica) const {
    std::vector<std::vector<double>> noisy;
    for (std::size_t k = 0; k < means.size() && k < regions_.size(); ++k) {
        const RegionNoise& region = regions_[k];
        std::vector<double>& values = noisy.emplace_back();
        for (std::size_t i = 0; i < means[k].size(); ++i) {
            const double m = means[k][i];
            PointRandom random(replica, k, i);
            if (region.scale.known()) {
                values.push_back(poissonOf(m * region.scale.factor, random) / region.scale.factor);
            } else {
                values.push_back(m + std::sqrt(region.residualScale * std::fabs(m)) * normalOf(random));
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
