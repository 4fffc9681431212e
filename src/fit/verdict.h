#pragma once
// The verdict at the end of a fit: converged (with or without flags), still lowering the statistic
// when it ended, or stopped; with the flags that say which peaks not to take as they stand
// (fit/trust/fit_flags.h) and what the fit did about them.  Every method records it through
// recordFitVerdict; it holds while the region stays as the fit left it.

#include <string>
#include <vector>

#include "workspace/fit_verdicts.h"
#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// The verdict of a loop whose last trial took the region's statistic from `before` to `after`: still
// improving when it fell by more than the tolerance (a fraction; by more than 1e-6 when the tolerance
// is 0), converged otherwise.  Unknown when either statistic is not a number.
FitVerdict judgeLastTrial(float before, float after, float tolerance);

// The verdict of a fit that did nothing about flags (Newton's method, the search), with the flags of
// the region's peaks where the fit left them.
RegionVerdict judgedVerdict(const Workspace& workspace, int region, FitVerdict verdict);

// Keeps the verdict for the region together with the model it was reached on, and shows it.
void recordFitVerdict(Workspace& workspace, Port& port, int region, RegionVerdict verdict);

// "Region 1: converged", "Region 1: converged, with flags — peak 3: narrower than the data step
// (peak 3 restarted 2 times; kept the best)", "Region 1: still improving — optimise again",
// "Region 1: stopped", "Region 1: not judged"; in UTF-8, for the dash.
std::string fitVerdictText(int region, const RegionVerdict& verdict);
std::string fitVerdictText(int region, FitVerdict verdict);

// The verdict as one field of a table: "converged", "converged, with flags", "still improving",
// "stopped" or "unknown".
std::string fitVerdictWord(const RegionVerdict& verdict);
std::string fitVerdictWord(FitVerdict verdict);

// "peak 3: narrower than the data step", "peak 0: FWHM at its floor", ...; the cause alone without
// the peak's name.
std::string fitFlagText(const FitFlag& flag);
std::string fitFlagCauseText(const FitFlag& flag);
// The causes of one peak's flags, joined by "; "; empty when it has none.
std::string peakFlagsText(const RegionVerdict& verdict, int peak);
std::vector<std::string> fitFlagTexts(const RegionVerdict& verdict);
// Every flag's text, joined by "; ".
std::string fitFlagsText(const std::vector<FitFlag>& flags);
// "peak 3 restarted 2 times, peak 5 restarted 1 time; kept the best"; empty when nothing restarted.
std::string restartsText(const std::vector<PeakRestarts>& restarts);

}  // namespace vortlan
