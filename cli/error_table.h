#pragma once
// The standard errors of a fitted region as `fit --monte-carlo` prints them: for every parameter of
// every peak, the error from the Jacobian beside the two spreads of refitted Monte Carlo replicas, under
// a line that says which noise the replicas got.

#include <iosfwd>

#include "workspace/records.h"

namespace vortlan::cli {

// Fits `replicas` noisy copies of the region's fitted model on every core.
void printErrorComparison(std::ostream& out, const Workspace& workspace, int region, int replicas);

}  // namespace vortlan::cli
