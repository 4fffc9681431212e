#include "session/quantification.h"

#include "fit/uncertainty.h"
#include "quant/analyser.h"

namespace vortlan {

Quantification quantify(const Workspace& workspace) {
    return quantify(workspace,
                    [&workspace](int region) { return standardErrors(workspace, region).areaCovariance; });
}

std::optional<std::string> changeQuantSettings(Workspace& workspace, const QuantSettings& settings) {
    if (auto refusal = exponentRefusal(workspace, settings)) return refusal;
    workspace.quantSettings = settings;
    return std::nullopt;
}

}  // namespace vortlan
