#include "session/project.h"

#include <fstream>
#include <string_view>

#include "base/checked_math.h"
#include "base/number_text.h"
#include "io/file_replace.h"
#include "io/project_file.h"
#include "model/region_curves.h"
#include "session/region_operations.h"

namespace vortlan {

namespace {

// The curves of every fitted region, and the total of their statistics.
void recomputeFittedRegions(Session& session) {
    Workspace& ws = session.workspace;
    const short current = ws.currentRegion;
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = ws.regions[region];
        if (!isTrue(r.defined) || !isTrue(r.backgroundSet) || r.peakCount <= 0) continue;
        ws.currentRegion = static_cast<short>(region);
        updateRegionCurves(ws, session.port);
    }
    ws.currentRegion = current;
}

// What the user is told of a section after the description that was not taken; nothing when it was.
std::string_view extensionNotice(ProjectExtensionRead read) {
    switch (read) {
        case ProjectExtensionRead::Damaged:
            return "The project's additions (intensity units, core levels, sensitivity factors and "
                   "quantification settings) could not be read: its regions and peaks are opened "
                   "without them";
        case ProjectExtensionRead::NewerLayout:
            return "The project's additions (intensity units, core levels, sensitivity factors and "
                   "quantification settings) were saved by a newer version of the program: its regions "
                   "and peaks are opened without them";
        case ProjectExtensionRead::Absent:
        case ProjectExtensionRead::Complete:
            break;
    }
    return {};
}

}  // namespace

bool saveProject(Session& session) {
    if (!replaceFile(session.workspace.fileName, encodeProject(session.workspace))) {
        session.port.message("Error in writing file");
        return false;
    }
    return true;
}

bool openProject(Session& session) {
    Port& port = session.port;
    clearMainWindowIndicators(session);
    resetWorkspace(session);
    std::ifstream file(session.workspace.fileName, std::ios::binary);
    if (!file) {
        port.message("Error in reading file");
        return false;
    }
    const ProjectReadResult result = decodeProject(file, session.workspace);
    if (result.status == ProjectRead::WrongFormat) {
        port.message("Wrong file format");
        return false;
    }
    if (result.status == ProjectRead::Failed) {
        port.message("Error in reading file");
        return false;
    }
    if (result.description) {
        session.workspace.description = *result.description;
        port.setDescriptionText(*result.description);
    }
    recomputeFittedRegions(session);
    refreshRegionDisplays(session);
    showHeldVerdicts(session);
    showCurrentRegion(session);
    // Said once the regions are on screen, so that the user sees what was kept.
    if (const std::string_view notice = extensionNotice(result.extension); !notice.empty())
        port.message(notice);
    return true;
}

}  // namespace vortlan
