#pragma once
// The end averages that fix the backgrounds of a fit's regions, as random inputs the fit holds: what
// their noise adds to the errors of the fitted parameters.

#include "fit/least_squares/covariance.h"
#include "fit/spectrum_problem.h"
#include "workspace/records.h"

namespace vortlan {

// Two inputs a region of the problem (its first and last end averages), in the order of the
// problem's regions; none for a region whose background cannot be followed (see endAverageInputs).
// A recorded value's variance is taken as the fit weighs it, w = |value|, so that scaled by the
// reduced statistic it holds for counts and count rates alike.
HeldInputs backgroundInputs(const SpectrumProblem& problem, const Workspace& workspace);

}  // namespace vortlan
