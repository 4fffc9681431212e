#include "session/quantification.h"

#include "fit/trust/fit_flags.h"
#include "quant/analyser.h"
#include "workspace/fit_verdicts.h"

namespace vortlan {

namespace {

// The flags the fit left when its verdict still holds; judged at the present values otherwise, so
// that peaks placed by hand, or a project from before verdicts were kept, are judged alike.
std::vector<FitFlag> peakFlagsOf(const Workspace& workspace, int region) {
    const RegionVerdict& held = heldVerdictOf(workspace, region);
    if (held.verdict != FitVerdict::Unknown) return held.flags;
    return judgeFitFlags(workspace, region);
}

}  // namespace

RegionFit regionFitOf(const Workspace& workspace, int region, const RegionErrors& errors) {
    // σ² as the standard errors scale by it, the backgrounds' share of the residuals counted once.
    const double residualScale = errors.noiseScale.value_or(errors.reducedStatistic);
    return RegionFit{errors.areaCovariance, residualScale, peakFlagsOf(workspace, region)};
}

Quantification quantify(const Workspace& workspace) {
    return quantify(workspace, [&workspace](int region) {
        return regionFitOf(workspace, region, standardErrors(workspace, region));
    });
}

std::optional<std::string> changeQuantSettings(Workspace& workspace, const QuantSettings& settings) {
    if (auto refusal = exponentRefusal(workspace, settings)) return refusal;
    workspace.quantSettings = settings;
    return std::nullopt;
}

}  // namespace vortlan
