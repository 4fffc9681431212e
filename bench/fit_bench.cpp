// "Optimise Region" with the shipped options, Newton's method and the search method, on a small and a
// large region: time per fit, statistic evaluations per fit, and the statistic before and after.

#include <benchmark/benchmark.h>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

// `peaks` peaks spread over a region of n points on a step background, started off the truth.
Workspace startingFit(int n, int peaks, float methodFlag) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = methodFlag;
    const float width = 4.0f * peaks;
    const float step = width / (n - 1);
    const auto truePosition = [&](int k) { return 280.0 + width * (k + 0.5) / peaks; };
    testing::makeRegion(ws, 0, n, 280.0f + width, step, [&](double e) {
        double counts = testing::step(280.0 + width / 2, 300.0, 700.0, 2.0)(e);
        for (int k = 0; k < peaks; ++k) counts += testing::gaussianOn(0.0, truePosition(k), 800.0 + 50 * k, 1.3)(e);
        return counts;
    });
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
    ws.regions[0].backgroundSet = kTrue;
    for (int k = 0; k < peaks; ++k) {
        const float area = (800.0f + 50 * k) * 1.3f * 1.0645f;
        testing::addPeak(ws, 0, k, static_cast<float>(truePosition(k) + 0.2), 0.8f * area, 1.5f, 10).fixGl = 1;
    }
    updateRegionCurves(ws, port);
    return ws;
}

void optimiseRegionBench(benchmark::State& state, float methodFlag) {
    const Workspace start = startingFit(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), methodFlag);
    RecordingPort port;
    std::uint64_t evaluations = 0;
    float chi = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Workspace ws = start;
        state.ResumeTiming();
        optimiseRegion(ws, port);
        evaluations = ws.statisticEvaluations - start.statisticEvaluations;
        chi = ws.regions[0].chiSquare;
    }
    state.counters["evaluations"] = static_cast<double>(evaluations);
    state.counters["chi_start"] = start.regions[0].chiSquare;
    state.counters["chi_end"] = chi;
}

BENCHMARK_CAPTURE(optimiseRegionBench, newton, 1.0f)->Args({301, 4})->Args({5000, 10})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(optimiseRegionBench, search, 0.0f)->Args({301, 4})->Args({5000, 10})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortlan
