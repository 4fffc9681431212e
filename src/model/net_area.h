#pragma once
// The area between a region's data and its accepted background over the fit range: the intensity the
// background leaves to the peaks.

#include "workspace/records.h"

namespace vortlan {

// In intensity × eV, summed in single precision as the background dialog shows it.  A sum that
// leaves the single range ends the command.
float backgroundArea(const Region& region);

// The variance of that area when every recorded value in the range is a count (Poisson: the variance
// of a count is the count), in (intensity × eV)².  The background is taken as exact.
double backgroundAreaCountingVariance(const Region& region);

}  // namespace vortlan
