#include "fit/drivers.h"

#include <algorithm>
#include <array>

#include "fit/newton.h"
#include "fit/search.h"
#include "fit/trial_state.h"
#include "fit/trust/trusted_fit.h"
#include "fit/verdict.h"
#include "model/region_display.h"

namespace vortlan {

namespace {

constexpr Window kWaitingWindows[] = {Window::Spectrum, Window::Main, Window::Peak, Window::Constraint,
                                      Window::Background};

bool stopped(const Workspace& ws) {
    return isTrue(ws.stopRequested);
}

// Levenberg-Marquardt is chosen by exactly 2, for every command.  Otherwise the peak dialog's buttons
// use Newton's method only for exactly 1, and the loops for anything but 0.
bool leastSquaresChosen(const FitOptions& options) {
    return options.methodFlag == kLeastSquaresMethodFlag;
}
bool newtonInDialog(const FitOptions& options) {
    return options.methodFlag == 1.0f;
}
bool newtonInLoops(const FitOptions& options) {
    return options.methodFlag != 0.0f;
}

std::vector<int> peaksOf(const Region& r) {
    return std::vector<int>(r.peakSlots.begin(), r.peakSlots.begin() + std::clamp<int>(r.peakCount, 0, kPeaksPerRegion));
}

// One Newton step per enabled level and parameter, then a %GL search; true when a stop ends it.
bool newtonPass(Workspace& ws, Port& port, int peak) {
    Peak& p = ws.peaks[peak];
    const FitOptions& o = ws.options;
    const auto yieldAndCheck = [&] {
        port.yield();
        return stopped(ws);
    };
    bool accepted = false;
    for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
        if (!isFixed(p, param)) {
            for (int level = 0; level < kLevelCount; ++level) {
                if (param == PeakParam::Area && p.area == 0.0f) p.area = 1.0f;
                const NewtonLevels& levels = param == PeakParam::Position ? o.newtonPosition
                                             : param == PeakParam::Area   ? o.newtonArea
                                                                          : o.newtonFwhm;
                if (!isTrue(levels[static_cast<std::size_t>(level)].use)) continue;
                newtonStep(ws, port, peak, param, newtonDelta(ws, peak, param, level), accepted);
            }
        }
        if (yieldAndCheck()) return true;
    }
    if (!isFixed(p, PeakParam::Gl)) searchParameter(ws, port, peak, PeakParam::Gl);
    return yieldAndCheck();
}

// The four parameter searches of a peak; true when a stop ends it.
bool searchPass(Workspace& ws, Port& port, int peak) {
    for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm, PeakParam::Gl}) {
        if (!isFixed(ws.peaks[peak], param)) searchParameter(ws, port, peak, param);
        if (stopped(ws)) return true;
    }
    return false;
}

// A stop leaves the fit stopped: it did not run to its end.
FitVerdict newtonRegionLoop(Workspace& ws, Port& port) {
    const Region& r = currentRegionOf(ws);
    RepeatedTrialCheck repeated(ws);
    FitVerdict verdict = FitVerdict::Unknown;
    for (int trial = 0; trial < ws.options.newtonTrials; ++trial) {
        port.showFitTrial(trial + 1, ws.options.newtonTrials);
        const float before = r.chiSquare;
        for (int s = 0; s < r.peakCount && !stopped(ws); ++s) newtonPass(ws, port, r.peakSlots[s]);
        if (!stopped(ws)) {
            showCurrentRegion(ws, port);
            port.yield();
        }
        if (stopped(ws)) {
            showCurrentRegion(ws, port);
            return FitVerdict::Stopped;
        }
        verdict = judgeLastTrial(before, r.chiSquare, ws.options.tolerance);
        if (repeated.trialChangedNothing(ws)) break;
    }
    return verdict;
}

// Ends the fit when one peak's searches improve the total over all regions by less than the
// tolerance; a total of 0 before cannot be improved and ends it too.
FitVerdict searchRegionLoop(Workspace& ws, Port& port) {
    const Region& r = currentRegionOf(ws);
    RepeatedTrialCheck repeated(ws);
    FitVerdict verdict = FitVerdict::Unknown;
    float previous = ws.totalChiSquare;
    for (int trial = 0; trial < ws.options.searchTrials; ++trial) {
        port.showFitTrial(trial + 1, ws.options.searchTrials);
        const float before = r.chiSquare;
        bool settled = false;
        for (int s = 0; s < r.peakCount; ++s) {
            if (searchPass(ws, port, r.peakSlots[s])) break;
            const float ratio =
                static_cast<float>((static_cast<double>(previous) - ws.totalChiSquare) / previous);
            if (!(ratio >= ws.options.tolerance)) {
                ws.stopRequested = kTrue;
                settled = true;
                break;
            }
            previous = ws.totalChiSquare;
        }
        showCurrentRegion(ws, port);
        port.yield();
        // The tolerance ends the loop through the stop request; only a stop of the user's leaves the
        // fit unfinished.
        if (stopped(ws)) {
            return settled ? judgeLastTrial(before, r.chiSquare, ws.options.tolerance) : FitVerdict::Stopped;
        }
        verdict = judgeLastTrial(before, r.chiSquare, ws.options.tolerance);
        if (repeated.trialChangedNothing(ws)) break;
    }
    showCurrentRegion(ws, port);
    return verdict;
}

bool fittedRegion(const Region& r) {
    return isTrue(r.defined) && isTrue(r.backgroundSet);
}

// A Levenberg-Marquardt fit's end as the verdict of the regions it fitted.  A fit that found nothing
// to move has nothing left to gain; one that was refused has not been judged.
FitVerdict verdictOf(LeastSquaresFitEnd end) {
    switch (end) {
        case LeastSquaresFitEnd::Converged:
        case LeastSquaresFitEnd::NothingToFit:
            return FitVerdict::Converged;
        case LeastSquaresFitEnd::StillImproving:
            return FitVerdict::StillImproving;
        case LeastSquaresFitEnd::Stopped:
            return FitVerdict::Stopped;
        case LeastSquaresFitEnd::Refused:
            break;
    }
    return FitVerdict::Unknown;
}

RegionVerdict regionVerdictOf(const Workspace& ws, const TrustedFit& fit, int region) {
    const FitVerdict verdict = verdictOf(fit.end);
    if (verdict == FitVerdict::Unknown) return {};
    return RegionVerdict{verdict, fit.flagsOf(ws, region), fit.restartsOf(ws, region), {}};
}

// Levenberg-Marquardt over the selection; the current region's verdict.
void fitCurrentByLeastSquares(Workspace& ws, Port& port, FitSelection selection) {
    const TrustedFit fit = fitByLeastSquares(ws, port, std::move(selection));
    recordFitVerdict(ws, port, ws.currentRegion, regionVerdictOf(ws, fit, ws.currentRegion));
}

// Every fitted region's peaks as one problem, so that ties across regions are fitted jointly; each
// region gets the verdict of the whole, with its own flags.
void fitAllByLeastSquares(Workspace& ws, Port& port) {
    FitSelection all;
    for (const Region& r : ws.regions) {
        if (!fittedRegion(r)) continue;
        const std::vector<int> peaks = peaksOf(r);
        all.peaks.insert(all.peaks.end(), peaks.begin(), peaks.end());
    }
    const TrustedFit fit = fitByLeastSquares(ws, port, all);
    for (int region = 0; region < kRegionCount; ++region) {
        if (fittedRegion(ws.regions[region]))
            recordFitVerdict(ws, port, region, regionVerdictOf(ws, fit, region));
    }
}

// A verdict of Newton's method or the search, with the flags of where it ended.
void recordJudged(Workspace& ws, Port& port, int region, FitVerdict verdict) {
    recordFitVerdict(ws, port, region, judgedVerdict(ws, region, verdict));
}

}  // namespace

void beginFitting(Workspace& ws, Port& port) {
    ws.stopRequested = kFalse;
    ws.curveMemo = CurveMemo{true, {}};
    port.showWindow(Window::Fitting);
    for (Window w : kWaitingWindows) port.setWindowEnabled(w, false);
    port.yield();
}

void endFitting(Workspace& ws, Port& port) {
    ws.stopRequested = kFalse;
    ws.curveMemo = CurveMemo{};
    port.hideWindow(Window::Fitting);
    for (Window w : kWaitingWindows) port.setWindowEnabled(w, true);
}

void requestStop(Workspace& ws) {
    ws.stopRequested = kTrue;
}

void optimiseParameter(Workspace& ws, Port& port, int peak, PeakParam param) {
    if (leastSquaresChosen(ws.options)) {
        if (isFixed(ws.peaks.at(peak), param))
            return recordJudged(ws, port, ws.currentRegion, FitVerdict::Converged);
        return fitCurrentByLeastSquares(ws, port, FitSelection({peak}, param));
    }
    FitVerdict verdict = FitVerdict::Stopped;
    if (param != PeakParam::Gl && newtonInDialog(ws.options)) {
        verdict = newtonOptimiseParameter(ws, port, peak, param);
    } else {
        // The search of one parameter is the whole fit: its one trial is judged.
        const float before = currentRegionOf(ws).chiSquare;
        searchParameter(ws, port, peak, param);
        if (!stopped(ws))
            verdict = judgeLastTrial(before, currentRegionOf(ws).chiSquare, ws.options.tolerance);
    }
    recordJudged(ws, port, ws.currentRegion, verdict);
}

void optimisePeak(Workspace& ws, Port& port, int peak) {
    if (leastSquaresChosen(ws.options)) return fitCurrentByLeastSquares(ws, port, FitSelection({peak}));
    const FitVerdict verdict =
        newtonInDialog(ws.options) ? newtonOptimisePeak(ws, port, peak) : searchWholePeak(ws, port, peak);
    recordJudged(ws, port, ws.currentRegion, verdict);
}

void optimiseRegion(Workspace& ws, Port& port) {
    if (!fittedRegion(currentRegionOf(ws))) return;
    port.hideWindow(Window::Peak);
    beginFitting(ws, port);
    if (leastSquaresChosen(ws.options)) {
        fitCurrentByLeastSquares(ws, port, FitSelection(peaksOf(currentRegionOf(ws))));
    } else {
        recordJudged(ws, port, ws.currentRegion,
                     newtonInLoops(ws.options) ? newtonRegionLoop(ws, port) : searchRegionLoop(ws, port));
    }
    endFitting(ws, port);
}

void optimiseAllRegions(Workspace& ws, Port& port) {
    beginFitting(ws, port);
    port.hideWindow(Window::Peak);
    const short remembered = ws.currentRegion;
    if (leastSquaresChosen(ws.options)) {
        fitAllByLeastSquares(ws, port);
        ws.currentRegion = remembered;
        showCurrentRegion(ws, port);
        endFitting(ws, port);
        return;
    }
    const bool newton = newtonInLoops(ws.options);
    const int trials = newton ? ws.options.newtonTrials : ws.options.searchTrials;
    RepeatedTrialCheck repeated(ws);
    std::array<FitVerdict, kRegionCount> verdicts{};
    for (int trial = 0; trial < trials && !stopped(ws); ++trial) {
        port.showFitTrial(trial + 1, trials);
        std::array<float, kRegionCount> before{};
        for (int region = 0; region < kRegionCount; ++region) before[region] = ws.regions[region].chiSquare;
        for (int region = 0; region < kRegionCount && !stopped(ws); ++region) {
            const Region& r = ws.regions[region];
            if (!fittedRegion(r)) continue;
            ws.currentRegion = static_cast<short>(region);
            for (int s = 0; s < r.peakCount; ++s) {
                if (newton ? newtonPass(ws, port, r.peakSlots[s]) : searchPass(ws, port, r.peakSlots[s]))
                    break;
            }
            showCurrentRegion(ws, port);
            port.yield();
        }
        if (stopped(ws)) break;
        for (int region = 0; region < kRegionCount; ++region) {
            verdicts[region] =
                judgeLastTrial(before[region], ws.regions[region].chiSquare, ws.options.tolerance);
        }
        if (repeated.trialChangedNothing(ws)) break;
    }
    const bool unfinished = stopped(ws);
    ws.currentRegion = remembered;
    showCurrentRegion(ws, port);
    for (int region = 0; region < kRegionCount; ++region) {
        if (!fittedRegion(ws.regions[region])) continue;
        recordJudged(ws, port, region, unfinished ? FitVerdict::Stopped : verdicts[region]);
    }
    endFitting(ws, port);
}

}  // namespace vortlan
