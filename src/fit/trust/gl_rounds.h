#pragma once
// A fit whose %GL ends a whole number, as the peak records hold it: %GL fitted continuously with the
// others, rounded, the others fitted again around it; and again while a continuous fit from there
// would move some %GL to another whole number (one Gauss-Newton step tells, from the covariance the
// flags need as well), for a few rounds.  A fit that moved peaks far in its second run so never keeps a %GL
// that belonged to where they were.

#include <vector>

#include "fit/least_squares_fit.h"
#include "fit/trust/linearisation.h"

namespace vortlan {

inline constexpr int kGlRounds = 3;

struct GlRoundsEnd {
    LeastSquaresFitEnd end = LeastSquaresFitEnd::Refused;
    // The peaks whose %GL a continuous fit would still move after the last round.
    std::vector<int> glUnsettled;
};

// Fits the selection inside a fitting run; without a free %GL it is one run.  The covariance at the
// point reached stays in `linearisation`.
GlRoundsEnd fitWithWholeGl(Workspace& workspace, Port& port, FitSelection selection,
                           Linearisation& linearisation);

}  // namespace vortlan
