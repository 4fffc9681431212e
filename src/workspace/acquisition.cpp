#include "workspace/acquisition.h"

#include <algorithm>
#include <cmath>

#include "workspace/intensity_unit.h"

namespace vortlan {

namespace {

bool positive(double value) {
    return std::isfinite(value) && value > 0.0;
}

// The value of the point whose energy is nearer, for an energy outside the points' span.
double nearerEnd(const Region& r, double energy) {
    const std::vector<float>& t = r.acquisition.transmission;
    const double toFirst = std::fabs(energy - r.energy[1]);
    const double toLast = std::fabs(energy - r.energy[r.pointCount]);
    return toFirst <= toLast ? t.front() : t.back();
}

}  // namespace

CountingScale countingScaleOf(const Region& region) {
    const Acquisition& a = region.acquisition;
    switch (intensityKindOf(region.intensityUnit)) {
        case IntensityKind::Counts:
            return {CountingScale::Basis::Counts, 1.0};
        case IntensityKind::CountRate:
            if (a.dwellTime && a.scans && positive(*a.dwellTime) && *a.scans >= 1)
                return {CountingScale::Basis::RateDwellAndScans, *a.dwellTime * *a.scans};
            break;
        case IntensityKind::Unknown:
            break;
    }
    return {};
}

std::optional<double> transmissionAt(const Region& r, double energy) {
    const std::vector<float>& t = r.acquisition.transmission;
    if (t.empty() || static_cast<int>(t.size()) != r.pointCount || !r.energy.holds(r.pointCount))
        return std::nullopt;
    for (int i = 1; i < r.pointCount; ++i) {
        const double a = r.energy[i];
        const double b = r.energy[i + 1];
        if (energy < std::min(a, b) || energy > std::max(a, b)) continue;
        if (a == b) return t[static_cast<std::size_t>(i - 1)];
        const double along = (energy - a) / (b - a);
        return t[static_cast<std::size_t>(i - 1)] +
               along * (t[static_cast<std::size_t>(i)] - t[static_cast<std::size_t>(i - 1)]);
    }
    return nearerEnd(r, energy);
}

bool acquisitionFits(const Acquisition& a, int points) {
    if (a.dwellTime && !positive(*a.dwellTime)) return false;
    if (a.scans && *a.scans < 1) return false;
    if (a.transmission.empty()) return true;
    return static_cast<int>(a.transmission.size()) == points &&
           std::all_of(a.transmission.begin(), a.transmission.end(), [](float v) { return positive(v); });
}

}  // namespace vortlan
