#include "fit/trust/fit_flags.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "fit/least_squares/covariance.h"
#include "fit/spectrum_problem.h"
#include "fit/trust/physical_bounds.h"

namespace vortlan {

namespace {

// A FWHM this much below the floor is narrower than it: storing a single moves a value by less.
constexpr double kBelowFloor = 1e-6;

bool onBound(const std::vector<FreeParameter>& onBounds, int peak, PeakParam param) {
    return std::find(onBounds.begin(), onBounds.end(), FreeParameter{peak, param}) != onBounds.end();
}

// The flag of a free parameter the fit left on a bound: the user's limit, or the physical bound.  An
// area on a bound of its own is on its floor; a %GL at 0 or 100 is a shape, not a trap.
std::optional<FitFlag> boundFlag(const Workspace& ws, int peak, PeakParam param) {
    const short number = static_cast<short>(peak);
    if (isTrue(ws.constraints[peak].of(param).limited)) return FitFlag{number, FitFlagCause::AtLimit, param};
    switch (param) {
        case PeakParam::Area:
            return FitFlag{number, FitFlagCause::AreaAtFloor, param};
        case PeakParam::Position:
        case PeakParam::Fwhm:
            return FitFlag{number, FitFlagCause::AtBound, param};
        case PeakParam::Gl:
            break;
    }
    return std::nullopt;
}

std::optional<FitFlag> narrowFlag(const Workspace& ws, const PhysicalBounds& bounds, int region, int peak) {
    const double floor = bounds.fwhmFloor(region);
    if (!(ws.peaks[peak].fwhm < floor * (1.0 - kBelowFloor))) return std::nullopt;
    const FitFlagCause cause =
        ws.instrumentFwhm ? FitFlagCause::NarrowerThanLimit : FitFlagCause::NarrowerThanStep;
    return FitFlag{static_cast<short>(peak), cause, PeakParam::Fwhm};
}

// The position and FWHM variables the data do not determine, with those on bounds held.
std::vector<FreeParameter> undetermined(const Workspace& ws, FitSelection selection,
                                        const std::vector<FreeParameter>& onBounds,
                                        Linearisation& linearisation) {
    selection.held = onBounds;
    const SpectrumProblem problem(ws, selection);
    const std::optional<Covariance>& covariance = linearisation.of(problem);
    std::vector<FreeParameter> found;
    for (std::size_t v = 0; v < problem.variables().size(); ++v) {
        const FreeParameter& variable = problem.variables()[v];
        if (variable.param != PeakParam::Position && variable.param != PeakParam::Fwhm) continue;
        if (!covariance || !covariance->determined[v]) found.push_back(variable);
    }
    return found;
}

bool movedFar(const Peak& p, int peak, const std::vector<PlacedPeak>& placed) {
    for (const PlacedPeak& start : placed) {
        if (start.peak != peak) continue;
        const double width = std::max(std::fabs(start.fwhm), std::fabs(p.fwhm));
        return std::fabs(static_cast<double>(p.position) - start.position) > width;
    }
    return false;
}

void add(std::vector<FitFlag>& flags, const std::optional<FitFlag>& flag) {
    if (flag) flags.push_back(*flag);
}

std::vector<FitFlag> peakFlags(const Workspace& ws, const PhysicalBounds& bounds, int region, int peak,
                               const std::vector<FreeParameter>& onBounds,
                               const std::vector<FreeParameter>& notDetermined, const FitHistory& history) {
    std::vector<FitFlag> flags;
    const short number = static_cast<short>(peak);
    const bool fwhmOnBound = onBound(onBounds, peak, PeakParam::Fwhm);
    if (!fwhmOnBound) add(flags, narrowFlag(ws, bounds, region, peak));
    for (PeakParam param : kPeakParams) {
        if (onBound(onBounds, peak, param)) add(flags, boundFlag(ws, peak, param));
    }
    if (!bounds.withinFitRange(peak))
        flags.push_back({number, FitFlagCause::OutsideRange, PeakParam::Position});
    for (const FreeParameter& v : notDetermined) {
        if (v.peak == peak) flags.push_back({number, FitFlagCause::NotDetermined, v.param});
    }
    if (std::find(history.glUnsettled.begin(), history.glUnsettled.end(), peak) != history.glUnsettled.end())
        flags.push_back({number, FitFlagCause::GlChanged, PeakParam::Gl});
    if (movedFar(ws.peaks[peak], peak, history.placed))
        flags.push_back({number, FitFlagCause::MovedFar, PeakParam::Position});
    return flags;
}

}  // namespace

std::vector<FitFlag> judgeFitFlags(const Workspace& ws, int region, const FitHistory& history,
                                   Linearisation* linearisation) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet)) return {};
    FitSelection selection;
    for (int s = 0; s < std::clamp<int>(r.peakCount, 0, kPeaksPerRegion); ++s)
        selection.peaks.push_back(r.peakSlots[s]);
    const std::vector<FreeParameter> onBounds = SpectrumProblem(ws, selection).parametersOnBounds();
    Linearisation own;
    const std::vector<FreeParameter> notDetermined =
        undetermined(ws, selection, onBounds, linearisation ? *linearisation : own);
    const PhysicalBounds bounds(ws);
    std::vector<FitFlag> flags;
    for (int peak : selection.peaks) {
        if (peak < 0 || peak >= kPeakCount || !isTrue(ws.peaks[peak].defined)) continue;
        const std::vector<FitFlag> found =
            peakFlags(ws, bounds, region, peak, onBounds, notDetermined, history);
        flags.insert(flags.end(), found.begin(), found.end());
    }
    return flags;
}

bool callsForRestart(const FitFlag& flag) {
    return flag.cause != FitFlagCause::AtLimit && flag.cause != FitFlagCause::GlChanged;
}

}  // namespace vortlan
