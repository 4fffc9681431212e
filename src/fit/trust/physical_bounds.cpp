#include "fit/trust/physical_bounds.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "model/propagation.h"

namespace vortlan {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

bool hasFitRange(const Region& r) {
    return r.rangeCount >= 1 && r.rangeEnergy.holds(r.rangeCount);
}

const Region& regionOf(const Workspace& ws, const Peak& p) {
    return ws.regions.at(static_cast<std::size_t>(std::clamp<int>(p.region, 0, kRegionCount - 1)));
}

// The distances of a doublet's components from the stored position: the main one at 0, the other at
// the splitting.
ValueBounds componentOffsets(const Peak& p) {
    const bool doublet = p.type > static_cast<short>(PeakType::Singlet) && p.type <= static_cast<short>(PeakType::F);
    const double splitting = doublet && std::isfinite(p.splitting) ? p.splitting : 0.0;
    return {std::min(0.0, splitting), std::max(0.0, splitting)};
}

// The fit range as the peak's components see it, widened by `widening` on both sides.
ValueBounds storedPositionsReaching(const Peak& p, const Region& r, double widening) {
    const ValueBounds range = fitRangeExtentOf(r);
    const ValueBounds offsets = componentOffsets(p);
    return {range.low - widening - r.shift - offsets.high, range.high + widening - r.shift - offsets.low};
}

}  // namespace

ValueBounds fitRangeExtentOf(const Region& r) {
    if (!hasFitRange(r)) return {-kInfinity, kInfinity};
    double low = kInfinity;
    double high = -kInfinity;
    for (int i = 1; i <= r.rangeCount; ++i) {
        low = std::min<double>(low, r.rangeEnergy[i]);
        high = std::max<double>(high, r.rangeEnergy[i]);
    }
    return {low, high};
}

double dataStepOf(const Region& r) {
    if (!hasFitRange(r) || r.rangeCount < 2) return 0.0;
    std::vector<double> steps;
    for (int i = 1; i < r.rangeCount; ++i) steps.push_back(std::fabs(static_cast<double>(r.rangeEnergy[i + 1]) - r.rangeEnergy[i]));
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

double fwhmFloorOf(const Workspace& ws, const Region& r) {
    return ws.instrumentFwhm ? *ws.instrumentFwhm : dataStepOf(r);
}

ValueBounds positionBoundsOf(const Workspace& ws, int peak) {
    const Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
    const Region& r = regionOf(ws, p);
    if (!hasFitRange(r)) return {-kInfinity, kInfinity};
    const ValueBounds range = fitRangeExtentOf(r);
    const double width = std::isfinite(p.fwhm) ? std::fabs(static_cast<double>(p.fwhm)) : kInfinity;
    const double widening = std::max(std::min(width, range.high - range.low), fwhmFloorOf(ws, r));
    return storedPositionsReaching(p, r, widening);
}

bool liesWithinFitRange(const Workspace& ws, int peak) {
    const Peak& p = ws.peaks.at(static_cast<std::size_t>(peak));
    const Region& r = regionOf(ws, p);
    return !hasFitRange(r) || storedPositionsReaching(p, r, 0.0).holds(p.position);
}

ValueBounds fitBoundsOf(const Workspace& ws, int peak, PeakParam param) {
    const ParamConstraint& c = ws.constraints.at(static_cast<std::size_t>(peak)).of(param);
    const bool limited = isTrue(c.limited);
    ValueBounds bounds{limited ? c.low : -kInfinity, limited ? c.high : kInfinity};
    switch (param) {
        case PeakParam::Position:
            if (!limited) bounds = positionBoundsOf(ws, peak);
            break;
        case PeakParam::Area:
            if (!limited) bounds.low = kAreaFloor;
            break;
        case PeakParam::Fwhm:
            if (!limited) bounds.low = fwhmFloorOf(ws, regionOf(ws, ws.peaks[peak]));
            bounds.low = std::max(bounds.low, static_cast<double>(kMinimumTiedFwhm));
            break;
        case PeakParam::Gl:
            bounds.low = std::max(bounds.low, 0.0);
            bounds.high = std::min(bounds.high, 100.0);
            break;
    }
    bounds.high = std::max(bounds.low, bounds.high);
    return bounds;
}

}  // namespace vortlan
