#include "session/spectrum_fit.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/number_text.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "session/background_dialog.h"
#include "session/options_dialog.h"
#include "session/quantification.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"

namespace vortlan {

namespace {

constexpr int kRegion = 0;
const char* const kBackgroundTexts[] = {"Shirley", "Linear", "Tougaard"};

void acceptModelBackground(Session& session) {
    const Region& r = currentRegionOf(session.workspace);
    openBackgroundDialog(session);
    BackgroundDialog& d = session.dialogs.background;
    // The range typed in full: a limit rounded to the box's seven digits could fall outside the data.
    d.LBE = exactNumberText(r.rangeLow);
    d.HBE = exactNumberText(r.rangeHigh);
    if (r.backgroundType >= 0 && r.backgroundType < 3) d.BG = kBackgroundTexts[r.backgroundType];
    if (!acceptBackground(session))
        throw SpectrumFitFailed("the background dialog refused the model's range");
}

// The fitted region's peaks in the table, from its errors already worked out.  It is the only region
// counted: the others a multi-region file fills have no accepted background.
std::vector<QuantRow> fittedRegionComponents(const Workspace& ws, const RegionErrors& errors) {
    const auto areaCovariance = [&](int region) {
        return region == kRegion ? errors.areaCovariance : standardErrors(ws, region).areaCovariance;
    };
    for (const QuantRegion& region : quantify(ws, areaCovariance).regions) {
        if (region.row.region == kRegion && region.counted()) return region.components;
    }
    return {};
}

float single(const StandardError& error) {
    return error.known() ? static_cast<float>(error.value) : std::nanf("");
}

float single(const std::optional<double>& value) {
    return value ? static_cast<float>(*value) : std::nanf("");
}

SpectrumFit fitOf(const Workspace& ws) {
    const Region& r = ws.regions[kRegion];
    const RegionErrors errors = standardErrors(ws, kRegion);
    const RegionVerdict& verdict = heldVerdictOf(ws, kRegion);
    SpectrumFit fit{
        r.chiSquare, !r.coreLevel.empty(), verdict.verdict == FitVerdict::Converged, {}, verdict.flags};
    const std::vector<QuantRow> components =
        fit.hasLevel ? fittedRegionComponents(ws, errors) : std::vector<QuantRow>();
    for (const PeakErrors& e : errors.peaks) {
        const Peak& p = ws.peaks[e.peak];
        PeakRow peak{p.position, p.area, p.fwhm, p.gl, {}, std::nanf(""), std::nanf("")};
        for (std::size_t k = 0; k < kPeakParams.size(); ++k) peak.errors[k] = single(e.of(kPeakParams[k]));
        const auto component = std::find_if(components.begin(), components.end(),
                                            [&](const QuantRow& c) { return c.peak == e.peak; });
        if (component != components.end()) {
            peak.atomicPercent = static_cast<float>(component->atomicPercent);
            peak.atomicPercentError = single(component->atomicPercentError);
        }
        fit.peaks.push_back(peak);
    }
    return fit;
}

}  // namespace

SpectrumFit fitSpectrum(Session& session, const SpectrumFitSettings& settings,
                        const std::function<void()>& importSpectrum) {
    Workspace& ws = session.workspace;
    if (!settings.options.empty()) {
        ws.fileName = settings.options;
        if (!readOptionFile(session)) throw SpectrumFitFailed();
    }
    selectRegion(session, kRegion);
    importSpectrum();
    // A multi-region file fills the regions after the first as well; the model goes on the first.
    selectRegion(session, kRegion);
    ws.fileName = settings.model;
    if (!loadRegionParameters(session)) throw SpectrumFitFailed();
    if (!settings.level.empty()) ws.regions[kRegion].coreLevel = settings.level;
    acceptModelBackground(session);
    optimiseRegionCommand(session);
    return fitOf(ws);
}

}  // namespace vortlan
