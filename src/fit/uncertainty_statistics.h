#pragma once
// The figures a fit's errors rest on, beside the errors themselves: how far the model misses the data,
// and how the free parameters' errors go together.

#include <vector>

#include "fit/least_squares/covariance.h"
#include "workspace/records.h"

namespace vortlan {

// sqrt(mean((data - envelope)²)) over the region's fit range: the typical miss in the data's own units,
// of the residual the region's χ² and plot are made of.  Not a number without a range to measure.
double residualRms(const Workspace& workspace, int region);

// The correlation matrix of a covariance, row-major: cov(a, b) / sqrt(var(a) var(b)), not a number
// where either is not determined.
std::vector<double> correlationOf(const Covariance& covariance);

}  // namespace vortlan
