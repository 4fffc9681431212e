#include "workspace/resize.h"

namespace vortlan {

void resizeRegionArrays(Workspace& workspace, int region, int n) {
    allocateRegionArrays(workspace.regions.at(region), n);
}

void allocateRegionArrays(Region& r, int n) {
    for (PointArray* array : {&r.energy, &r.counts, &r.rangeEnergy, &r.rangeCounts, &r.baseLine,
                              &r.background, &r.envelope, &r.residual}) {
        array->allocate(n);
    }
}

void resizePeakCurve(Workspace& workspace, int peak, int n) {
    workspace.peaks.at(peak).curve.allocate(n);
    workspace.curveMemo.keys[static_cast<std::size_t>(peak)].reset();
    workspace.peakBackup.at(peak).curve.allocate(n);
}

}  // namespace vortlan
