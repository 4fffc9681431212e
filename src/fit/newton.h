#pragma once
// Newton's method along one parameter (position, area or FWHM) of one peak: first and second
// derivatives of the statistic from thirteen points around the present value, a step of -f'/f''
// held within the parameter's limits, kept only if the statistic does not get worse.

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// One Newton step of spacing delta.  Sets stepAccepted to whether the step was kept; a linked
// parameter returns at once and leaves stepAccepted as it was.
void newtonStep(Workspace& workspace, Port& port, int peak, PeakParam param, float delta, bool& stepAccepted);

// The levels 1-4 of the options for one parameter (position, area or FWHM), each up to newtonTrials
// kept steps; the FWHM ends with two fine passes of 0.05 and 0.02 eV.  The verdict is that of the last
// step (a stop leaves it stopped; Unknown when no step was made).
FitVerdict newtonOptimiseParameter(Workspace& workspace, Port& port, int peak, PeakParam param);

// newtonTrials rounds over the levels: position, area and FWHM steps and a %GL search; a round that
// changes nothing ends them.  The verdict of the last round, not recorded.
FitVerdict newtonOptimisePeak(Workspace& workspace, Port& port, int peak);

// The spacing of level `level` (0-3) for the parameter; the area's is relative to the present area.
float newtonDelta(const Workspace& workspace, int peak, PeakParam param, int level);

}  // namespace vortlan
