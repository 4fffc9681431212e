#include "cli/batch_fit.h"

#include <sstream>
#include <utility>

#include "cli/cli_session.h"
#include "session/exports.h"
#include "session/project.h"
#include "session/spectrum_fit.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kRegion = 0;
constexpr PictureSize kPictureSize{800, 500};

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

SummaryRow fit(const BatchSettings& settings, const Pictures* pictures, const BatchItem& item,
               std::size_t index, std::ostream& messages) {
    CliSession cli(messages);
    cli.port.detach();
    SpectrumFit fitted = fitSpectrum(cli.session, {settings.model, settings.options, settings.level},
                                     [&] { importItem(cli, settings.format, item); });
    SummaryRow row{index,
                   fitted.chiSquare,
                   fitted.hasLevel,
                   fitted.converged,
                   std::move(fitted.peaks),
                   std::move(fitted.flags)};
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
    } catch (const SpectrumFitFailed& refused) {
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
