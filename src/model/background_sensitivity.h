#pragma once
// How a region's accepted background moves with the two end averages it is drawn through.  Each end
// average is a mean of recorded counts, so it carries their noise; a background drawn through it
// carries that noise under every point of the range, which is what the peaks' and the
// background-subtracted area's errors must include besides each point's own noise.

#include <utility>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

// One end average and what it moves.
struct EndAverageInput {
    // The average as Σ share × counts[index] over raw points; a window running past the data repeats
    // the end point, which then has a larger share.
    std::vector<std::pair<int, double>> rawShares;
    // d(data - background) / d(average) at range points 1 .. rangeCount (element 0 is point 1).  The
    // range's end point is the average itself, so it moves there with the background.
    std::vector<double> netSlope;
};

// The high-binding-energy end (endAverageFirst) and then the low (endAverageLast), for the region's
// background type as it was drawn (Shirley and Tougaard give way to the straight line where the data
// rise toward low binding energy).  Empty when the region holds no range of at least two points to
// draw through, or its raw data cannot give the averages.
std::vector<EndAverageInput> endAverageInputs(const Region& region);

// The raw point a range point was copied from (range points 2 .. rangeCount - 1; the ends hold the
// averages instead).
int rawIndexOfRangePoint(const Region& region, int rangePoint);

}  // namespace vortlan
