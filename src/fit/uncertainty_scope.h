#pragma once
// Which peaks a region's errors are found with: a tie between peaks of two regions makes their fits
// one problem, so the errors of either come from the covariance of every free parameter of both.

#include <vector>

#include "workspace/records.h"

namespace vortlan {

// The peaks of the region and of every region the ties connect to it, in either direction and through
// any number of regions: region by region in increasing order, each in slot order.
std::vector<int> jointPeaks(const Workspace& workspace, int region);

// The peak and parameter at the end of a chain of ties from (peak, param): the parameter itself when
// it is not tied.  A chain through a missing peak or an unusable relation ends before it.
struct TieRoot {
    int peak = 0;
    PeakParam param = PeakParam::Position;
};
TieRoot tieRootOf(const Workspace& workspace, int peak, PeakParam param);

}  // namespace vortlan
