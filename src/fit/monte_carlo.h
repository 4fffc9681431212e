#pragma once
// Standard errors by Monte Carlo: the region's fitted model made into K counting experiments (Poisson
// noise on every point of the envelope), each fitted again by Levenberg-Marquardt from the fitted
// values; each parameter's error is its standard deviation over the K results.  It makes no use of the
// linear approximation the Jacobian's errors rest on.
//
// Replica k draws its noise from a generator seeded by k alone and the results are gathered by k, so
// the errors are the same whatever the number of threads that computed them.

#include <functional>

#include "fit/uncertainty.h"

namespace vortlan {

struct MonteCarloErrors {
    std::vector<PeakErrors> peaks;  // in the order of the region's slots
    int replicas = 0;               // fitted to the end; a replica that cannot be fitted is left out
    bool stopped = false;           // stopped on request before every replica was fitted: no errors
};

// The most replicas a user can ask for.
inline constexpr int kMaxReplicas = 100000;

// Threads: 0 for as many as the machine has cores.  `stopRequested`, when given, is asked on the
// calling thread after each replica that thread fits; once it says so, no more replicas are started.
MonteCarloErrors monteCarloErrors(const Workspace& workspace, int region, int replicas, int threads = 0,
                                  const std::function<bool()>& stopRequested = {});

}  // namespace vortlan
