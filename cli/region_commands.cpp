// The commands on one region of a project: import, shift, caption, clear, delete, the region
// parameter file and the exports; and `new`, an empty project.

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_items.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/spectrum_import.h"
#include "fit/monte_carlo.h"
#include "io/vamas_file.h"
#include "session/region_dialogs.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"

namespace vortlan::cli {

namespace {

// The project of the first word, opened with the region of --region current.  The options are read
// before the file, so that a usage error never follows a message of the program.
struct RegionCommand {
    explicit RegionCommand(const Arguments& args) : region(args.region()), output(args.required("-o")) {
        openProjectFile(cli, args.positional(0));
        selectRegionButton(cli, region);
    }
    void save() { saveProjectFile(cli, output); }

    int region;
    std::string output;
    CliSession cli;
};

// Block `number` (from 1, as the block chooser numbers them) of a VAMAS file, whatever its technique.
void importBlock(CliSession& cli, const std::string& path, int number) {
    std::vector<std::string> problems;
    const BatchItems items({path}, BlockChoice{BlockChoice::Kind::List, {number}}, problems);
    if (!problems.empty()) throw CommandFailed(problems.front());
    importItem(cli, "vamas", items.front());
}

}  // namespace

int runNew(const Arguments& args) {
    const std::string output = args.required("-o");
    CliSession cli;
    saveProjectFile(cli, output);
    return 0;
}

int runImport(const Arguments& args) {
    const std::string& format = args.positional(0);
    const auto& formats = importFormatNames();
    if (std::find(formats.begin(), formats.end(), format) == formats.end())
        throw UsageError("import: unknown format " + format);
    const std::optional<int> block = args.integer("--block", 1, kLargestVamasCount);
    if (block && format != "vamas") throw UsageError("import: --block needs the vamas format");
    const int region = args.optionalRegion().value_or(0);
    const std::string output = args.required("-o");
    CliSession cli;
    if (const auto project = args.value("--into")) openProjectFile(cli, *project);
    selectRegionButton(cli, region);
    if (block) {
        importBlock(cli, args.positional(1), *block);
    } else {
        importSpectrum(cli, format, args.positional(1));
    }
    saveProjectFile(cli, output);
    return 0;
}

int runShift(const Arguments& args) {
    const std::string shift = args.required("--ev");
    RegionCommand command(args);
    openRegionShiftDialog(command.cli.session);
    command.cli.session.dialogs.regionShift.ShiftText = shift;
    acceptRegionShift(command.cli.session);
    // A shift the dialog cannot take leaves it open after its message.
    if (command.cli.port.isShown(Window::RegionShift)) throw CommandFailed();
    command.save();
    return 0;
}

int runCaption(const Arguments& args) {
    const std::string text = args.required("--text");
    RegionCommand command(args);
    openRegionCaptionDialog(command.cli.session);
    command.cli.session.dialogs.regionCaption.Text = text;
    acceptRegionCaption(command.cli.session);
    command.save();
    return 0;
}

int runClear(const Arguments& args) {
    RegionCommand command(args);
    clearParameters(command.cli.session);
    command.save();
    return 0;
}

int runDeleteRegion(const Arguments& args) {
    RegionCommand command(args);
    if (!deleteRegionCommand(command.cli.session)) throw CommandFailed();
    command.save();
    return 0;
}

int runParamsSave(const Arguments& args) {
    RegionCommand command(args);
    requireBackground(command.cli, command.region);
    command.cli.workspace().fileName = command.output;
    if (!saveRegionParametersCommand(command.cli.session)) throw CommandFailed();
    return 0;
}

int runParamsLoad(const Arguments& args) {
    RegionCommand command(args);
    command.cli.workspace().fileName = args.positional(1);
    if (!loadRegionParameters(command.cli.session)) throw CommandFailed();
    command.save();
    return 0;
}

int runExportSpectrum(const Arguments& args) {
    RegionCommand command(args);
    requireData(command.cli, command.region);
    command.cli.workspace().fileName = command.output;
    if (!exportSpectrumCommand(command.cli.session)) throw CommandFailed();
    return 0;
}

int runExportPeaks(const Arguments& args) {
    RegionCommand command(args);
    requireBackground(command.cli, command.region);
    command.cli.workspace().fileName = command.output;
    if (!exportPeakParametersCommand(command.cli.session)) throw CommandFailed();
    return 0;
}

int runExportReport(const Arguments& args) {
    const int replicas = args.integer("--monte-carlo", 0, kMaxReplicas).value_or(0);
    RegionCommand command(args);
    requireBackground(command.cli, command.region);
    command.cli.workspace().fileName = command.output;
    if (!exportFitReportCommand(command.cli.session, replicas)) throw CommandFailed();
    return 0;
}

}  // namespace vortlan::cli
