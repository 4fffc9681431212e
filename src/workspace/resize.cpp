#include "workspace/resize.h"

namespace vortlan {

void resizeRegionArrays(Workspace& workspace, int region, int n) {
    Region& r = workspace.regions.at(region);
    for (PointArray* array : {&r.energy, &r.counts, &r.rangeEnergy, &r.rangeCounts, &r.baseLine,
                              &r.background, &r.envelope, &r.residual}) {
        array->allocate(n);
    }
}

void resizePeakCurve(Workspace& workspace, int peak, int n) {
    workspace.peaks.at(peak).curve.allocate(n);
    workspace.peakBackup.at(peak).curve.allocate(n);
}

}  // namespace vortlan
