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

// The distances of a doublet's components from the stored position: the main one at 0, the other at
// the splitting.
ValueBounds componentOffsets(const Peak& p) {
    const bool doublet =
        p.type > static_cast<short>(PeakType::Singlet) && p.type <= static_cast<short>(PeakType::F);
    const double splitting = doublet && std::isfinite(p.splitting) ? p.splitting : 0.0;
    return {std::min(0.0, splitting), std::max(0.0, splitting)};
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
    for (int i = 1; i < r.rangeCount; ++i)
        steps.push_back(std::fabs(static_cast<double>(r.rangeEnergy[i + 1]) - r.rangeEnergy[i]));
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

double fwhmFloorOf(const Workspace& ws, const Region& r) {
    return ws.instrumentFwhm ? *ws.instrumentFwhm : dataStepOf(r);
}

const PhysicalBounds::Scale& PhysicalBounds::scaleOf(int region) const {
    std::optional<Scale>& scale = scales_.at(static_cast<std::size_t>(region));
    if (!scale) {
        const Region& r = ws_.regions[static_cast<std::size_t>(region)];
        scale = Scale{fitRangeExtentOf(r), fwhmFloorOf(ws_, r)};
    }
    return *scale;
}

int PhysicalBounds::regionOf(int peak) const {
    return std::clamp<int>(ws_.peaks.at(static_cast<std::size_t>(peak)).region, 0, kRegionCount - 1);
}

double PhysicalBounds::fwhmFloor(int region) const {
    return scaleOf(region).step;
}

// The fit range as the peak's components see it, widened by `widening` on both sides.
ValueBounds PhysicalBounds::storedPositionsReaching(int peak, double widening) const {
    const Peak& p = ws_.peaks[static_cast<std::size_t>(peak)];
    const ValueBounds range = scaleOf(regionOf(peak)).extent;
    const ValueBounds offsets = componentOffsets(p);
    const float shift = ws_.regions[static_cast<std::size_t>(regionOf(peak))].shift;
    return {range.low - widening - shift - offsets.high, range.high + widening - shift - offsets.low};
}

ValueBounds PhysicalBounds::position(int peak) const {
    const Peak& p = ws_.peaks.at(static_cast<std::size_t>(peak));
    const Scale& scale = scaleOf(regionOf(peak));
    if (!std::isfinite(scale.extent.low)) return scale.extent;
    const double width = std::isfinite(p.fwhm) ? std::fabs(static_cast<double>(p.fwhm)) : kInfinity;
    const double widening = std::max(std::min(width, scale.extent.high - scale.extent.low), scale.step);
    return storedPositionsReaching(peak, widening);
}

bool PhysicalBounds::withinFitRange(int peak) const {
    return !std::isfinite(scaleOf(regionOf(peak)).extent.low) ||
           storedPositionsReaching(peak, 0.0).holds(ws_.peaks[static_cast<std::size_t>(peak)].position);
}

ValueBounds PhysicalBounds::of(int peak, PeakParam param) const {
    const ParamConstraint& c = ws_.constraints.at(static_cast<std::size_t>(peak)).of(param);
    const bool limited = isTrue(c.limited);
    ValueBounds bounds{limited ? c.low : -kInfinity, limited ? c.high : kInfinity};
    switch (param) {
        case PeakParam::Position:
            if (!limited) bounds = position(peak);
            break;
        case PeakParam::Area:
            if (!limited) bounds.low = kAreaFloor;
            break;
        case PeakParam::Fwhm:
            if (!limited) bounds.low = fwhmFloor(regionOf(peak));
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
