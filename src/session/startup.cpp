#include "session/startup.h"

#include "session/options_dialog.h"
#include "session/region_operations.h"

namespace vortlan {

namespace {

void fillLists(Dialogs& dialogs) {
    dialogs.background.BGList = {"Shirley", "Linear", "Tougaard"};
    dialogs.background.AverPtList = {"None", "3", "5", "7", "9"};
    dialogs.peak.PeakTypeList = {"s", "p", "d", "f"};
    dialogs.constraint.ArgTypeList = {"+", "-", "*", "/"};
}

}  // namespace

void startUp(Session& session) {
    Workspace& ws = session.workspace;
    Port& port = session.port;
    port.setWindowCaption(Window::Main, kMainWindowCaption);
    port.setWindowCaption(Window::Spectrum, kSpectrumWindowCaption);
    session.dialogs = Dialogs{};
    resetWorkspace(session);
    ws.totalChiSquare = 0.0f;
    ws.acceptingBackground = kFalse;
    fillLists(session.dialogs);
    ws.fileName = "default.opa";
    readDefaultOptionFile(session, ws.fileName);
    port.hideWindow(Window::Options);
    port.showWindow(Window::Spectrum);
}

}  // namespace vortlan
