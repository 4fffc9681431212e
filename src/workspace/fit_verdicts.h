#pragma once
// A region's fit verdict holds only for the model it was reached on: the fit range, background and
// peaks (values, shapes, fixes and ties) the fit left, the line-shape form and the instrument's limit.
// The workspace keeps the model beside the verdict (fit/verdict.h records it), and a verdict whose
// model is no longer the region's is no longer shown.

#include "workspace/records.h"

namespace vortlan {

// The verdict tied to the model the workspace holds now: what a fit ending, or a project file being
// read, gives the region.
void adoptFitVerdict(Workspace& workspace, int region, RegionVerdict verdict);

// The region's verdict with its flags and restarts; an empty Unknown verdict once its peaks, its
// background, the line-shape form or the instrument's limit have changed since the fit that gave it.
const RegionVerdict& heldVerdictOf(const Workspace& workspace, int region);
// The same, the verdict alone.
FitVerdict fitVerdictOf(const Workspace& workspace, int region);

}  // namespace vortlan
