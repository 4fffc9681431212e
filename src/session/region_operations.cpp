#include "session/region_operations.h"

#include <string>

#include "base/checked_math.h"
#include "base/number_text.h"
#include "model/region_curves.h"
#include "model/region_display.h"
#include "workspace/fit_verdicts.h"
#include "workspace/reset.h"

namespace vortlan {

namespace {

constexpr Window kBusyWindows[] = {Window::Spectrum, Window::Main, Window::Peak, Window::Constraint,
                                   Window::Background};

void setRegionPeakButtonsEnabled(Session& session, int region, bool enabled) {
    const Region& r = session.workspace.regions[region];
    for (int s = 0; s < r.peakCount; ++s)
        session.port.setPeakButtonEnabled(peakButtonIndex(region, s), enabled);
}

// After deleting peak p, the group G of every constraint record still agrees with the links.
void repairConstraintGroup(Workspace& ws, int p, PeakParam param) {
    ParamConstraint& deleted = ws.constraints[p].of(param);
    if (isTrue(deleted.linked)) {
        const int reference = deleted.refPeak;
        deleted.linked = kFalse;
        ParamConstraint& ref = ws.constraints[reference].of(param);
        bool stillReferenced = false;
        for (int i = 0; i < kPeakCount; ++i) {
            const ParamConstraint& other = ws.constraints[i].of(param);
            if (isTrue(other.linked) && other.refPeak == reference) {
                ref.tiedPeak = static_cast<short>(i);
                stillReferenced = true;
            }
        }
        ref.isReference = storedFlag(stillReferenced);
    }
    if (isTrue(deleted.isReference)) {
        deleted.isReference = kFalse;
        for (int i = 0; i < kPeakCount; ++i) {
            ParamConstraint& other = ws.constraints[i].of(param);
            if (isTrue(other.linked) && other.refPeak == p) other.linked = kFalse;
        }
    }
}

// Removes peak p from the current region's slot list, moving the later slots down.
void removeFromSlots(Session& session, int p) {
    const int region = session.workspace.currentRegion;
    Region& r = session.workspace.regions[region];
    int j = 0;
    while (j < r.peakCount && r.peakSlots[j] != p) ++j;
    if (j == r.peakCount) return;  // not a peak of this region: its slots stay as they are
    for (int k = j + 1; k < r.peakCount; ++k) {
        r.peakSlots[k - 1] = r.peakSlots[k];
        session.port.setPeakButtonCaption(peakButtonIndex(region, k - 1), std::to_string(r.peakSlots[k]));
    }
    const int last = peakButtonIndex(region, r.peakCount - 1);
    session.port.setPeakButtonEnabled(last, false);
    session.port.setPeakButtonCaption(last, "");
    --r.peakCount;
}

}  // namespace

void resetWorkspace(Session& session) {
    resetWorkspaceRecords(session.workspace);
    for (int button = 0; button < kPeakButtonCount; ++button)
        session.port.setPeakButtonEnabled(button, false);
}

void selectRegion(Session& session, int region) {
    Workspace& ws = session.workspace;
    const Region& chosen = ws.regions.at(region);
    // An empty slot has no peak buttons: its counts mean nothing, and a failed read may leave any.
    const Region& left = currentRegionOf(ws);
    if (isTrue(left.backgroundSet) && isTrue(left.defined))
        setRegionPeakButtonsEnabled(session, ws.currentRegion, false);
    ws.currentRegion = static_cast<short>(region);
    paintRegionButtons(session);
    if (isTrue(chosen.backgroundSet) && isTrue(chosen.defined))
        setRegionPeakButtonsEnabled(session, region, true);
    for (Window w : {Window::Peak, Window::Background, Window::Constraint}) session.port.hideWindow(w);
    showCurrentRegion(session);
}

void showCurrentRegion(Session& session) {
    vortlan::showCurrentRegion(session.workspace, session.port);
}

void paintRegionButtons(Session& session) {
    for (int r = 0; r < kRegionCount; ++r) {
        const bool defined = isTrue(session.workspace.regions[r].defined);
        session.port.setRegionColour(r, defined ? RegionColour::Defined : RegionColour::ButtonFace);
    }
    session.port.setRegionColour(session.workspace.currentRegion, RegionColour::Current);
}

void clearMainWindowIndicators(Session& session) {
    for (int button = 0; button < kPeakButtonCount; ++button) {
        session.port.setPeakButtonCaption(button, "");
        session.port.setPeakButtonEnabled(button, false);
    }
    for (int region = 0; region < kRegionCount; ++region) session.port.setChiText(region, "");
}

void showHeldVerdicts(Session& session) {
    session.port.clearFitVerdicts();
    for (int region = 0; region < kRegionCount; ++region) {
        const RegionVerdict& held = heldVerdictOf(session.workspace, region);
        if (held.verdict != FitVerdict::Unknown) session.port.showFitVerdict(region, held);
    }
}

void refreshRegionDisplays(Session& session) {
    const Workspace& ws = session.workspace;
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = ws.regions[region];
        if (!isTrue(r.defined)) continue;
        session.port.setChiText(region, "0");
        if (!isTrue(r.backgroundSet)) continue;
        session.port.setChiText(region, shortNumberText(r.chiSquare));
        for (int s = 0; s < r.peakCount; ++s) {
            const int button = peakButtonIndex(region, s);
            session.port.setPeakButtonCaption(button, std::to_string(r.peakSlots[s]));
            if (region == ws.currentRegion) session.port.setPeakButtonEnabled(button, true);
        }
    }
    showTotalChiSquare(session);
    paintRegionButtons(session);
}

void showTotalChiSquare(Session& session) {
    sumTotalChiSquare(session.workspace);
    session.port.setSumChiText(shortNumberText(session.workspace.totalChiSquare));
}

void recomputeRegionCurves(Session& session) {
    Workspace& ws = session.workspace;
    if (const auto chi = updateCurvesQuietly(ws, ws.currentRegion)) {
        currentRegionOf(ws).chiSquare = *chi;
        session.port.setChiText(ws.currentRegion, shortNumberText(*chi));
    }
    showTotalChiSquare(session);
}

void deletePeak(Session& session) {
    Workspace& ws = session.workspace;
    const int p = ws.currentPeak;
    ws.peaks.at(p).defined = kFalse;
    removeFromSlots(session, p);
    for (PeakParam param : kPeakParams) repairConstraintGroup(ws, p, param);
    for (PeakParam param : kPeakParams) ws.constraints[p].of(param).limited = kFalse;
    session.port.hideWindow(Window::Peak);

    recomputeRegionCurves(session);
    redrawCurrentRegion(session.workspace, session.port);
}

void clearParameters(Session& session) {
    Workspace& ws = session.workspace;
    const int region = ws.currentRegion;
    forgetFitVerdict(ws, region);
    for (int i = 0; i < kPeakCount; ++i) {
        if (ws.peaks[i].region == region && isTrue(ws.peaks[i].defined)) {
            ws.currentPeak = static_cast<short>(i);
            deletePeak(session);
        }
    }
    Region& r = ws.regions[region];
    r.backgroundSet = kFalse;
    r.peakCount = 0;
    r.shift = 0.0f;
    r.chiSquare = 0.0f;
    r.caption.assign("");
    session.port.setChiText(region, "0");
    if (isTrue(r.defined)) session.port.drawSpectrum(SpectrumDrawing::RegionFrame);
    // The other regions' statistics are shown again; one that cannot be computed is reported, but the
    // region is cleared all the same and the command that cleared it goes on.
    try {
        allRegionStatisticShown(ws, session.port);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
    }
}

void deleteRegion(Session& session) {
    clearParameters(session);
    currentRegionOf(session.workspace).defined = kFalse;
    for (Window w : {Window::Peak, Window::Background, Window::Constraint}) session.port.hideWindow(w);
    showCurrentRegion(session);
}

void beginBusy(Session& session) {
    session.port.setBusyPointer(true);
    session.workspace.stopRequested = kFalse;
    for (Window w : kBusyWindows) session.port.setWindowEnabled(w, false);
}

void endBusy(Session& session) {
    session.port.setBusyPointer(false);
    session.workspace.stopRequested = kTrue;
    for (Window w : kBusyWindows) session.port.setWindowEnabled(w, true);
}

}  // namespace vortlan
