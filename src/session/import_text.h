#pragma once
// "Import (Leybold)", "Import (Phi)" and "Import (ASCII)" of the spectrum window, after the open
// dialog has set fileName, and the steps they share with the Kratos import.

#include <string_view>

#include "io/imported_spectrum.h"
#include "session/session.h"

namespace vortlan {

// The regions of the file into consecutive slots from the current one, which is shown afterwards.
// The slots wrap after the tenth; coming back to the first ends the import with "Too many regions".
// A read error shows "Error Reading File" and keeps the regions completed before it; the slot being
// filled is left empty and stays current.
void importLeybold(Session& session);
void importPhi(Session& session);

// The pairs of the file into the current region.  A file without a pair, or with an error among its
// pairs, shows "Error Reading File" and leaves the region empty.
void importAscii(Session& session);

// The spectrum into the current region as a new region without background or peaks.  The range
// settings a slot keeps from an earlier spectrum are made to agree with the new one.
void storeImportedRegion(Session& session, const ImportedSpectrum& spectrum);

// The main window's description box and the workspace's copy of it, at most 128 characters.
void showDescription(Session& session, std::string_view text);

// "Too many points.  Only 5000 points have been read."
void reportPointLimit(Session& session);

}  // namespace vortlan
