#pragma once
// The fitting commands by Levenberg-Marquardt: every free parameter of the selection stepped at once
// on the program's own statistic, with analytic derivatives, in double precision.  The result is put
// into the peaks as the records hold it: singles, and %GL a whole number, which is rounded and then
// held while the other parameters are fitted again.  The product form's tables are read along the
// straight line between whole percentages while %GL moves.

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

// Fits the selection inside a fitting run (between beginFitting and endFitting).  Every iteration
// puts its point into the peaks, redraws, reports the iteration through the Port and lets "Stop
// Fitting" be pressed.  Afterwards the curves and statistics of every region the fit touched are
// the program's own.
LeastSquaresFitEnd fitByLeastSquares(Workspace& workspace, Port& port, FitSelection selection);

}  // namespace vortlan
