#pragma once
// The noise of a Monte Carlo replica, drawn from each region's statistics rather than its units:
// Poisson noise on the counts when the region's unit says counts, or when a count rate times the
// recorded dwell time and scans gives them (workspace/acquisition.h); otherwise Gaussian noise of
// variance s²·|mean| scaled to the fit's own residuals, the residuals weighted as the fit weights them
// (by |data|), so that data in any unit get the scatter they show.  s² is the σ² the standard errors
// are scaled by (Σr² over what it is expected to be for unit noise, the backgrounds' share counted);
// when ties join regions, each region gets its share of it in proportion to its own mean squared
// residual, so that regions recorded in different units keep their own scatter.

#include <optional>
#include <string>
#include <vector>

#include "fit/spectrum_problem.h"
#include "workspace/acquisition.h"

namespace vortlan {

class ReplicaNoise {
  public:
    // The noise of the problem's regions; `noiseScale` is σ², nothing when the fit gives none.
    ReplicaNoise(const Workspace& workspace, const SpectrumProblem& problem,
                 std::optional<double> noiseScale);

    // False when a region's noise must come from the residuals and the fit gives no σ² to scale it by.
    bool determined() const { return determined_; }

    // Replica `replica`'s values around the means of each region of the problem, in its order: the
    // same for the same replica, whatever thread draws them.
    std::vector<std::vector<double>> draw(const std::vector<std::vector<double>>& means, int replica) const;

  private:
    // How the values of one region of the problem are drawn.
    struct RegionNoise {
        CountingScale scale;
        double residualScale = 0;  // s², for a scale that is not known
    };
    std::vector<RegionNoise> regions_;
    bool determined_ = true;
};

// Which noise the replicas of a region get, in words for every place that shows their errors.
std::string monteCarloNoiseText(const Region& region);

}  // namespace vortlan
