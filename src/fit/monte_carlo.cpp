#include "fit/monte_carlo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <thread>

#include "fit/least_squares/covariance.h"
#include "fit/monte_carlo_experiment.h"
#include "fit/monte_carlo_matching.h"
#include "fit/monte_carlo_spread.h"
#include "fit/spectrum_problem.h"
#include "fit/uncertainty_background.h"
#include "fit/uncertainty_scope.h"
#include "model/peak_shapes.h"

namespace vortlan {

namespace {

// What one replica's fit gave for each peak, matched to the parents, and whether that moved any.
struct ReplicaFit {
    std::vector<ReplicaPeak> peaks;
    bool rematched = false;
};
using ReplicaResult = std::optional<ReplicaFit>;

// What the replicas are made from and how their results are read: the problem of every region the
// ties connect, and the region's own peaks, whose errors are taken.
struct Replicas {
    const Workspace& ws;
    const SpectrumProblem& problem;
    const std::vector<int>& peaks;
    ReplicaExperiment experiment;
    std::vector<std::vector<std::size_t>> exchangeable;
    std::vector<ReplicaPeak> parents;
};

ReplicaPeak valuesOf(const SpectrumProblem& problem, const Workspace& ws, int peak, const double* x) {
    const auto value = [&](PeakParam param) { return problem.valueOf(peak, param, x); };
    const Peak& p = ws.peaks[peak];
    const double gl = std::clamp(value(PeakParam::Gl), 0.0, 100.0);
    const double height =
        heightFromArea(lineFormOf(ws.options), static_cast<float>(value(PeakParam::Area)),
                       static_cast<float>(value(PeakParam::Fwhm)), static_cast<short>(std::lround(gl)),
                       p.type, p.ts, p.tl, ws.regions[p.region].heightUnit);
    return {value(PeakParam::Position), value(PeakParam::Area), value(PeakParam::Fwhm), gl, height};
}

std::vector<ReplicaPeak> peakValues(const Replicas& r, const double* x) {
    std::vector<ReplicaPeak> values;
    for (int peak : r.peaks) values.push_back(valuesOf(r.problem, r.ws, peak, x));
    return values;
}

ReplicaResult fitReplica(const Replicas& r, int replica) {
    const std::optional<SpectrumProblem> noisy = r.experiment.replica(replica);
    if (!noisy) return std::nullopt;
    const LeastSquaresResult fit =
        minimiseSquares(*noisy, r.problem.start(), r.problem.lower(), r.problem.upper());
    if (fit.end != LeastSquaresEnd::Converged && fit.end != LeastSquaresEnd::IterationLimit)
        return std::nullopt;
    ReplicaFit result{peakValues(r, fit.x.data()), false};
    result.rematched = matchToParents(result.peaks, r.parents, r.exchangeable);
    return result;
}

// Every replica's result; none when the calling thread was told to stop.
std::optional<std::vector<ReplicaResult>> fitReplicas(const Replicas& r, int replicas, int threads,
                                                      const std::function<bool()>& stopRequested) {
    std::vector<ReplicaResult> results(static_cast<std::size_t>(replicas));
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false};
    const auto work = [&](bool asksToStop) {
        for (int k = next++; k < replicas && !stopped; k = next++) {
            results[static_cast<std::size_t>(k)] = fitReplica(r, k);
            if (asksToStop && stopRequested()) stopped = true;
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work, false);
    work(static_cast<bool>(stopRequested));
    for (std::thread& t : pool) t.join();
    if (stopped) return std::nullopt;
    return results;
}

// One quantity of one peak over the replicas that were fitted.
std::vector<double> valuesAcross(const std::vector<ReplicaResult>& results, std::size_t peak,
                                 std::size_t quantity) {
    std::vector<double> values;
    for (const ReplicaResult& r : results) {
        if (r) values.push_back(r->peaks[peak][quantity]);
    }
    return values;
}

// What each quantity is when no replica moves it: position, area, FWHM and %GL fixed or tied; the
// height tied when one of the three it follows from is; nothing for a quantity the replicas move.
std::array<std::optional<StandardError>, 5> unmovedOf(const Replicas& r, int peak) {
    std::array<std::optional<StandardError>, 5> unmoved;
    for (PeakParam param : kPeakParams) {
        if (r.problem.dependenceOf(peak, param, r.problem.start().data()).variable < 0)
            unmoved[static_cast<std::size_t>(param)] = errorWithoutVariable(r.ws, peak, param);
    }
    const auto tied = [](const std::optional<StandardError>& e) {
        return e && e->kind == StandardError::Kind::Tied;
    };
    if (unmoved[1] && unmoved[2] && unmoved[3])
        unmoved[kHeightValue] = StandardError{tied(unmoved[1]) || tied(unmoved[2]) || tied(unmoved[3])
                                                  ? StandardError::Kind::Tied
                                                  : StandardError::Kind::Fixed,
                                              0.0};
    return unmoved;
}

StandardError PeakErrors::*memberOfQuantity(std::size_t quantity) {
    return quantity == kHeightValue ? &PeakErrors::height
                                    : PeakErrors::memberOf(static_cast<PeakParam>(quantity));
}

void takeSpreads(const Replicas& r, const std::vector<ReplicaResult>& results, MonteCarloErrors& errors) {
    for (std::size_t k = 0; k < r.peaks.size(); ++k) {
        PeakErrors deviation{r.peaks[k], {}, {}, {}, {}, {}};
        PeakErrors robust = deviation;
        const auto unmoved = unmovedOf(r, r.peaks[k]);
        for (std::size_t q = 0; q < unmoved.size(); ++q) {
            const std::vector<double> values = valuesAcross(results, k, q);
            deviation.*memberOfQuantity(q) = unmoved[q].value_or(standardDeviationOf(values));
            robust.*memberOfQuantity(q) = unmoved[q].value_or(halfCentralRangeOf(values));
        }
        errors.peaks.push_back(deviation);
        errors.robust.push_back(robust);
    }
}

// Why no replica can be run, in words; empty when they can.
std::string whyNoReplicas(const Replicas& r) {
    if (r.problem.variableCount() == 0) return "nothing in the region is free to fit";
    if (r.experiment.determined()) return "";
    const int n = r.problem.residualCount();
    const int p = r.problem.variableCount();
    if (n <= p)
        return "their noise would be scaled to the fit's residuals, and " + std::to_string(n) +
               " points with " + std::to_string(p) + " free parameters leave no scatter to scale it by";
    return "their noise would be scaled to the fit's residuals, and the fit's residuals cannot be evaluated";
}

// σ² as the region's errors take it.  When every free parameter lies on a bound the errors have no
// covariance; the replicas, which move them within their bounds, then take σ² from their own problem.
std::optional<double> noiseScaleOf(const Workspace& ws, int region, const SpectrumProblem& problem) {
    if (const std::optional<double> scale = standardErrors(ws, region).noiseScale) return scale;
    const std::optional<Covariance> own =
        covarianceAt(problem, problem.start(), backgroundInputs(problem, ws));
    return own ? std::optional<double>(own->noiseScale) : std::nullopt;
}

std::vector<int> ownPeaks(const Region& region) {
    std::vector<int> peaks;
    for (int s = 0; s < region.peakCount && s < kPeaksPerRegion; ++s) peaks.push_back(region.peakSlots[s]);
    return peaks;
}

}  // namespace

MonteCarloErrors monteCarloErrors(const Workspace& ws, int region, int replicas, int threads,
                                  const std::function<bool()>& stopRequested) {
    MonteCarloErrors errors;
    const Region& reg = ws.regions.at(static_cast<std::size_t>(region));
    if (!isTrue(reg.defined) || !isTrue(reg.backgroundSet) || replicas < 1) return errors;
    errors.noise = monteCarloNoiseText(reg);
    const SpectrumProblem problem(ws, FitSelection(jointPeaks(ws, region)));
    const std::vector<int> peaks = ownPeaks(reg);
    Replicas r{ws,
               problem,
               peaks,
               ReplicaExperiment(ws, problem, noiseScaleOf(ws, region, problem)),
               exchangeablePeaks(ws, problem, peaks),
               {}};
    r.parents = peakValues(r, problem.start().data());
    errors.whyNone = whyNoReplicas(r);
    if (!errors.whyNone.empty()) {
        takeSpreads(r, {}, errors);
        return errors;
    }
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto fitted = fitReplicas(r, replicas, threads, stopRequested);
    if (!fitted) {
        errors.stopped = true;
        return errors;
    }
    for (const ReplicaResult& replica : *fitted) {
        errors.replicas += replica ? 1 : 0;
        errors.rematched += replica && replica->rematched ? 1 : 0;
    }
    takeSpreads(r, *fitted, errors);
    return errors;
}

}  // namespace vortlan
