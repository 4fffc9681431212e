#include "session/exports.h"

#include <optional>
#include <string>

#include "io/exports.h"
#include "io/file_replace.h"
#include "session/fit_report.h"

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

bool exportFitReport(Session& session, int replicas, const std::function<bool()>& stopRequested) {
    const Workspace& ws = session.workspace;
    session.port.setBusyPointer(true);
    const std::optional<std::string> text = fitReportText(ws, ws.currentRegion, replicas, stopRequested);
    session.port.setBusyPointer(false);
    return text && writeExport(session, *text);
}

}  // namespace vortlan
