#pragma once
// The spectrum window's view of the current region, as the computations refresh it.

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// Frame and raw spectrum of a region holding data, and its fitted curves once its background is set.
void redrawCurrentRegion(const Workspace& workspace, Port& port);

// Shows the spectrum window for the current region, redraws it and lets the drawing appear before a
// long computation goes on.
void showCurrentRegion(const Workspace& workspace, Port& port);

}  // namespace vortlan
