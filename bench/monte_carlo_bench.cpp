// What a Monte Carlo replica costs: its noisy data with the end averages and the background drawn
// again from them (Tougaard's is O(N²)), against the whole replica with its fit, on the four C 1s
// peaks of the coverage tests over 301 points and on one peak over 5000.

#include <benchmark/benchmark.h>

#include <optional>

#include "fit/monte_carlo_experiment.h"
#include "fit/uncertainty.h"
#include "support/monte_carlo_spectra.h"

namespace vortlan {
namespace {

// One peak over 5000 points on its own background of the type: what the background costs at size.
Workspace largeRegion(BackgroundType type) {
    Workspace ws;
    RecordingPort port;
    ws.options.glSum = kTrue;
    testing::makeRegion(ws, 0, 5000, 300.0f, 20.0f / 4999, [](double e) {
        return testing::gaussianOn(0.0, 290.0, 1000.0, 1.5)(e) + testing::step(290.0, 200.0, 400.0)(e);
    });
    ws.regions[0].backgroundParam = type == BackgroundType::Tougaard ? 3000.0f : 0.0f;
    testing::acceptBackgroundOf(ws, port, type);
    testing::addPeak(ws, 0, 0, 290.0f, 1500.0f, 1.5f);
    return ws;
}

Workspace regionOf(int points, BackgroundType type) {
    if (points > 301) return largeRegion(type);
    return testing::fittedOnOwnBackground({type, type == BackgroundType::Tougaard ? 1000.0f : 0.0f, 1}, 1.0);
}

void replicaData(benchmark::State& state, BackgroundType type) {
    const Workspace ws = regionOf(static_cast<int>(state.range(0)), type);
    const SpectrumProblem problem(ws, FitSelection({0, 1, 2, 3}));
    const ReplicaExperiment experiment(ws, problem, standardErrors(ws, 0).noiseScale);
    int replica = 0;
    for (auto _ : state) benchmark::DoNotOptimize(experiment.replica(replica++));
}

void wholeReplica(benchmark::State& state, BackgroundType type) {
    const Workspace ws = regionOf(301, type);
    const SpectrumProblem problem(ws, FitSelection({0, 1, 2, 3}));
    const ReplicaExperiment experiment(ws, problem, standardErrors(ws, 0).noiseScale);
    int replica = 0;
    for (auto _ : state) {
        const std::optional<SpectrumProblem> noisy = experiment.replica(replica++);
        benchmark::DoNotOptimize(minimiseSquares(*noisy, problem.start(), problem.lower(), problem.upper()));
    }
}

BENCHMARK_CAPTURE(replicaData, shirley, BackgroundType::Shirley)
    ->Arg(301)
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(replicaData, tougaard, BackgroundType::Tougaard)
    ->Arg(301)
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholeReplica, shirley, BackgroundType::Shirley)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vortlan
