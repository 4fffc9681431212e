#pragma once
// "Save XPS" and "Open XPS" after their file dialogs have set the workspace's fileName.

#include "session/session.h"

namespace vortlan {

// Writes the workspace; on failure says "Error in writing file" and returns false, so that the caller
// does not claim "File saved".  The previous file is left intact by a failed save.
bool saveProject(Session& session);

// Replaces the workspace by the project in fileName, recomputes the fitted regions and shows them.
// False, after its message, when the file could not be read whole.  A section after the description
// that could not be taken leaves the project opened, and a message saying so.
bool openProject(Session& session);

}  // namespace vortlan
