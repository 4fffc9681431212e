#pragma once
// The operations that keep the workspace consistent as regions and peaks come and go, and keep the
// main window and the spectrum window showing it.  Most act on the current region.

#include "session/session.h"

namespace vortlan {

// Empties all regions and peaks, unlinks all constraints and disables every peak button.
void resetWorkspace(Session& session);

// Makes r the current region: the peak buttons follow, the region dialogs close, the plot redraws.
void selectRegion(Session& session, int region);

// Shows the spectrum window for the current region, redraws it and lets the drawing appear.
void showCurrentRegion(Session& session);

// Light green for regions holding data, button face for empty ones, light yellow for the current one.
void paintRegionButtons(Session& session);

// Empties every chi box and peak-button caption and disables every peak button.
void clearMainWindowIndicators(Session& session);

// Rewrites every chi box and peak-button caption, the total of the chi boxes, enables the current
// region's peak buttons, and recolours the region buttons.
void refreshRegionDisplays(Session& session);

// The fit verdicts shown afresh: those that hold for what the workspace now holds (after undo, redo
// or opening a project).
void showHeldVerdicts(Session& session);

// The total statistic summed again over the regions with an accepted background, and shown.
void showTotalChiSquare(Session& session);

// Curves, envelope, residual and statistic of the current region, shown in its chi box and the total.
void recomputeRegionCurves(Session& session);

// Deletes the current peak from the current region and unlinks the constraints that refer to it.
void deletePeak(Session& session);

// Deletes every peak of the current region and clears its fit settings; the data and the fit range
// stay.
void clearParameters(Session& session);

// Empties the current region.
void deleteRegion(Session& session);

// The busy pointer and the other windows disabled, for long work outside a fitting run.
void beginBusy(Session& session);
void endBusy(Session& session);

}  // namespace vortlan
