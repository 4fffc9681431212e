#pragma once
// The covariance of a fit's problem at the point it reached, kept for the next question about the
// same point: the %GL rounds ask where a free %GL would go, the flags which parameters the data
// determine, and for a fit of one region both are asked of the same problem at the same point.  Its
// Jacobian is then computed once.

#include <optional>
#include <vector>

#include "fit/least_squares/covariance.h"
#include "fit/spectrum_problem.h"

namespace vortlan {

class Linearisation {
  public:
    // The covariance of the problem at its start.
    const std::optional<Covariance>& of(const SpectrumProblem& problem);

  private:
    std::vector<FreeParameter> variables_;
    std::vector<double> point_;
    std::optional<Covariance> covariance_;
    bool known_ = false;
};

// The problem of a fit of the selection, %GL free, with the parameters on their bounds held there:
// the one whose covariance says what the data determine and where a free %GL would go.
SpectrumProblem problemAtBounds(const Workspace& workspace, FitSelection selection);

}  // namespace vortlan
