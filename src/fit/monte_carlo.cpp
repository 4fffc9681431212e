#include "fit/monte_carlo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <random>
#include <thread>

#include "fit/spectrum_problem.h"
#include "model/peak_shapes.h"

namespace vortlan {

namespace {

constexpr std::uint64_t kSeedBase = 0x5eed0f5eedULL;

// What one replica's fit gave for each peak: position, area, FWHM, %GL and height.
using PeakValues = std::array<double, 5>;
using ReplicaResult = std::optional<std::vector<PeakValues>>;

std::vector<double> noisyCounts(const std::vector<double>& model, int replica) {
    std::mt19937_64 random(kSeedBase + static_cast<std::uint64_t>(replica));
    std::vector<double> counts(model.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        counts[i] = model[i] > 0.0 ? static_cast<double>(std::poisson_distribution<long>(model[i])(random)) : 0.0;
    }
    return counts;
}

PeakValues valuesOf(const SpectrumProblem& problem, const Workspace& ws, int peak, const double* x) {
    const auto value = [&](PeakParam param) { return problem.valueOf(peak, param, x); };
    const Peak& p = ws.peaks[peak];
    const double gl = std::clamp(value(PeakParam::Gl), 0.0, 100.0);
    const double height = heightFromArea(lineFormOf(ws.options), static_cast<float>(value(PeakParam::Area)),
                                         static_cast<float>(value(PeakParam::Fwhm)), static_cast<short>(std::lround(gl)),
                                         p.type, p.ts, p.tl, ws.regions[p.region].heightUnit);
    return {value(PeakParam::Position), value(PeakParam::Area), value(PeakParam::Fwhm), gl, height};
}

ReplicaResult fitReplica(const SpectrumProblem& problem, const std::vector<double>& model, const Workspace& ws,
                         const std::vector<int>& peaks, int replica) {
    const SpectrumProblem noisy = problem.withCounts(noisyCounts(model, replica));
    const LeastSquaresResult fit = minimiseSquares(noisy, problem.start(), problem.lower(), problem.upper());
    if (fit.end != LeastSquaresEnd::Converged && fit.end != LeastSquaresEnd::IterationLimit) return std::nullopt;
    std::vector<PeakValues> values;
    for (int peak : peaks) values.push_back(valuesOf(problem, ws, peak, fit.x.data()));
    return values;
}

// Every replica's result; none when the calling thread was told to stop.
std::optional<std::vector<ReplicaResult>> fitReplicas(const SpectrumProblem& problem, const Workspace& ws,
                                                      const std::vector<int>& peaks, int replicas,
                                                      int threads,
                                                      const std::function<bool()>& stopRequested) {
    const std::vector<double> model = problem.model(problem.start().data());
    std::vector<ReplicaResult> results(static_cast<std::size_t>(replicas));
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false};
    const auto work = [&](bool asksToStop) {
        for (int k = next++; k < replicas && !stopped; k = next++) {
            results[static_cast<std::size_t>(k)] = fitReplica(problem, model, ws, peaks, k);
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

StandardError spread(const std::vector<ReplicaResult>& results, std::size_t peak, std::size_t quantity, bool free) {
    if (!free) return {StandardError::Kind::Fixed, 0.0};
    double sum = 0.0, squares = 0.0;
    int n = 0;
    for (const ReplicaResult& r : results) {
        if (!r) continue;
        const double v = (*r)[peak][quantity];
        sum += v;
        squares += v * v;
        ++n;
    }
    if (n < 2) return {StandardError::Kind::NotDetermined, 0.0};
    const double mean = sum / n;
    return {StandardError::Kind::Value, std::sqrt(std::max(0.0, (squares - n * mean * mean) / (n - 1)))};
}

}  // namespace

MonteCarloErrors monteCarloErrors(const Workspace& ws, int region, int replicas, int threads,
                                  const std::function<bool()>& stopRequested) {
    MonteCarloErrors errors;
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet) || replicas < 1) return errors;
    FitSelection selection;
    for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) selection.peaks.push_back(r.peakSlots[s]);
    const SpectrumProblem problem(ws, selection);
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto fitted = fitReplicas(problem, ws, selection.peaks, replicas, threads, stopRequested);
    if (!fitted) {
        errors.stopped = true;
        return errors;
    }
    const std::vector<ReplicaResult>& results = *fitted;
    errors.replicas = static_cast<int>(std::count_if(results.begin(), results.end(), [](const ReplicaResult& x) { return x.has_value(); }));
    const std::vector<double>& x = problem.start();
    for (std::size_t k = 0; k < selection.peaks.size(); ++k) {
        const int peak = selection.peaks[k];
        PeakErrors e;
        e.peak = peak;
        for (PeakParam param : kPeakParams) {
            const bool free = problem.dependenceOf(peak, param, x.data()).variable >= 0;
            e.*PeakErrors::memberOf(param) = spread(results, k, static_cast<std::size_t>(param), free);
        }
        const bool heightFree = e.area.kind != StandardError::Kind::Fixed || e.fwhm.kind != StandardError::Kind::Fixed ||
                                e.gl.kind != StandardError::Kind::Fixed;
        e.height = spread(results, k, 4, heightFree);
        errors.peaks.push_back(e);
    }
    return errors;
}

}  // namespace vortlan
