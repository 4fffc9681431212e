#include "session/imports.h"

#include <string>

#include "quant/core_level.h"
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

void nameCoreLevel(Region& region, std::string_view species, std::string_view transition) {
    region.coreLevel = importedCoreLevel(species, transition, region.caption.str());
}

void finishImport(Session& session) {
    showCurrentRegion(session);
    refreshRegionDisplays(session);
}

}  // namespace vortlan
