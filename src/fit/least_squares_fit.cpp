#include "fit/least_squares_fit.h"

#include <algorithm>

#include "base/checked_math.h"
#include "fit/search.h"
#include "model/region_curves.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr std::string_view kTooFewPoints = "Too few points in the fit range for the free parameters";
constexpr std::string_view kCannotStart = "The fit cannot start: a peak cannot be evaluated";
constexpr int kGlRounds = 3;  // %GL searches between fits in the product form

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

// One Levenberg-Marquardt run over the selection from the peaks' present values.
LeastSquaresFitEnd fitOnce(Workspace& ws, Port& port, const FitSelection& selection) {
    const SpectrumProblem problem(ws, selection);
    if (problem.variableCount() == 0 || problem.regions().empty()) return LeastSquaresFitEnd::NothingToFit;
    if (problem.residualCount() < problem.variableCount()) {
        port.message(kTooFewPoints);
        return LeastSquaresFitEnd::Refused;
    }
    const std::vector<int> regions = problem.regions();
    const LeastSquaresProgress progress = [&](int iteration, const double* x, double) {
        problem.store(x, ws);
        showRegions(ws, port, regions);
        port.showFitTrial(iteration, kLeastSquaresIterations);
        port.yield();
        return !isTrue(ws.stopRequested);
    };
    LeastSquaresSettings settings;
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

// The program's %GL search on every peak of the selection whose %GL is free; true when one moved.
bool searchGl(Workspace& ws, Port& port, const FitSelection& selection) {
    bool moved = false;
    const short current = ws.currentRegion;
    for (int peak : selection.peaks) {
        const Peak& p = ws.peaks.at(peak);
        if (!isTrue(p.defined) || isFixed(p, PeakParam::Gl) || isTrue(ws.constraints[peak].gl.linked)) continue;
        const short before = p.gl;
        ws.currentRegion = p.region;
        searchParameter(ws, port, peak, PeakParam::Gl);
        moved = moved || p.gl != before;
        if (isTrue(ws.stopRequested)) break;
    }
    ws.currentRegion = current;
    return moved;
}

LeastSquaresFitEnd fitSelection(Workspace& ws, Port& port, FitSelection selection) {
    const bool product = lineFormOf(ws.options) == LineForm::Product;
    const bool glToRound = !product && selection.glFree && hasFreeGl(ws, selection);
    selection.glFree = !product && selection.glFree;
    LeastSquaresFitEnd end = fitOnce(ws, port, selection);
    if (end == LeastSquaresFitEnd::Stopped || end == LeastSquaresFitEnd::Refused) return end;
    selection.glFree = false;
    if (glToRound) {
        // %GL was rounded to a whole number as it was stored: the others are fitted again around it.
        const LeastSquaresFitEnd refit = fitOnce(ws, port, selection);
        return refit == LeastSquaresFitEnd::NothingToFit ? end : refit;
    }
    if (!product || !hasFreeGl(ws, selection)) return end;
    for (int round = 0; round < kGlRounds && searchGl(ws, port, selection); ++round) {
        if (isTrue(ws.stopRequested)) return LeastSquaresFitEnd::Stopped;
        const LeastSquaresFitEnd refit = fitOnce(ws, port, selection);
        if (refit != LeastSquaresFitEnd::NothingToFit) end = refit;
        if (end == LeastSquaresFitEnd::Stopped || end == LeastSquaresFitEnd::Refused) break;
    }
    return end;
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
