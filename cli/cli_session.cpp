#include "cli/cli_session.h"

#include <variant>

#include "quant/core_level.h"
#include "session/options_dialog.h"
#include "session/peak_dialog.h"
#include "session/project.h"
#include "session/region_operations.h"
#include "session/spectrum_commands.h"
#include "session/startup.h"

namespace vortlan::cli {

CliSession::CliSession() {
    port.attach(session.workspace);
    startUp(session);
}

CliSession::CliSession(std::ostream& messages) : port(messages, false) {
    port.attach(session.workspace);
    startUp(session);
}

void openProjectFile(CliSession& cli, const std::string& path) {
    cli.workspace().fileName = path;
    if (!openProject(cli.session)) throw CommandFailed();
}

void saveProjectFile(CliSession& cli, const std::string& path) {
    cli.workspace().fileName = path;
    if (!saveProjectCommand(cli.session)) throw CommandFailed();
}

void readOptionsFile(CliSession& cli, const std::string& path) {
    cli.workspace().fileName = path;
    if (!readOptionFile(cli.session)) throw CommandFailed();
}

std::string canonicalCoreLevel(const std::string& text) {
    const CoreLevelReading reading = readCoreLevel(text);
    if (const auto* reason = std::get_if<std::string>(&reading)) throw CommandFailed(*reason);
    return coreLevelText(std::get<CoreLevel>(reading));
}

std::string regionName(int region) {
    return "region " + std::to_string(region + 1);
}

void selectRegionButton(CliSession& cli, int region) {
    selectRegion(cli.session, region);
}

void requireData(CliSession& cli, int region) {
    if (!isTrue(cli.workspace().regions[region].defined))
        throw CommandFailed(regionName(region) + " holds no data");
}

void requireBackground(CliSession& cli, int region) {
    requireData(cli, region);
    if (!isTrue(cli.workspace().regions[region].backgroundSet))
        throw CommandFailed(regionName(region) + " has no accepted background");
}

void openPeakButton(CliSession& cli, int peak) {
    Workspace& ws = cli.workspace();
    const Peak& p = ws.peaks[peak];
    const Region* r = isTrue(p.defined) ? &ws.regions.at(p.region) : nullptr;
    int slot = -1;
    for (int s = 0; r && s < r->peakCount; ++s) {
        if (r->peakSlots[s] == peak) slot = s;
    }
    if (slot < 0) throw CommandFailed("peak " + std::to_string(peak) + " is not defined");
    selectRegion(cli.session, p.region);
    openPeakDialog(cli.session, peakButtonIndex(p.region, slot));
}

}  // namespace vortlan::cli
