// Levenberg-Marquardt on the two spectra the peer comparison uses (bench/peers/): a 301-point C 1s
// region with four peaks and a 5000-point region with eight overlapping ones, every parameter free,
// from the starting values every fitter gets, on a Shirley background over the whole range without end
// averaging.  Also the cost of the standard errors against that of one Jacobian.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "fit/drivers.h"
#include "fit/spectrum_problem.h"
#include "fit/uncertainty.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "session/background_dialog.h"
#include "session/import_text.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

std::string peerFile(const std::string& name) {
    return std::string(VORTLAN_SOURCE_DIR) + "/bench/peers/" + name;
}

// The spectrum imported as two-column text, its background accepted, and the starting peaks placed.
Workspace startingFit(const std::string& spectrum) {
    RecordingPort port;
    Session session(port);
    Workspace& ws = session.workspace;
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kTrue;
    ws.fileName = peerFile(spectrum + ".dat");
    importAscii(session);
    openBackgroundDialog(session);
    session.dialogs.background.BG = "Shirley";
    session.dialogs.background.AverPt = "None";
    acceptBackground(session);
    std::ifstream start(peerFile(spectrum + ".start"));
    int peak = 0;
    for (std::string line; std::getline(start, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        float position = 0, area = 0, fwhm = 0;
        short gl = 0;
        fields >> position >> area >> fwhm >> gl;
        testing::addPeak(ws, 0, peak++, position, area, fwhm, gl).fixGl = 0;
    }
    updateRegionCurves(ws, port);
    return ws;
}

Workspace fitted(const Workspace& start) {
    Workspace ws = start;
    RecordingPort port;
    optimiseRegion(ws, port);
    return ws;
}

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

BENCHMARK_CAPTURE(leastSquaresFit, c1s, "c1s")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(leastSquaresFit, big, "big")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(standardErrorsAtTheResult, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(standardErrorsAtTheResult, big, "big")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, c1s, "c1s")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(jacobian, big, "big")->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vortlan
