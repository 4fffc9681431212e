#pragma once
// "Undo" and "Redo" on a session: the workspace put back from the history, and every indicator of the
// main window (its fit verdicts among them), the description and the plot showing what was put back.

#include "session/history/history.h"
#include "session/session.h"

namespace vortlan {

// False, with nothing changed or shown, when there is nothing to undo or redo.
bool undoCommand(Session& session, History& history);
bool redoCommand(Session& session, History& history);

}  // namespace vortlan
