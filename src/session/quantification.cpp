#include "session/quantification.h"

#include "fit/uncertainty.h"

namespace vortlan {

Quantification quantify(const Workspace& workspace) {
    return quantify(workspace,
                    [&workspace](int region) { return standardErrors(workspace, region).areaCovariance; });
}

}  // namespace vortlan
