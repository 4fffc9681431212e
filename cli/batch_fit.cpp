#include "cli/batch_fit.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "cli/spectrum_import.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "session/background_dialog.h"
#include "session/exports.h"
#include "session/project.h"
#include "session/quantification.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kRegion = 0;
constexpr PictureSize kPictureSize{800, 500};
const char* const kBackgroundTexts[] = {"Shirley", "Linear", "Tougaard"};

void acceptModelBackground(Session& session) {
    const Region& r = currentRegionOf(session.workspace);
    openBackgroundDialog(session);
    BackgroundDialog& d = session.dialogs.background;
    // The range typed in full: a limit rounded to the box's seven digits could fall outside the data.
    d.LBE = exactNumberText(r.rangeLow);
    d.HBE = exactNumberText(r.rangeHigh);
    if (r.backgroundType >= 0 && r.backgroundType < 3) d.BG = kBackgroundTexts[r.backgroundType];
    if (!acceptBackground(session)) throw CommandFailed("the background dialog refused the model's range");
}

bool writeReport(Session& session) {
    return exportFitReport(session, 0);
}

void writeOutput(CliSession& cli, BatchOutput output, const fs::path& path, const Pictures* pictures) {
    Session& session = cli.session;
    session.workspace.fileName = path.string();
    bool (*writer)(Session&) = nullptr;
    switch (output) {
        case BatchOutput::Project:
            writer = saveProject;
            break;
        case BatchOutput::Parameters:
            writer = exportPeakParameters;
            break;
        case BatchOutput::Spectrum:
            writer = exportSpectrum;
            break;
        case BatchOutput::Report:
            writer = writeReport;
            break;
        case BatchOutput::Picture:
            if (pictures &&
                !pictures->save(cli.workspace(), kRegion, path.string(), PictureLayout::Screen, kPictureSize))
                throw CommandFailed("cannot write " + path.string());
            return;
    }
    if (!writer(session)) throw CommandFailed();
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

SummaryRow rowOf(const Workspace& ws, std::size_t index) {
    const Region& r = ws.regions[kRegion];
    const RegionErrors errors = standardErrors(ws, kRegion);
    SummaryRow row{
        index, r.chiSquare, !r.coreLevel.empty(), fitVerdictOf(ws, kRegion) == FitVerdict::Converged, {}};
    const std::vector<QuantRow> components =
        row.hasLevel ? fittedRegionComponents(ws, errors) : std::vector<QuantRow>();
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
        row.peaks.push_back(peak);
    }
    return row;
}

SummaryRow fit(const BatchSettings& settings, const Pictures* pictures, const BatchItem& item,
               std::size_t index, std::ostream& messages) {
    CliSession cli(messages);
    cli.port.detach();
    Session& session = cli.session;
    if (!settings.options.empty()) readOptionsFile(cli, settings.options);
    selectRegionButton(cli, kRegion);
    importItem(cli, settings.format, item);
    // A multi-region file fills the regions after the first as well; the model goes on the first.
    selectRegionButton(cli, kRegion);
    cli.workspace().fileName = settings.model;
    if (!loadRegionParameters(session)) throw CommandFailed();
    if (!settings.level.empty()) cli.workspace().regions[kRegion].coreLevel = settings.level;
    acceptModelBackground(session);
    optimiseRegionCommand(session);
    SummaryRow row = rowOf(cli.workspace(), index);
    const std::string base = (settings.outDir / item.outputName).string();
    for (BatchOutput output : kBatchOutputs) {
        if (settings.outputs.has(output))
            writeOutput(cli, output, base + std::string(outputEnding(output)), pictures);
    }
    return row;
}

}  // namespace

std::string itemName(const BatchItem& item) {
    return item.block < 0 ? item.file : item.file + ": block " + std::to_string(item.blockNumber);
}

ItemOutcome fitItem(const BatchSettings& settings, const Pictures* pictures, const BatchItem& item,
                    std::size_t index) {
    std::ostringstream messages;
    ItemOutcome outcome;
    std::string failure;
    try {
        outcome.row = fit(settings, pictures, item, index, messages);
    } catch (const CommandFailed& refused) {
        failure = refused.what();
    } catch (const std::exception& fault) {
        // A fault of one spectrum must not end the run of all the others.
        failure = fault.what();
        if (failure.empty()) failure = "failed";
    }
    if (!outcome.row)
        messages << "vortlan-cli: " << itemName(item) << ": skipped"
                 << (failure.empty() ? "" : ": " + failure) << '\n';
    outcome.messages = messages.str();
    return outcome;
}

}  // namespace vortlan::cli
