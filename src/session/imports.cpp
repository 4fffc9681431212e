#include "session/imports.h"

#include "session/region_operations.h"

namespace vortlan {

void finishImport(Session& session) {
    showCurrentRegion(session);
    refreshRegionDisplays(session);
}

}  // namespace vortlan
