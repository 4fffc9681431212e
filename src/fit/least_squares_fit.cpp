#include "fit/least_squares_fit.h"

#include <algorithm>
#include <chrono>

#include "base/checked_math.h"
#include "model/region_curves.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr std::string_view kTooFewPoints = "Too few points in the fit range for the free parameters";
// A fit whose %GL is then rounded needs only to come near its minimum: the refit around the whole
// %GL, from there with little damping, finds the minimum that is stored.
constexpr double kBeforeRoundingTolerance = 1e-6;
constexpr double kNearMinimumDamping = 1e-3;
constexpr std::string_view kCannotStart = "The fit cannot start: a peak cannot be evaluated";

// The curves and statistics of the regions, as the program computes and shows them.
void showRegions(Workspace& ws, Port& port, const std::vector<int>& regions) {
    const short current = ws.currentRegion;
    for (int region : regions) {
        ws.currentRegion = static_cast<short>(region);
        updateRegionCurves(ws, port);
    }
    ws.currentRegion = current;
    showCurrentRegion(ws, port);
}

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

// One Levenberg-Marquardt run over the selection from the peaks' present values.
LeastSquaresFitEnd fitOnce(Workspace& ws, Port& port, const FitSelection& selection, LeastSquaresSettings settings) {
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
            showRegions(ws, port, regions);
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
    showRegions(ws, port, regions);
    return endOf(result);
}

bool hasFreeGl(const Workspace& ws, const FitSelection& selection) {
    if (selection.onlyParam && *selection.onlyParam != PeakParam::Gl) return false;
    return std::any_of(selection.peaks.begin(), selection.peaks.end(), [&](int peak) {
        const Peak& p = ws.peaks.at(peak);
        return isTrue(p.defined) && !isFixed(p, PeakParam::Gl) && !isTrue(ws.constraints[peak].gl.linked);
    });
}

LeastSquaresFitEnd fitSelection(Workspace& ws, Port& port, FitSelection selection) {
    const bool glToRound = selection.glFree && hasFreeGl(ws, selection);
    LeastSquaresSettings settings;
    if (glToRound) settings.costTolerance = kBeforeRoundingTolerance;
    const LeastSquaresFitEnd end = fitOnce(ws, port, selection, settings);
    if (!glToRound || end == LeastSquaresFitEnd::Stopped || end == LeastSquaresFitEnd::Refused) return end;
    // %GL was rounded to a whole number as it was stored: the others are fitted again around it.
    selection.glFree = false;
    settings = {};
    settings.initialDamping = kNearMinimumDamping;
    const LeastSquaresFitEnd refit = fitOnce(ws, port, selection, settings);
    return refit == LeastSquaresFitEnd::NothingToFit ? end : refit;
}

}  // namespace

LeastSquaresFitEnd fitByLeastSquares(Workspace& ws, Port& port, FitSelection selection) {
    try {
        return fitSelection(ws, port, std::move(selection));
    } catch (const ComputationFault& fault) {
        // A relation that divides by zero or leaves the range of a single, met while storing a point.
        port.message(fault.what());
        return LeastSquaresFitEnd::Refused;
    }
}

}  // namespace vortlan
