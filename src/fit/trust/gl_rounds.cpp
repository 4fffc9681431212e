#include "fit/trust/gl_rounds.h"

#include <algorithm>

#include "fit/trust/fitted_state.h"

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

std::vector<short> glsOf(const Workspace& ws, const std::vector<int>& peaks) {
    std::vector<short> gls;
    for (int peak : peaks) gls.push_back(ws.peaks[peak].gl);
    return gls;
}

std::vector<int> changedGls(const Workspace& ws, const std::vector<int>& peaks, const std::vector<short>& before) {
    std::vector<int> changed;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        if (ws.peaks[peaks[k]].gl != before[k]) changed.push_back(peaks[k]);
    }
    return changed;
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

GlRoundsEnd fitWithWholeGl(Workspace& ws, Port& port, FitSelection selection) {
    const std::vector<int> glPeaks = peaksWithFreeGl(ws, selection);
    if (glPeaks.empty()) return {runLeastSquares(ws, port, selection, {}), {}};
    const std::vector<int> regions = SpectrumProblem(ws, selection).regions();
    LeastSquaresFitEnd end = continuousRun(ws, port, selection);
    for (int round = 1; !finished(end); ++round) {
        end = heldRun(ws, port, selection, end);
        if (finished(end)) break;
        // A look ahead: kept only when it moves some %GL, which starts another round.
        const FittedState held(ws, regions);
        const std::vector<short> gls = glsOf(ws, glPeaks);
        const LeastSquaresFitEnd ahead = continuousRun(ws, port, selection);
        if (finished(ahead)) {
            held.restore(ws, port);
            return {ahead, {}};
        }
        const std::vector<int> changed = changedGls(ws, glPeaks, gls);
        if (changed.empty() || round == kGlRounds) {
            held.restore(ws, port);
            return {end, changed};
        }
    }
    return {end, {}};
}

}  // namespace vortlan
