#pragma once
// The fit report of a region (CSV): one row per peak, in slot order, with the value and standard
// error of its position, area, FWHM, %GL and height; with Monte Carlo replicas, their standard
// deviations beside, and after the region's figures the replicas, their noise and the robust spreads.
// The region's χ², the points and free parameters the errors rest on, the reduced statistic, the
// convergence verdict and the residual RMS are repeated on every row, so that the peaks are one table
// for a spreadsheet or a script; each row holds its own peak's flags after the verdict.  After an
// empty line, the correlation matrix of the free parameters follows as a second table.

#include <functional>
#include <optional>
#include <string>

#include "workspace/records.h"

namespace vortlan {

// Replicas 0: the errors from the Jacobian alone.
std::string fitReportText(const Workspace& workspace, int region, int replicas);
// The same, with the Monte Carlo replicas stopped when `stopRequested` says so (see monteCarloErrors):
// none when they were.
std::optional<std::string> fitReportText(const Workspace& workspace, int region, int replicas,
                                         const std::function<bool()>& stopRequested);

}  // namespace vortlan
