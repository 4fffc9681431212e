#pragma once
// "Import (Kratos)" of the spectrum window, after the open dialog has set fileName.

#include "session/session.h"

namespace vortlan {

// The file's spectrum into the current region, converted to binding energy.  A fitted region in the
// file arrives fitted: its range, background type and components become the region's settings and
// peaks, with the heights of the file kept and the areas derived from them.  A file that cannot be
// read leaves the workspace as it was ("Error in reading file"); one that is damaged, or brings more
// components than the region or the peak table can take ("Too many peaks"), leaves the region empty.
// True when the region was filled.
bool importKratos(Session& session);

}  // namespace vortlan
