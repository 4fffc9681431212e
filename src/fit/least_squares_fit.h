#pragma once
// The fitting commands by Levenberg-Marquardt: every free parameter of the selection stepped at once
// on the program's own statistic, with analytic derivatives, in double precision.  The result is put
// into the peaks as the records hold it: singles, and %GL a whole number.  The product form's tables
// are read along the straight line between whole percentages while %GL moves.

#include "fit/spectrum_problem.h"
#include "workspace/port.h"

namespace vortlan {

enum class LeastSquaresFitEnd {
    Converged,
    StillImproving,  // the iterations ran out while the statistic was still falling
    Stopped,         // "Stop Fitting"
    NothingToFit,    // no free parameter in a region with an accepted background
    Refused          // too few points, or a start that cannot be evaluated: a message has said so
};

inline constexpr int kLeastSquaresIterations = 200;

// One Levenberg-Marquardt run over the selection from the peaks' present values, inside a fitting run
// (between beginFitting and endFitting).  Every iteration reports itself through the Port and lets
// "Stop Fitting" be pressed, and now and then puts its point into the peaks and redraws.  The point
// reached is put into the peaks (%GL rounded to a whole number); afterwards the curves and
// statistics of every region the fit touched are the program's own.  fit/trust/trusted_fit.h makes a
// whole fit of such runs.
LeastSquaresFitEnd runLeastSquares(Workspace& workspace, Port& port, const FitSelection& selection,
                                   LeastSquaresSettings settings);

// The curves and statistics of the regions computed again and shown, the current region drawn.
void showFittedRegions(Workspace& workspace, Port& port, const std::vector<int>& regions);

}  // namespace vortlan
