#include "model/fit_range.h"

#include <algorithm>
#include <utility>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

// Only a raw point within 100 eV of a limit can stand for it.
constexpr double kNearestPointReach = 10000.0;  // eV^2

// The first raw point with the smallest distance to the energy, or the previous index when no point
// is near enough.
short nearestPoint(const Region& r, float energy, short previous) {
    short nearest = previous;
    double best = kNearestPointReach;
    for (int i = 1; i <= r.pointCount; ++i) {
        const double d = static_cast<double>(r.energy[i]) - energy;
        if (d * d < best) {
            best = d * d;
            nearest = static_cast<short>(i);
        }
    }
    // An index kept from before (or read from a file) may lie outside today's data.
    return static_cast<short>(std::clamp<int>(nearest, 1, r.pointCount));
}

void requireRawData(const Region& r) {
    if (r.pointCount < 1 || !r.energy.holds(r.pointCount) || !r.counts.holds(r.pointCount)) {
        throw ComputationFault(FaultKind::OutOfRange);
    }
}

// The number of range points, assuming evenly spaced raw points.
short rangePointCount(const Region& r) {
    const double span = static_cast<double>(r.energy[1]) - r.energy[r.pointCount];
    const double width = (static_cast<double>(r.rangeHigh) - r.rangeLow) * (r.pointCount - 1);
    const auto n = roundHalfEvenToShort(std::fabs(divideOrFault(width, span)) + 1.0);
    if (!n) throw ComputationFault(FaultKind::Overflow);
    // Unevenly spaced data can make the count run past the last raw point; the range ends there.
    return static_cast<short>(std::min<int>(*n, r.pointCount - r.indexAtHigh + 1));
}

// The range arrays are derived data; storage that cannot hold the range (a damaged file) is renewed.
void ensureRangeStorage(Region& r) {
    for (PointArray* array :
         {&r.rangeEnergy, &r.rangeCounts, &r.baseLine, &r.background, &r.envelope, &r.residual}) {
        if (!array->holds(r.rangeCount)) array->allocate(r.pointCount);
    }
}

}  // namespace

void selectFitRange(Workspace& workspace, int region) {
    Region& r = workspace.regions.at(region);
    requireRawData(r);
    if (r.rangeLow > r.rangeHigh) std::swap(r.rangeLow, r.rangeHigh);
    r.indexAtLow = nearestPoint(r, r.rangeLow, r.indexAtLow);
    r.indexAtHigh = nearestPoint(r, r.rangeHigh, r.indexAtHigh);
    r.rangeCount = rangePointCount(r);
    ensureRangeStorage(r);
    for (int i = 1; i <= r.rangeCount; ++i) r.rangeEnergy[i] = r.energy[r.indexAtHigh + i - 1];
    copyRangeCounts(r);
    for (int p = 0; p < kPeakCount; ++p) {
        const Peak& peak = workspace.peaks[p];
        if (isTrue(peak.defined) && peak.region == region) resizePeakCurve(workspace, p, r.rangeCount);
    }
}

void copyRangeCounts(Region& r) {
    const int last = r.indexAtHigh + r.rangeCount - 1;
    if (r.indexAtHigh < 1 || last > r.pointCount || !r.counts.holds(last) ||
        !r.rangeCounts.holds(r.rangeCount))
        throw ComputationFault(FaultKind::OutOfRange);
    for (int i = 1; i <= r.rangeCount; ++i) r.rangeCounts[i] = r.counts[r.indexAtHigh + i - 1];
}

void averageEndPoints(Region& r) {
    requireRawData(r);
    if (r.rangeCount < 1 || !r.rangeCounts.holds(r.rangeCount)) throw ComputationFault(FaultKind::OutOfRange);
    if (r.averagePoints == 0) r.averagePoints = 1;
    const int n = r.averagePoints;
    const int h = n / 2;
    // A window running past either end of the raw data repeats the end value.
    const auto rawCount = [&r](int index) {
        return static_cast<double>(r.counts[std::clamp(index, 1, int{r.pointCount})]);
    };
    double lowSum = 0.0;
    double highSum = 0.0;
    for (int k = -h; k <= h; ++k) {
        lowSum += rawCount(r.indexAtLow + k);
        highSum += rawCount(r.indexAtHigh + k);
    }
    r.endAverageLast = singleOrFault(lowSum / n);
    r.endAverageFirst = singleOrFault(highSum / n);
    r.rangeCounts[1] = r.endAverageFirst;
    r.rangeCounts[r.rangeCount] = r.endAverageLast;
}

}  // namespace vortlan
