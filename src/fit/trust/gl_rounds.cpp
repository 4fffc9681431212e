#include "fit/trust/gl_rounds.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

// A continuous %GL fit is then rounded: it needs only to come near its minimum.  The refit around the
// whole %GL, from there with little damping, finds the minimum that is stored.
constexpr double kBeforeRoundingTolerance = 1e-6;
constexpr double kNearMinimumDamping = 1e-3;

std::vector<int> peaksWithFreeGl(const Workspace& ws, const FitSelection& selection) {
    std::vector<int> peaks;
    if (selection.onlyParam && *selection.onlyParam != PeakParam::Gl) return peaks;
    for (int peak : selection.peaks) {
        const Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
        if (isTrue(p.defined) && !isFixed(p, PeakParam::Gl) && !isTrue(ws.constraints[peak].gl.linked))
            peaks.push_back(peak);
    }
    return peaks;
}

// The peaks whose %GL a continuous fit from here would take to another whole number, as one
// Gauss-Newton step over every free parameter tells; the parameters on their bounds stay there.
std::vector<int> glsThatWouldMove(const Workspace& ws, const FitSelection& selection,
                                  const std::vector<int>& glPeaks, Linearisation& linearisation) {
    const SpectrumProblem problem = problemAtBounds(ws, selection);
    const std::optional<Covariance>& covariance = linearisation.of(problem);
    std::vector<int> moving;
    if (!covariance) return moving;
    for (std::size_t v = 0; v < problem.variables().size(); ++v) {
        const FreeParameter& variable = problem.variables()[v];
        if (variable.param != PeakParam::Gl || !covariance->determined[v]) continue;
        const double gl =
            std::clamp(problem.start()[v] + covariance->step[v], problem.lower()[v], problem.upper()[v]);
        if (std::find(glPeaks.begin(), glPeaks.end(), variable.peak) != glPeaks.end() &&
            std::nearbyint(gl) != ws.peaks[variable.peak].gl)
            moving.push_back(variable.peak);
    }
    return moving;
}

bool finished(LeastSquaresFitEnd end) {
    return end == LeastSquaresFitEnd::Stopped || end == LeastSquaresFitEnd::Refused;
}

LeastSquaresFitEnd continuousRun(Workspace& ws, Port& port, FitSelection selection) {
    selection.glFree = true;
    LeastSquaresSettings settings;
    settings.costTolerance = kBeforeRoundingTolerance;
    return runLeastSquares(ws, port, selection, settings);
}

// The others fitted around the whole %GL; a run with nothing else to fit keeps the end before it.
LeastSquaresFitEnd heldRun(Workspace& ws, Port& port, FitSelection selection, LeastSquaresFitEnd before) {
    selection.glFree = false;
    LeastSquaresSettings settings;
    settings.initialDamping = kNearMinimumDamping;
    const LeastSquaresFitEnd end = runLeastSquares(ws, port, selection, settings);
    return end == LeastSquaresFitEnd::NothingToFit ? before : end;
}

}  // namespace

GlRoundsEnd fitWithWholeGl(Workspace& ws, Port& port, FitSelection selection, Linearisation& linearisation) {
    const std::vector<int> glPeaks = peaksWithFreeGl(ws, selection);
    if (glPeaks.empty()) return {runLeastSquares(ws, port, selection, {}), {}};
    LeastSquaresFitEnd end = continuousRun(ws, port, selection);
    for (int round = 1; !finished(end); ++round) {
        end = heldRun(ws, port, selection, end);
        if (finished(end)) break;
        const std::vector<int> moving = glsThatWouldMove(ws, selection, glPeaks, linearisation);
        if (moving.empty() || round == kGlRounds) return {end, moving};
        end = continuousRun(ws, port, selection);
    }
    return {end, {}};
}

}  // namespace vortlan
