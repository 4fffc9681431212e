// The standard errors of a fitted peer spectrum (bench/peers/) against two Levenberg-Marquardt
// iterations of the same fit, and against one evaluation of the residuals and their Jacobian.

#include <benchmark/benchmark.h>

#include <vector>

#include "fit/least_squares/levenberg_marquardt.h"
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

FitSelection everyPeak(const Workspace& ws) {
    FitSelection all;
    for (int s = 0; s < ws.regions[0].peakCount; ++s) all.peaks.push_back(ws.regions[0].peakSlots[s]);
    return all;
}

// The first two iterations of the fit from the starting values, each a Jacobian, a solve and as many
// trial points as it takes.
void twoIterations(benchmark::State& state, const char* spectrum) {
    const Workspace ws = startingFit(spectrum);
    const SpectrumProblem problem(ws, everyPeak(ws));
    LeastSquaresSettings settings;
    settings.maxIterations = 2;
    settings.costTolerance = 0.0;
    settings.stepTolerance = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(minimiseSquares(problem, problem.start(), problem.lower(), problem.upper(), settings));
    }
}

// One evaluation of the residuals and their Jacobian at the result.
void jacobian(benchmark::State& state, const char* spectrum) {
    const Workspace ws = fitted(startingFit(spectrum));
    const SpectrumProblem problem(ws, everyPeak(ws));
    std::vector<double> residuals(problem.residualCount());
    std::vector<double> jacobian(static_cast<std::size_t>(problem.residualCount() * problem.variableCount()));
    for (auto _ : state) {
        problem.evaluate(problem.start().data(), residuals.data(), jacobian.data());
        benchmark::DoNotOptimize(jacobian.data());
    }
}

BENCHMARK_CAPTURE(standardErrorsAtTheResult, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(standardErrorsAtTheResult, big, "big")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(twoIterations, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(twoIterations, big, "big")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, big, "big")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vortlan
