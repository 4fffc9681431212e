#include "fit/uncertainty_scope.h"

#include <array>
#include <numeric>

namespace vortlan {

namespace {

bool followable(const Workspace& ws, const ParamConstraint& c) {
    const bool dividesByZero = c.op == static_cast<short>(ConstraintOp::Divide) && c.operand == 0.0f;
    return isTrue(c.linked) && c.refPeak >= 0 && c.refPeak < kPeakCount &&
           isTrue(ws.peaks[c.refPeak].defined) && c.op >= 0 && c.op <= 3 && !dividesByZero;
}

bool inTable(int region) {
    return region >= 0 && region < kRegionCount;
}

class RegionGroups {
  public:
    RegionGroups() { std::iota(parent_.begin(), parent_.end(), 0); }
    int rootOf(int region) {
        while (parent_[static_cast<std::size_t>(region)] != region)
            region = parent_[static_cast<std::size_t>(region)];
        return region;
    }
    void join(int a, int b) { parent_[static_cast<std::size_t>(rootOf(a))] = rootOf(b); }

  private:
    std::array<int, kRegionCount> parent_{};
};

}  // namespace

std::vector<int> jointPeaks(const Workspace& ws, int region) {
    if (!inTable(region)) return {};
    RegionGroups groups;
    for (int peak = 0; peak < kPeakCount; ++peak) {
        const Peak& p = ws.peaks[peak];
        if (!isTrue(p.defined) || !inTable(p.region)) continue;
        for (PeakParam param : kPeakParams) {
            const ParamConstraint& c = ws.constraints[peak].of(param);
            if (followable(ws, c) && inTable(ws.peaks[c.refPeak].region))
                groups.join(p.region, ws.peaks[c.refPeak].region);
        }
    }
    std::vector<int> peaks;
    for (int other = 0; other < kRegionCount; ++other) {
        if (groups.rootOf(other) != groups.rootOf(region)) continue;
        const Region& r = ws.regions[other];
        for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) peaks.push_back(r.peakSlots[s]);
    }
    return peaks;
}

TieRoot tieRootOf(const Workspace& ws, int peak, PeakParam param) {
    // A loop from a damaged file ends after as many steps as there are peaks.
    for (int step = 0; step < kPeakCount; ++step) {
        const ParamConstraint& c = ws.constraints[peak].of(param);
        if (!followable(ws, c)) break;
        peak = c.refPeak;
    }
    return {peak, param};
}

}  // namespace vortlan
