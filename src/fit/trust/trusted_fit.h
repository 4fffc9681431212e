#pragma once
// A fitting command's Levenberg-Marquardt fit, made to be trusted: %GL settled in rounds
// (gl_rounds.h), every peak held within its physical bounds (physical_bounds.h), and, when the fit
// ends with a peak caught in a trap (fit_flags.h), that peak started afresh a few times
// (restart_starts.h), the best result kept.  A fit that ends without such a flag pays for nothing
// more.

#include <vector>

#include "fit/least_squares_fit.h"

namespace vortlan {

// Fresh starts tried for one flagged peak at most.
inline constexpr int kRestartsPerPeak = 3;

struct RegionFlags {
    int region = 0;
    std::vector<FitFlag> flags;
};

struct TrustedFit {
    LeastSquaresFitEnd end = LeastSquaresFitEnd::Refused;
    std::vector<RegionFlags> flags;  // of every region the fit moved, at the values it kept
    std::vector<PeakRestarts> restarts;

    // The flags of the region, judged afresh when the fit did not move it.
    std::vector<FitFlag> flagsOf(const Workspace& workspace, int region) const;
    std::vector<PeakRestarts> restartsOf(const Workspace& workspace, int region) const;
};

// Fits the selection inside a fitting run (between beginFitting and endFitting).  "Stop Fitting"
// ends it at once with the best values found so far.
TrustedFit fitByLeastSquares(Workspace& workspace, Port& port, FitSelection selection);

}  // namespace vortlan
