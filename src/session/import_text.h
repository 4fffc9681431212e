#pragma once
// "Import (Leybold)", "Import (Phi)" and "Import (ASCII)" of the spectrum window, after the open
// dialog has set fileName.

#include "session/session.h"

namespace vortlan {

// The regions of the file into consecutive slots from the current one, which is shown afterwards.
// The slots wrap after the tenth; coming back to the first ends the import with "Too many regions",
// and the ten regions read stay.  A read error shows "Error Reading File" and keeps the regions
// completed before it; the slot being filled is left empty and stays current.  Each import is true
// when it ended with the regions it read in their slots, after "Too many regions" too.
bool importLeybold(Session& session);
bool importPhi(Session& session);

// The pairs of the file into the current region.  A file without a pair, or with an error among its
// pairs, shows "Error Reading File" and leaves the region empty.
bool importAscii(Session& session);

}  // namespace vortlan
