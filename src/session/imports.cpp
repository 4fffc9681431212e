#include "session/imports.h"

#include <string>

#include "session/region_operations.h"

namespace vortlan {

void showDescription(Session& session, std::string_view text) {
    const std::string kept(text.substr(0, kDescriptionLength));
    session.workspace.description = kept;
    session.port.setDescriptionText(kept);
}

void reportPointLimit(Session& session) {
    session.port.message("Too many points.  Only " + std::to_string(kMaxPoints) + " points have been read.");
}

void finishImport(Session& session) {
    showCurrentRegion(session);
    refreshRegionDisplays(session);
}

}  // namespace vortlan
