#include "fit/least_squares_fit.h"

#include <algorithm>
#include <chrono>

#include "model/region_curves.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr std::string_view kTooFewPoints = "Too few points in the fit range for the free parameters";
constexpr std::string_view kCannotStart = "The fit cannot start: a peak cannot be evaluated";

LeastSquaresFitEnd endOf(const LeastSquaresResult& result) {
    switch (result.end) {
        case LeastSquaresEnd::Converged:
            return LeastSquaresFitEnd::Converged;
        case LeastSquaresEnd::IterationLimit:
            return LeastSquaresFitEnd::StillImproving;
        case LeastSquaresEnd::Stopped:
            return LeastSquaresFitEnd::Stopped;
        case LeastSquaresEnd::NotEvaluable:
            break;
    }
    return LeastSquaresFitEnd::Refused;
}

// How often a fit shows the point it has reached: a fit of a few milliseconds is not slowed down by
// redrawing after each iteration, and a long one still moves on the screen.
constexpr auto kShowingInterval = std::chrono::milliseconds(50);

}  // namespace

void showFittedRegions(Workspace& ws, Port& port, const std::vector<int>& regions) {
    const short current = ws.currentRegion;
    for (int region : regions) {
        ws.currentRegion = static_cast<short>(region);
        updateRegionCurves(ws, port);
    }
    ws.currentRegion = current;
    showCurrentRegion(ws, port);
}

LeastSquaresFitEnd runLeastSquares(Workspace& ws, Port& port, const FitSelection& selection,
                                   LeastSquaresSettings settings) {
    const SpectrumProblem problem(ws, selection);
    if (problem.variableCount() == 0 || problem.regions().empty()) return LeastSquaresFitEnd::NothingToFit;
    if (problem.residualCount() < problem.variableCount()) {
        port.message(kTooFewPoints);
        return LeastSquaresFitEnd::Refused;
    }
    const std::vector<int> regions = problem.regions();
    auto shown = std::chrono::steady_clock::now();
    const LeastSquaresProgress progress = [&](int iteration, const double* x, double) {
        if (std::chrono::steady_clock::now() - shown >= kShowingInterval) {
            problem.store(x, ws);
            showFittedRegions(ws, port, regions);
            shown = std::chrono::steady_clock::now();
        }
        port.showFitTrial(iteration, kLeastSquaresIterations);
        port.yield();
        return !isTrue(ws.stopRequested);
    };
    settings.maxIterations = kLeastSquaresIterations;
    const LeastSquaresResult result =
        minimiseSquares(problem, problem.start(), problem.lower(), problem.upper(), settings, progress);
    ws.statisticEvaluations += static_cast<std::uint64_t>(result.evaluations + result.jacobians);
    if (result.end == LeastSquaresEnd::NotEvaluable) {
        port.message(kCannotStart);
        return LeastSquaresFitEnd::Refused;
    }
    problem.store(result.x.data(), ws);
    showFittedRegions(ws, port, regions);
    return endOf(result);
}

}  // namespace vortlan
