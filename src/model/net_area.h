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

// The background-subtracted area with its standard error, the background's uncertainty included: the
// end averages the background is drawn through are means of noisy points, and move it under the whole
// range.  A recorded value's variance is varianceScale × |value| (1 × scale where it is 0): scale 1 for
// counts, the fit's reduced statistic where the data are not counts and their scatter sets the scale.
struct BackgroundSubtractedArea {
    double area = 0;
    double standardError = 0;
    // What the background adds to the variance (with its covariance with the points it shares with
    // the averages), in (intensity × eV)²; the rest is the points' own counting variance.
    double backgroundVariance = 0;
};
BackgroundSubtractedArea backgroundSubtractedArea(const Region& region, double varianceScale);

}  // namespace vortlan
