#pragma once
// Before the spread over Monte Carlo replicas is taken, each replica's peaks are matched to the
// parents they came from.  Two peaks that the model cannot tell apart (of one type and shape, every
// parameter free and untied, or held at the same value, under the same limits) may trade places in a
// replica's fit; taken slot by slot, such a swap would count the distance between the two peaks as
// scatter.  Among the peaks of each such group the replica's values are reassigned so that the total
// squared difference of positions from the parents' is least: on a line, that is the assignment that
// keeps their order by position.

#include <array>
#include <vector>

#include "fit/spectrum_problem.h"

namespace vortlan {

// What one fit gave for a peak: position, area, FWHM, %GL (the order of PeakParam) and height.
using ReplicaPeak = std::array<double, 5>;
inline constexpr std::size_t kHeightValue = 4;

// The groups of peaks (indexes into `peaks`, each group of two or more) that may trade places.
std::vector<std::vector<std::size_t>> exchangeablePeaks(const Workspace& workspace, const SpectrumProblem& problem,
                                                        const std::vector<int>& peaks);

// Reorders the replica's peaks within each group so that they match the parents by position.
void matchToParents(std::vector<ReplicaPeak>& replica, const std::vector<ReplicaPeak>& parents,
                    const std::vector<std::vector<std::size_t>>& groups);

}  // namespace vortlan
