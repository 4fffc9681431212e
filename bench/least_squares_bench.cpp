// Levenberg-Marquardt on the two spectra the peer comparison uses (bench/peers/): a 301-point C 1s
// region with four peaks and a 5000-point region with eight overlapping ones, every parameter free.

#include <benchmark/benchmark.h>

#include "peer_spectra.h"

namespace vortlan {
namespace {

using bench::startingFit;

void leastSquaresFit(benchmark::State& state, const char* spectrum) {
    const Workspace start = startingFit(spectrum);
    RecordingPort port;
    Workspace ws;
    for (auto _ : state) {
        state.PauseTiming();
        ws = start;
        state.ResumeTiming();
        optimiseRegion(ws, port);
    }
    state.counters["chi_start"] = start.regions[0].chiSquare;
    state.counters["chi_end"] = ws.regions[0].chiSquare;
    state.counters["evaluations"] = static_cast<double>(ws.statisticEvaluations - start.statisticEvaluations);
}

BENCHMARK_CAPTURE(leastSquaresFit, c1s, "c1s")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(leastSquaresFit, big, "big")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vortlan
