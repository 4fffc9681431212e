#pragma once
// The noise of a Monte Carlo replica, drawn from each region's statistics rather than its units:
// Poisson noise on the counts when the region's unit says counts, or when a count rate times the
// recorded dwell time and scans gives them (workspace/acquisition.h); otherwise Gaussian noise scaled
// to the fit's own residuals, of variance s²·|model| where s² is the reduced statistic Σr²/(N - p) of
// the residuals weighted as the fit weights them (by |data|), so that data in any unit get the scatter
// they show.

#include <string>
#include <vector>

#include "fit/spectrum_problem.h"
#include "workspace/acquisition.h"

namespace vortlan {

class ReplicaNoise {
  public:
    // The noise of the problem's regions, from the residuals at the problem's start.
    ReplicaNoise(const Workspace& workspace, const SpectrumProblem& problem);

    // False when a region's noise must come from the residuals and there are no more points than free
    // parameters to take its scale from.
    bool determined() const { return determined_; }

    // The model with replica `replica`'s noise on every point: the same for the same replica, whatever
    // thread draws it.
    std::vector<double> draw(const std::vector<double>& model, int replica) const;

  private:
    // How the points of one region of the problem are drawn.
    struct Span {
        int points = 0;
        CountingScale scale;
        double residualScale = 0;  // s², for a scale that is not known
    };
    std::vector<Span> spans_;
    bool determined_ = true;
};

// Which noise the replicas of a region get, in words for every place that shows their errors.
std::string monteCarloNoiseText(const Region& region);

}  // namespace vortlan
