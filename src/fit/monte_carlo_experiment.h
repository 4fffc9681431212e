#pragma once
// A Monte Carlo replica as a whole noisy experiment: the fitted model taken for the truth, noise drawn
// on every recorded point the fit rests on (the fit range and the windows of its end averages), then
// the end averages and the background drawn again from the noisy data, as the program draws them,
// before the replica is fitted.  So the replicas carry the background's uncertainty, as the Jacobian's
// errors do.  Inside the fit range the truth is the envelope, except at the points an end average
// takes in: there the recorded values stand for it, so that without noise a replica draws the very
// background the fit was made on (the envelope at the range's ends holds the peaks' tails above it,
// and would lift every replica's background by as much).

#include <optional>
#include <vector>

#include "fit/monte_carlo_noise.h"
#include "fit/spectrum_problem.h"

namespace vortlan {

class ReplicaExperiment {
  public:
    // The experiment behind the problem at its start; `noiseScale` as ReplicaNoise takes it.
    ReplicaExperiment(const Workspace& workspace, const SpectrumProblem& problem,
                      std::optional<double> noiseScale);

    // See ReplicaNoise::determined.
    bool determined() const { return noise_.determined(); }

    // Replica `replica`'s problem: its regions' noisy data under the backgrounds drawn from them.
    // Nothing when those data cannot give a background (a value beyond a single's range, say).
    std::optional<SpectrumProblem> replica(int replica) const;

  private:
    // The recorded points of one region of the problem that a replica draws again.
    struct RecordedSpan {
        const Region* region = nullptr;
        int firstRaw = 1;  // the raw index of means[0]
    };

    const SpectrumProblem& problem_;
    std::vector<RecordedSpan> spans_;
    std::vector<std::vector<double>> means_;  // one list a span
    ReplicaNoise noise_;
};

}  // namespace vortlan
