// The standard errors of a fitted peer spectrum (bench/peers/) against one evaluation of the residuals
// and their Jacobian, the work of one Levenberg-Marquardt iteration.

#include <benchmark/benchmark.h>

#include <vector>

#include "fit/spectrum_problem.h"
#include "fit/uncertainty.h"
#include "peer_spectra.h"

namespace vortlan {
namespace {

using bench::fitted;
using bench::startingFit;

void standardErrorsAtTheResult(benchmark::State& state, const char* spectrum) {
    const Workspace ws = fitted(startingFit(spectrum));
    for (auto _ : state) benchmark::DoNotOptimize(standardErrors(ws, 0));
}

// One evaluation of the residuals and their Jacobian: the work of one iteration.
void jacobian(benchmark::State& state, const char* spectrum) {
    const Workspace ws = fitted(startingFit(spectrum));
    FitSelection all;
    for (int s = 0; s < ws.regions[0].peakCount; ++s) all.peaks.push_back(ws.regions[0].peakSlots[s]);
    const SpectrumProblem problem(ws, all);
    std::vector<double> residuals(problem.residualCount());
    std::vector<double> jacobian(static_cast<std::size_t>(problem.residualCount() * problem.variableCount()));
    for (auto _ : state) {
        problem.evaluate(problem.start().data(), residuals.data(), jacobian.data());
        benchmark::DoNotOptimize(jacobian.data());
    }
}

BENCHMARK_CAPTURE(standardErrorsAtTheResult, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(standardErrorsAtTheResult, big, "big")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, big, "big")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vortlan
