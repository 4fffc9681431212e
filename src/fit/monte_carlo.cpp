#include "fit/monte_carlo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <thread>

#include "fit/monte_carlo_matching.h"
#include "fit/monte_carlo_noise.h"
#include "fit/monte_carlo_spread.h"
#include "fit/spectrum_problem.h"
#include "model/peak_shapes.h"

namespace vortlan {

namespace {

// What one replica's fit gave for each peak, matched to the parents, and whether that moved any.
struct ReplicaFit {
    std::vector<ReplicaPeak> peaks;
    bool rematched = false;
};
using ReplicaResult = std::optional<ReplicaFit>;

// What the replicas are made from and how their results are read.
struct Replicas {
    const Workspace& ws;
    const SpectrumProblem& problem;
    const std::vector<int>& peaks;
    ReplicaNoise noise;
    std::vector<double> model;
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
    const SpectrumProblem noisy = r.problem.withCounts(r.noise.draw(r.model, replica));
    const LeastSquaresResult fit =
        minimiseSquares(noisy, r.problem.start(), r.problem.lower(), r.problem.upper());
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

// Whether each quantity varies at all: position, area, FWHM, %GL when free, the height with any of the
// three it follows from.
std::array<bool, 5> variesOf(const SpectrumProblem& problem, int peak) {
    std::array<bool, 5> varies{};
    for (PeakParam param : kPeakParams)
        varies[static_cast<std::size_t>(param)] =
            problem.dependenceOf(peak, param, problem.start().data()).variable >= 0;
    varies[kHeightValue] = varies[1] || varies[2] || varies[3];
    return varies;
}

StandardError PeakErrors::*memberOfQuantity(std::size_t quantity) {
    return quantity == kHeightValue ? &PeakErrors::height
                                    : PeakErrors::memberOf(static_cast<PeakParam>(quantity));
}

void takeSpreads(const Replicas& r, const std::vector<ReplicaResult>& results, MonteCarloErrors& errors) {
    for (std::size_t k = 0; k < r.peaks.size(); ++k) {
        PeakErrors deviation{r.peaks[k], {}, {}, {}, {}, {}};
        PeakErrors robust = deviation;
        const std::array<bool, 5> varies = variesOf(r.problem, r.peaks[k]);
        for (std::size_t q = 0; q < varies.size(); ++q) {
            const std::vector<double> values = valuesAcross(results, k, q);
            const StandardError fixed{StandardError::Kind::Fixed, 0.0};
            deviation.*memberOfQuantity(q) = varies[q] ? standardDeviationOf(values) : fixed;
            robust.*memberOfQuantity(q) = varies[q] ? halfCentralRangeOf(values) : fixed;
        }
        errors.peaks.push_back(deviation);
        errors.robust.push_back(robust);
    }
}

// Errors the data cannot give: every free quantity not determined.
void takeNothing(const Replicas& r, MonteCarloErrors& errors) {
    takeSpreads(r, std::vector<ReplicaResult>(), errors);
}

}  // namespace

MonteCarloErrors monteCarloErrors(const Workspace& ws, int region, int replicas, int threads,
                                  const std::function<bool()>& stopRequested) {
    MonteCarloErrors errors;
    const Region& reg = ws.regions.at(static_cast<std::size_t>(region));
    if (!isTrue(reg.defined) || !isTrue(reg.backgroundSet) || replicas < 1) return errors;
    errors.noise = monteCarloNoiseText(reg);
    FitSelection selection;
    for (int s = 0; s < reg.peakCount && s < kPeaksPerRegion; ++s)
        selection.peaks.push_back(reg.peakSlots[s]);
    const SpectrumProblem problem(ws, selection);
    const double* start = problem.start().data();
    Replicas r{ws,
               problem,
               selection.peaks,
               ReplicaNoise(ws, problem),
               problem.model(start),
               exchangeablePeaks(ws, problem, selection.peaks),
               {}};
    r.parents = peakValues(r, start);
    if (!r.noise.determined()) {
        takeNothing(r, errors);
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
