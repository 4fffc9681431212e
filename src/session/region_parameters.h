#pragma once
// The spectrum window's "Save Region Parameters" and "Load Region Parameters": the fit model of the
// current region written to, or applied from, the region parameter file named by fileName.

#include "session/session.h"

namespace vortlan {

// Writes the current region's fit range, background choice and peaks.  A file that cannot be written
// is reported with "Error in writing file", gives false, and the previous file, if any, stays as it was.
bool saveRegionParameters(Session& session);

// Replaces the current region's peaks and fit settings by those of the file and recomputes the region.
// A model whose range does not fit the region's data is refused before anything changes.  A file that
// ends early or holds values out of range ends the load with "Error in reading file", and running out
// of free peak entries ends it with "Too many peaks"; either way the peaks placed so far stay, the
// region lists exactly those, and nothing is recomputed or redrawn.  True when the whole model was
// applied and the region recomputed.
bool loadRegionParameters(Session& session);

}  // namespace vortlan
