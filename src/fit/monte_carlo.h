#pragma once
// Standard errors by Monte Carlo: the region's fitted model made into K noisy experiments, with the
// noise each region's statistics call for (fit/monte_carlo_noise.h) and the backgrounds drawn again
// from the noisy data (fit/monte_carlo_experiment.h), each fitted again by Levenberg-Marquardt from the
// fitted values.  A region tied to others is fitted with every region the ties connect, as its
// Jacobian's errors are (fit/uncertainty_scope.h).  Peaks that may trade places are matched to their
// parents by position (fit/monte_carlo_matching.h); then each parameter's error is its standard
// deviation over the K results, and beside it half their 16-84 % range.  It makes no use of the linear
// approximation the Jacobian's errors rest on.
//
// Replica k draws its noise from a generator seeded by k alone and the results are gathered by k, so
// the errors are the same whatever the number of threads that computed them.

#include <functional>
#include <string>

#include "fit/uncertainty.h"

namespace vortlan {

struct MonteCarloErrors {
    std::vector<PeakErrors> peaks;   // the standard deviations, in the order of the region's slots
    std::vector<PeakErrors> robust;  // half the 16-84 % ranges, in the same order
    std::string noise;               // the noise the replicas got, in words (monteCarloNoiseText)
    std::string whyNone;             // why no replica could be run, in words; empty when they could
    int replicas = 0;                // fitted to the end; a replica that cannot be fitted is left out
    int rematched = 0;               // of those, the replicas whose peaks had traded places
    bool stopped = false;            // stopped on request before every replica was fitted: no errors
};

// The most replicas a user can ask for.
inline constexpr int kMaxReplicas = 100000;

// Threads: 0 for as many as the machine has cores.  `stopRequested`, when given, is asked on the
// calling thread after each replica that thread fits; once it says so, no more replicas are started.
MonteCarloErrors monteCarloErrors(const Workspace& workspace, int region, int replicas, int threads = 0,
                                  const std::function<bool()>& stopRequested = {});

}  // namespace vortlan
