#pragma once
// The fitting runs: one parameter, one peak, one region or every region optimised while the fitting
// window offers "Stop Fitting" and the other windows wait.

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// Clears the stop request, shows the fitting window and disables the others.
void beginFitting(Workspace& workspace, Port& port);
// Clears the stop request, hides the fitting window and enables the others again.
void endFitting(Workspace& workspace, Port& port);
// "Stop Fitting": the run ends at its next check.
void requestStop(Workspace& workspace);

// One parameter of a peak: by Levenberg-Marquardt when methodFlag is 2, by Newton's method when it is
// exactly 1, else by the search; with Newton's method %GL is searched.  Runs inside a fitting run the
// caller has begun, and records the verdict of the current region (fit/verdict.h).
void optimiseParameter(Workspace& workspace, Port& port, int peak, PeakParam param);
// Every parameter of a peak, by the same choice of method.  Inside a fitting run; records the verdict
// of the current region.
void optimisePeak(Workspace& workspace, Port& port, int peak);

// "Optimise Region": every peak of the current region, if it holds data with an accepted background;
// records the region's verdict.  A run that "Stop Fitting" ends is stopped.
void optimiseRegion(Workspace& workspace, Port& port);
// "Optimise All": every peak of every region that holds data with an accepted background; records a
// verdict for each of those regions.
void optimiseAllRegions(Workspace& workspace, Port& port);

}  // namespace vortlan
