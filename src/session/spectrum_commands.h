#pragma once
// The spectrum window's commands on the current region that are not a dialog of their own.  File
// commands run after their file dialog has set fileName; a cancelled save runs none of them.

#include <functional>

#include "session/session.h"

namespace vortlan {

// "Add Peak": a new peak at the centre of the fit range, 50 height units high, opened in the peak
// dialog.  False (with a beep) when the region or the peak table is full, and when the region has no
// data or no accepted background.
bool addPeak(Session& session);
// Whether "Add Peak" would place a peak rather than refuse.
bool canAddPeak(const Workspace& workspace);

// "ReDisplay".
void redisplay(Session& session);

// "Delete Region": asks first; true when the region was deleted.
bool deleteRegionCommand(Session& session);

// "Optimise Region".
void optimiseRegionCommand(Session& session);

// "Optimise All" of the main window.
void optimiseAllCommand(Session& session);

// The file commands with their messages: "Data file exported", "Parameter File saved", and "Error in
// reading file" for a cancelled open of region parameters.  Each is true when the file was written.
bool exportSpectrumCommand(Session& session);
bool exportPeakParametersCommand(Session& session);
// "Export (Fit Report)", and with Monte Carlo replicas (0: none); "Data file exported" too.
bool exportFitReportCommand(Session& session, int replicas, const std::function<bool()>& stopRequested = {});
bool saveRegionParametersCommand(Session& session);
void loadDialogCancelled(Session& session);

// "Save XPS": the project, then "File saved"; true when it was written.
bool saveProjectCommand(Session& session);

}  // namespace vortlan
