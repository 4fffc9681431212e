#pragma once
// The flags of a region's fit: what is wrong with each peak at the values the fit left, so that a
// verdict of "converged" is never taken for a result that only looks like one.

#include <vector>

#include "fit/trust/linearisation.h"
#include "workspace/records.h"

namespace vortlan {

// Where the user placed a peak before the fit.
struct PlacedPeak {
    int peak = 0;
    float position = 0;
    float fwhm = 0;
};

// What a fit knows beyond where the peaks ended: the peaks whose %GL still moves, and where the user
// placed the peaks it moved.
struct FitHistory {
    std::vector<int> glUnsettled;
    std::vector<PlacedPeak> placed;
};

// The region's peaks judged at their present values, in slot order: narrower than the data step (or
// the instrument's limit), on a limit or bound, outside the fit range, with the area on its floor,
// with a position or FWHM the data do not determine; from the history, %GL still moving, and a peak
// that ended further from where it was placed than its width there and now (it most often left the
// feature it was placed on to share another's).  Costs one Jacobian of the region's peaks.
// `linearisation`, when given, keeps the covariance a fit of the region has already asked for.
std::vector<FitFlag> judgeFitFlags(const Workspace& workspace, int region, const FitHistory& history = {},
                                   Linearisation* linearisation = nullptr);

// Whether the flag says the peak may be caught where a fresh start would free it (a limit the user
// set, or %GL still moving, is not such a trap).
bool callsForRestart(const FitFlag& flag);

}  // namespace vortlan
