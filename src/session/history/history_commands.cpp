#include "session/history/history_commands.h"

#include "session/region_operations.h"

namespace vortlan {

namespace {

void showRestoredWorkspace(Session& session) {
    clearMainWindowIndicators(session);
    showHeldVerdicts(session);
    refreshRegionDisplays(session);
    session.port.setDescriptionText(session.workspace.description);
    showCurrentRegion(session);
}

}  // namespace

bool undoCommand(Session& session, History& history) {
    if (!history.undo(session.workspace)) return false;
    showRestoredWorkspace(session);
    return true;
}

bool redoCommand(Session& session, History& history) {
    if (!history.redo(session.workspace)) return false;
    showRestoredWorkspace(session);
    return true;
}

}  // namespace vortlan
