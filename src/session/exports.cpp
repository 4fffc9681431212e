#include "session/exports.h"

#include <string>

#include "io/exports.h"
#include "io/file_replace.h"

namespace vortlan {

namespace {

bool writeExport(Session& session, const std::string& text) {
    if (replaceFile(session.workspace.fileName, text)) return true;
    session.port.message("Error in writing file");
    return false;
}

}  // namespace

bool exportSpectrum(Session& session) {
    const Workspace& ws = session.workspace;
    return writeExport(session, spectrumExportText(ws, ws.currentRegion));
}

bool exportPeakParameters(Session& session) {
    const Workspace& ws = session.workspace;
    return writeExport(session, peakParameterText(ws, ws.currentRegion));
}

}  // namespace vortlan
