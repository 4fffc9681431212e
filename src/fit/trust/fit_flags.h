#pragma once
// The flags of a region's fit: what is wrong with each peak at the values the fit left, so that a
// verdict of "converged" is never taken for a result that only looks like one.

#include <vector>

#include "workspace/records.h"

namespace vortlan {

// The region's peaks judged at their present values, in slot order: narrower than the data step (or
// the instrument's limit), on a limit or bound, outside the fit range, with the area on its floor,
// with a position or FWHM the data do not determine; and %GL still moving, for the peaks listed in
// `glUnsettled`.  Costs one Jacobian of the region's peaks.
std::vector<FitFlag> judgeFitFlags(const Workspace& workspace, int region, const std::vector<int>& glUnsettled = {});

// Whether the flag says the peak may be caught where a fresh start would free it (a limit the user
// set, or %GL still moving, is not such a trap).
bool callsForRestart(const FitFlag& flag);

}  // namespace vortlan
