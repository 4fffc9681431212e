#pragma once
// The fit range: the window of a region's raw spectrum between its low and high binding-energy
// limits, with its two end levels averaged.  Index 1 is the high-binding-energy end throughout.

#include "workspace/records.h"

namespace vortlan {

// Finds indexAtHigh, indexAtLow and rangeCount, copies rangeEnergy and rangeCounts, and resizes the
// curves of the region's peaks to the new count.  Limits given in reverse order are exchanged.
// Ends the command (ComputationFault) when the raw data cannot give a range: no points, arrays that
// do not hold pointCount points, or all points at one energy.
void selectFitRange(Workspace& workspace, int region);

// rangeCounts from the raw counts, the range's indexes as they stand.  Ends the command
// (ComputationFault) when the arrays do not hold the range.
void copyRangeCounts(Region& region);

// endAverageFirst and endAverageLast over averagePoints raw points at each end, written into
// rangeCounts[1] and rangeCounts[rangeCount].
void averageEndPoints(Region& region);

}  // namespace vortlan
