#pragma once
// The spectrum imports of the spectrum window's "Data" menu, after the open dialog has set fileName.

#include "session/session.h"

namespace vortlan {

// The end of an import that went well: the spectrum window shows the region, the main window its state.
void finishImport(Session& session);

}  // namespace vortlan
