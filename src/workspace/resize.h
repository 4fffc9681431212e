#pragma once
// Whoever changes a region's point count or fit-range count reallocates the arrays that depend on it.

#include "workspace/records.h"

namespace vortlan {

// All eight point arrays of the region get storage for 0..n; contents are lost.
void allocateRegionArrays(Region& region, int n);

// All eight point arrays of the region (raw and fit range) get storage for 0..n; contents are lost.
void resizeRegionArrays(Workspace& workspace, int region, int n);

// The curve of peaks[peak] and of peakBackup[peak] get storage for 0..n; contents are lost.
void resizePeakCurve(Workspace& workspace, int peak, int n);

}  // namespace vortlan
