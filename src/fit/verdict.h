#pragma once
// The verdict at the end of a fit: converged, or still lowering the statistic when it ended.  Every
// method records it through recordFitVerdict; it is kept for the region in memory only.

#include <string>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// The verdict of a loop whose last trial took the region's statistic from `before` to `after`: still
// improving when it fell by more than the tolerance (a fraction; by more than 1e-6 when the tolerance
// is 0), converged otherwise.  Unknown when either statistic is not a number.
FitVerdict judgeLastTrial(float before, float after, float tolerance);

// Keeps the verdict for the region together with the model it was reached on, and shows it.
void recordFitVerdict(Workspace& workspace, Port& port, int region, FitVerdict verdict);

// The region's verdict, or Unknown once its peaks (their values, types, fixes and ties), its background
// or the line-shape form have changed since the fit that gave it.
FitVerdict fitVerdictOf(const Workspace& workspace, int region);

// "Region 1: converged", "Region 1: still improving — optimise again", "Region 1: not judged"; in
// UTF-8, for the dash.
std::string fitVerdictText(int region, FitVerdict verdict);

// The verdict as one field of a table: "converged", "still improving" or "unknown".
std::string fitVerdictWord(FitVerdict verdict);

}  // namespace vortlan
