#pragma once

#include "workspace/records.h"

namespace vortlan {

// Empties every region and peak and unlinks every constraint; the regions forget their intensity unit.
// The limits of the constraints, the regions' other fields and the current region and peak are left as
// they are.
void resetWorkspaceRecords(Workspace& workspace);

}  // namespace vortlan
