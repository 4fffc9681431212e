#pragma once
// Before the spread over Monte Carlo replicas is taken, each replica's peaks are matched to the
// parents they came from.  Two peaks that the model cannot tell apart (of one type and shape, every
// parameter free and untied, or held at the same value, under the same limits) may trade places in a
// replica's fit; taken slot by slot, such a swap would count the distance between the two peaks as
// scatter.  Within each group of such peaks the replica's peaks are given to the parents so that the
// total distance is least: the squared difference of position in the parent's FWHMs, plus the squared
// relative differences of area and FWHM.  Between peaks of like size that is the assignment by
// position; the sizes keep a small peak that wandered across a large one from taking its place.

#include <array>
#include <vector>

#include "fit/spectrum_problem.h"

namespace vortlan {

// What one fit gave for a peak: position, area, FWHM, %GL (the order of PeakParam) and height.
using ReplicaPeak = std::array<double, 5>;
inline constexpr std::size_t kHeightValue = 4;

// The groups of peaks (indexes into `peaks`, each group of two or more) that may trade places.
std::vector<std::vector<std::size_t>> exchangeablePeaks(const Workspace& workspace,
                                                        const SpectrumProblem& problem,
                                                        const std::vector<int>& peaks);

// Reassigns the replica's peaks within each group to the parents they lie nearest; true when that
// moved any.
bool matchToParents(std::vector<ReplicaPeak>& replica, const std::vector<ReplicaPeak>& parents,
                    const std::vector<std::vector<std::size_t>>& groups);

}  // namespace vortlan
