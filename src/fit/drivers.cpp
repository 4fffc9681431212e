#include "fit/drivers.h"

#include <algorithm>

#include "fit/least_squares_fit.h"
#include "fit/newton.h"
#include "fit/search.h"
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

void newtonRegionLoop(Workspace& ws, Port& port) {
    const Region& r = currentRegionOf(ws);
    for (int trial = 0; trial < ws.options.newtonTrials; ++trial) {
        port.showFitTrial(trial + 1, ws.options.newtonTrials);
        for (int s = 0; s < r.peakCount && !stopped(ws); ++s) newtonPass(ws, port, r.peakSlots[s]);
        if (!stopped(ws)) {
            showCurrentRegion(ws, port);
            port.yield();
        }
        if (stopped(ws)) {
            showCurrentRegion(ws, port);
            return;
        }
    }
}

// Ends the fit when one peak's searches improve the total over all regions by less than the
// tolerance; a total of 0 before cannot be improved and ends it too.
void searchRegionLoop(Workspace& ws, Port& port) {
    const Region& r = currentRegionOf(ws);
    float previous = ws.totalChiSquare;
    for (int trial = 0; trial < ws.options.searchTrials; ++trial) {
        port.showFitTrial(trial + 1, ws.options.searchTrials);
        for (int s = 0; s < r.peakCount; ++s) {
            if (searchPass(ws, port, r.peakSlots[s])) break;
            const float ratio =
                static_cast<float>((static_cast<double>(previous) - ws.totalChiSquare) / previous);
            if (!(ratio >= ws.options.tolerance)) {
                ws.stopRequested = kTrue;
                break;
            }
            previous = ws.totalChiSquare;
        }
        showCurrentRegion(ws, port);
        port.yield();
        if (stopped(ws)) return;
    }
    showCurrentRegion(ws, port);
}

bool fittedRegion(const Region& r) {
    return isTrue(r.defined) && isTrue(r.backgroundSet);
}

// Every fitted region's peaks as one problem, so that ties across regions are fitted jointly.
void fitAllByLeastSquares(Workspace& ws, Port& port) {
    FitSelection all;
    for (const Region& r : ws.regions) {
        if (!fittedRegion(r)) continue;
        const std::vector<int> peaks = peaksOf(r);
        all.peaks.insert(all.peaks.end(), peaks.begin(), peaks.end());
    }
    fitByLeastSquares(ws, port, all);
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
        if (!isFixed(ws.peaks.at(peak), param)) fitByLeastSquares(ws, port, FitSelection{{peak}, param});
    } else if (param != PeakParam::Gl && newtonInDialog(ws.options)) {
        newtonOptimiseParameter(ws, port, peak, param);
    } else {
        searchParameter(ws, port, peak, param);
    }
}

void optimisePeak(Workspace& ws, Port& port, int peak) {
    if (leastSquaresChosen(ws.options)) {
        fitByLeastSquares(ws, port, FitSelection{{peak}, std::nullopt});
    } else if (newtonInDialog(ws.options)) {
        newtonOptimisePeak(ws, port, peak);
    } else {
        searchWholePeak(ws, port, peak);
    }
}

void optimiseRegion(Workspace& ws, Port& port) {
    if (!fittedRegion(currentRegionOf(ws))) return;
    port.hideWindow(Window::Peak);
    beginFitting(ws, port);
    if (leastSquaresChosen(ws.options)) {
        fitByLeastSquares(ws, port, FitSelection{peaksOf(currentRegionOf(ws)), std::nullopt});
    } else if (newtonInLoops(ws.options)) {
        newtonRegionLoop(ws, port);
    } else {
        searchRegionLoop(ws, port);
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
    for (int trial = 0; trial < trials && !stopped(ws); ++trial) {
        port.showFitTrial(trial + 1, trials);
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
    }
    ws.currentRegion = remembered;
    showCurrentRegion(ws, port);
    endFitting(ws, port);
}

}  // namespace vortlan
