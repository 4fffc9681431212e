#include "workspace/invariants.h"

#include <algorithm>
#include <cmath>

#include "workspace/acquisition.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

bool boundWithinLimit(const PointArray& array) {
    return array.bound() <= kMaxPoints;
}

bool holdsWithinLimit(const PointArray& array, int count) {
    return array.holds(count) && boundWithinLimit(array);
}

bool validAveragePoints(short n) {
    return n == 1 || n == 3 || n == 5 || n == 7 || n == 9;
}

bool validPeakIndex(int index) {
    return index >= 0 && index < kPeakCount;
}

bool slotsWithinTable(const Region& r) {
    if (r.peakCount < 0 || r.peakCount > kPeaksPerRegion) return false;
    for (int s = 0; s < r.peakCount; ++s) {
        if (!validPeakIndex(r.peakSlots[s])) return false;
    }
    return true;
}

bool constraintIsSound(const ParamConstraint& c) {
    return validPeakIndex(c.refPeak) && validPeakIndex(c.tiedPeak) && c.op >= 0 && c.op <= 3;
}

// Whether peak p, defined, is listed exactly once among the slots of its region.
int timesListed(const Workspace& ws, int p) {
    const Region& r = ws.regions[ws.peaks[p].region];
    int count = 0;
    for (int s = 0; s < r.peakCount; ++s) count += r.peakSlots[s] == p ? 1 : 0;
    return count;
}

std::string regionRule(const Workspace& ws, int index) {
    const Region& r = ws.regions[index];
    if (!regionIsSound(r)) return "region " + std::to_string(index) + " has counts or arrays out of range";
    for (int s = 0; s < r.peakCount; ++s) {
        const Peak& p = ws.peaks[r.peakSlots[s]];
        if (!isTrue(p.defined) || p.region != index) {
            return "slot " + std::to_string(s) + " of region " + std::to_string(index) +
                   " names no peak of it";
        }
    }
    return {};
}

std::string peakRule(const Workspace& ws, int index) {
    const Peak& p = ws.peaks[index];
    if (!peakIsSound(p)) return "peak " + std::to_string(index) + " has a field out of range";
    const Region& r = ws.regions[p.region];
    if (!isTrue(r.defined)) return "peak " + std::to_string(index) + " belongs to an empty region";
    if (timesListed(ws, index) != 1)
        return "peak " + std::to_string(index) + " is not listed once in its region";
    if (!p.curve.holds(r.rangeCount))
        return "peak " + std::to_string(index) + " has a curve shorter than its range";
    return {};
}

void removeUnsoundSlots(Workspace& ws, int index) {
    Region& r = ws.regions[index];
    const int stored = std::clamp<int>(r.peakCount, 0, kPeaksPerRegion);
    short kept = 0;
    for (int s = 0; s < stored; ++s) {
        const short p = r.peakSlots[s];
        if (!validPeakIndex(p) || !isTrue(ws.peaks[p].defined) || ws.peaks[p].region != index) continue;
        bool duplicate = false;
        for (int k = 0; k < kept; ++k) duplicate = duplicate || r.peakSlots[k] == p;
        if (!duplicate) r.peakSlots[kept++] = p;
    }
    r.peakCount = kept;
}

}  // namespace

void resetUnusedFitRange(Region& r) {
    if (isTrue(r.backgroundSet)) return;
    r.rangeCount = 0;
    r.indexAtHigh = 0;
    r.indexAtLow = 0;
}

void clampStoredGl(Peak& p) {
    p.gl = std::clamp<short>(p.gl, 0, 100);
}

bool regionIsSound(const Region& r) {
    if (r.pointCount < 0 || r.pointCount > kMaxPoints) return false;
    if (!holdsWithinLimit(r.energy, r.pointCount) || !holdsWithinLimit(r.counts, r.pointCount)) return false;
    if (r.rangeCount < 0 || r.rangeCount > r.pointCount) return false;
    for (const PointArray* array :
         {&r.rangeEnergy, &r.rangeCounts, &r.baseLine, &r.background, &r.envelope, &r.residual}) {
        if (!holdsWithinLimit(*array, r.rangeCount)) return false;
    }
    if (r.indexAtHigh < 0 || r.indexAtHigh > r.pointCount || r.indexAtLow < 0 ||
        r.indexAtLow > r.pointCount) {
        return false;
    }
    return slotsWithinTable(r) && validAveragePoints(r.averagePoints) && r.backgroundType >= 0 &&
           r.backgroundType <= 2 && acquisitionFits(r.acquisition, r.pointCount);
}

bool peakIsSound(const Peak& p) {
    return p.region >= 0 && p.region < kRegionCount && p.type >= 0 && p.type <= 4 && p.gl >= 0 &&
           p.gl <= 100 && boundWithinLimit(p.curve);
}

bool constraintsAreSound(const PeakConstraints& c) {
    for (PeakParam param : kPeakParams) {
        if (!constraintIsSound(c.of(param))) return false;
    }
    return true;
}

std::string firstBrokenRule(const Workspace& ws) {
    if (ws.currentRegion < 0 || ws.currentRegion >= kRegionCount) return "the current region is out of range";
    if (!validPeakIndex(ws.currentPeak)) return "the current peak is out of range";
    for (int r = 0; r < kRegionCount; ++r) {
        if (!isTrue(ws.regions[r].defined)) continue;
        if (std::string rule = regionRule(ws, r); !rule.empty()) return rule;
    }
    for (int p = 0; p < kPeakCount; ++p) {
        if (!constraintsAreSound(ws.constraints[p]))
            return "peak " + std::to_string(p) + " has a constraint out of range";
        if (!isTrue(ws.peaks[p].defined)) continue;
        if (std::string rule = peakRule(ws, p); !rule.empty()) return rule;
    }
    if (!boundWithinLimit(ws.scratchPeak.curve)) return "the scratch peak's curve is too large";
    if (ws.areaScrollUnit == 0.0f || !std::isfinite(ws.areaScrollUnit)) return "the area scroll unit is 0";
    return {};
}

void restoreInvariants(Workspace& ws) {
    if (ws.currentRegion < 0 || ws.currentRegion >= kRegionCount) ws.currentRegion = 0;
    if (!validPeakIndex(ws.currentPeak)) ws.currentPeak = 0;
    for (Region& r : ws.regions) {
        if (isTrue(r.defined) && !regionIsSound(r)) r.defined = kFalse;
    }
    for (Peak& p : ws.peaks) {
        if (isTrue(p.defined) && (!peakIsSound(p) || !isTrue(ws.regions[p.region].defined)))
            p.defined = kFalse;
    }
    for (int r = 0; r < kRegionCount; ++r) {
        if (isTrue(ws.regions[r].defined)) removeUnsoundSlots(ws, r);
    }
    for (int p = 0; p < kPeakCount; ++p) {
        Peak& peak = ws.peaks[p];
        if (!isTrue(peak.defined)) continue;
        if (timesListed(ws, p) != 1) {
            peak.defined = kFalse;
            continue;
        }
        const int rangeCount = ws.regions[peak.region].rangeCount;
        if (!peak.curve.holds(rangeCount)) resizePeakCurve(ws, p, rangeCount);
    }
    for (PeakConstraints& constraints : ws.constraints) {
        for (PeakParam param : kPeakParams) {
            if (!constraintIsSound(constraints.of(param))) unlinkConstraint(constraints.of(param));
        }
    }
    if (!boundWithinLimit(ws.scratchPeak.curve)) ws.scratchPeak.curve.release();
    if (ws.areaScrollUnit == 0.0f || !std::isfinite(ws.areaScrollUnit)) ws.areaScrollUnit = 1.0f;
}

}  // namespace vortlan
