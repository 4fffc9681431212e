#pragma once
// Everything a user command acts on: the workspace, the window models, and the Port through which the
// core reaches the windows.

#include "session/dialog_models.h"
#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

struct Session {
    explicit Session(Port& port) : port(port) {}

    Workspace workspace;
    Dialogs dialogs;
    Port& port;
};

}  // namespace vortlan
