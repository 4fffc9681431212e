#include "session/spectrum_commands.h"

#include <string>

#include "fit/drivers.h"
#include "model/peak_shapes.h"
#include "model/region_curves.h"
#include "model/region_display.h"
#include "session/exports.h"
#include "session/peak_dialog.h"
#include "session/project.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

constexpr float kNewPeakHeight = 50.0f;  // half the region's background-subtracted spread

bool holdsData(const Region& r) {
    return isTrue(r.defined);
}
bool fitted(const Region& r) {
    return isTrue(r.defined) && isTrue(r.backgroundSet);
}

}  // namespace

bool canAddPeak(const Workspace& ws) {
    const Region& r = currentRegionOf(ws);
    return fitted(r) && r.peakCount < kPeaksPerRegion && lowestFreePeak(ws) >= 0;
}

bool addPeak(Session& session) {
    Workspace& ws = session.workspace;
    Region& r = currentRegionOf(ws);
    if (!fitted(r)) return false;
    const int p = r.peakCount < kPeaksPerRegion ? lowestFreePeak(ws) : -1;
    if (p < 0) {
        session.port.beep();
        return false;
    }
    const int button = peakButtonIndex(ws.currentRegion, r.peakCount);
    r.peakSlots[r.peakCount] = static_cast<short>(p);
    ws.currentPeak = static_cast<short>(p);
    Peak& peak = ws.peaks[p];
    peak.defined = kTrue;
    session.port.setPeakButtonCaption(button, std::to_string(p));
    session.port.setPeakButtonEnabled(button, true);
    peak.type = static_cast<short>(PeakType::Singlet);
    peak.splitting = 0.0f;
    peak.region = ws.currentRegion;
    peak.position = static_cast<float>(r.rangeLow + (static_cast<double>(r.rangeHigh) - r.rangeLow) / 2);
    peak.fwhm = 1.0f;
    peak.height = kNewPeakHeight;
    peak.fixPosition = peak.fixFwhm = peak.fixArea = 0;
    peak.fixGl = 1;
    // The tail is switched off before the area is formed, so that the new peak is the height it is
    // meant to be (the entry's old tail values would otherwise enter the area factor).
    peak.ts = 0.0f;
    peak.tl = 1.0f;
    peak.area = areaFromHeight(lineFormOf(ws.options), peak.height, peak.fwhm, peak.gl, peak.type, peak.ts,
                               peak.tl, r.heightUnit);
    resizePeakCurve(ws, p, r.rangeCount);
    ++r.peakCount;
    openPeakDialog(session, button);
    updateRegionCurves(ws, session.port);
    redisplay(session);
    return true;
}

void redisplay(Session& session) {
    redrawCurrentRegion(session.workspace, session.port);
}

bool deleteRegionCommand(Session& session) {
    if (!session.port.askYesNo("!! WARNING !!",
                               "All information in this region data will be deleted! Continue?")) {
        return false;
    }
    deleteRegion(session);
    return true;
}

void optimiseRegionCommand(Session& session) {
    if (!fitted(currentRegionOf(session.workspace))) return;
    optimiseRegion(session.workspace, session.port);
}

void optimiseAllCommand(Session& session) {
    optimiseAllRegions(session.workspace, session.port);
}

bool exportSpectrumCommand(Session& session) {
    if (!holdsData(currentRegionOf(session.workspace))) return false;
    if (!exportSpectrum(session)) return false;
    session.port.message("Data file exported");
    return true;
}

bool exportPeakParametersCommand(Session& session) {
    if (!fitted(currentRegionOf(session.workspace))) return false;
    if (!exportPeakParameters(session)) return false;
    session.port.message("Data file exported");
    return true;
}

bool exportFitReportCommand(Session& session, int replicas, const std::function<bool()>& stopRequested) {
    if (!fitted(currentRegionOf(session.workspace))) return false;
    if (!exportFitReport(session, replicas, stopRequested)) return false;
    session.port.message("Data file exported");
    return true;
}

bool saveRegionParametersCommand(Session& session) {
    if (!isTrue(currentRegionOf(session.workspace).backgroundSet)) return false;
    if (!saveRegionParameters(session)) return false;
    session.port.message("Parameter File saved");
    return true;
}

void loadDialogCancelled(Session& session) {
    session.workspace.fileName.clear();
    session.port.message("Error in reading file");
}

bool saveProjectCommand(Session& session) {
    if (!saveProject(session)) return false;
    session.port.message("File saved");
    return true;
}

}  // namespace vortlan
