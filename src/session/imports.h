#pragma once
// The spectrum imports of the spectrum window's "Data" menu, after the open dialog has set fileName.

#include <string_view>

#include "session/session.h"

namespace vortlan {

// The main window's description box and the workspace's copy of it, at most 128 characters.
void showDescription(Session& session, std::string_view text);

// "Too many points.  Only 5000 points have been read."
void reportPointLimit(Session& session);

// The core level of the region's new spectrum, from the file's species and transition labels when they
// name one, else from the region's caption; empty when neither does.
void nameCoreLevel(Region& region, std::string_view species = {}, std::string_view transition = {});

// The end of an import that went well: the spectrum window shows the region, the main window its state.
void finishImport(Session& session);

}  // namespace vortlan
