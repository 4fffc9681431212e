#include "session/peak_dialog.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "fit/drivers.h"
#include "model/actual_fwhm.h"
#include "model/peak_shapes.h"
#include "model/propagation.h"
#include "model/region_curves.h"
#include "model/region_display.h"
#include "session/region_operations.h"

namespace vortlan {

namespace {

constexpr int kFwhmScrollMin = 30;
constexpr int kFwhmScrollMax = 500;
constexpr int kFwhmScrollOpening = 50;  // an opened peak narrower than 0.5 eV
constexpr int kAreaScrollMax = 1000;
constexpr double kAreaScrollMiddle = 500.0;
constexpr float kTsMin = 0.0f, kTsMax = 1.0f;
constexpr float kTlMin = 0.01f, kTlMax = 200.0f;

Peak& currentPeakOf(Session& session) {
    return session.workspace.peaks.at(session.workspace.currentPeak);
}

int roundedPosition(double value) {
    const auto rounded = roundHalfEvenToShort(value);
    return rounded ? *rounded : -1;  // beyond every scroll bar: the position cannot be set
}

// A text box holding the value a scroll bar at `position` stands for.
void scrollText(Session& session, PeakParam param) {
    PeakDialog& d = session.dialogs.peak;
    const Region& r = currentRegionOf(session.workspace);
    switch (param) {
        case PeakParam::Position:
            // Shown with the digits a single carries, which is what Accept then stores.
            d.PosVal = shortNumberText(static_cast<float>(r.rangeLow + d.ScPos.value / 100.0));
            break;
        case PeakParam::Fwhm:
            d.FWHMVal = shortNumberText(static_cast<float>(d.ScFWHM.value / 100.0));
            break;
        case PeakParam::Area:
            d.AreaVal = shortNumberText(
                static_cast<float>(d.ScArea.value * static_cast<double>(session.workspace.areaScrollUnit)));
            break;
        case PeakParam::Gl:
            d.GLVal = std::to_string(d.ScGL.value);
            break;
    }
}

ScrollBar& scrollBarOf(PeakDialog& d, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return d.ScPos;
        case PeakParam::Area:
            return d.ScArea;
        case PeakParam::Fwhm:
            return d.ScFWHM;
        case PeakParam::Gl:
            break;
    }
    return d.ScGL;
}

// Setting a position outside the bar's range is refused and leaves the bar and its box as they are;
// setting a different position runs the bar's change handler.
void setScroll(Session& session, PeakParam param, int position) {
    ScrollBar& bar = scrollBarOf(session.dialogs.peak, param);
    if (position < bar.min || position > bar.max || position == bar.value) return;
    bar.value = position;
    scrollText(session, param);
}

std::string& textBoxOf(PeakDialog& d, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return d.PosVal;
        case PeakParam::Area:
            return d.AreaVal;
        case PeakParam::Fwhm:
            return d.FWHMVal;
        case PeakParam::Gl:
            break;
    }
    return d.GLVal;
}

int& checkBoxOf(PeakDialog& d, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return d.ChkPos;
        case PeakParam::Area:
            return d.ChkArea;
        case PeakParam::Fwhm:
            return d.ChkFWHM;
        case PeakParam::Gl:
            break;
    }
    return d.ChkGL;
}

short& fixFlagOf(Peak& p, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return p.fixPosition;
        case PeakParam::Area:
            return p.fixArea;
        case PeakParam::Fwhm:
            return p.fixFwhm;
        case PeakParam::Gl:
            break;
    }
    return p.fixGl;
}

std::string parameterText(const Peak& p, PeakParam param) {
    return param == PeakParam::Gl ? std::to_string(p.gl) : shortNumberText(realParameter(p, param));
}

void showActualFwhm(Session& session) {
    const Peak& p = currentPeakOf(session);
    session.dialogs.peak.ActFWHM = actualFwhmText(lineFormOf(session.workspace.options), shapeOf(p));
}

void redrawWithCurves(Session& session) {
    session.port.drawSpectrum(SpectrumDrawing::RegionFrame);
    session.port.drawSpectrum(SpectrumDrawing::FittedCurves);
}

// The number of a text box as the dialog stores it: its leading number as a single.
std::optional<float> boxNumber(const std::string& text) {
    return toSingle(leadingNumber(text));
}

float clampedTs(float ts) {
    return ts >= kTsMin ? std::min(ts, kTsMax) : kTsMin;
}
float clampedTl(float tl) {
    return tl >= kTlMin ? std::min(tl, kTlMax) : kTlMin;
}

// Accept and ReDraw: store, carry the relations, refill, recompute and redraw.
bool applyPeakDialog(Session& session) {
    if (!storePeakDialog(session)) return false;
    try {
        applyAllRelations(session.workspace);
    } catch (const ComputationFault& fault) {
        session.port.message(fault.what());
    }
    fillPeakDialog(session, session.workspace.currentPeak, false);
    updateRegionCurves(session.workspace, session.port);
    redrawWithCurves(session);
    return true;
}

}  // namespace

std::string peakTypeText(short type) {
    switch (type) {
        case 2:
            return "p";
        case 3:
            return "d";
        case 4:
            return "f";
        default:
            return "s";
    }
}

void openPeakDialog(Session& session, int button) {
    Workspace& ws = session.workspace;
    const int region = button / kPeaksPerRegion;
    const int slot = button % kPeaksPerRegion;
    const Region& r = ws.regions.at(region);
    if (slot >= r.peakCount) return;
    ws.currentPeak = r.peakSlots[slot];
    ws.peakBackup.at(ws.currentPeak) = ws.peaks.at(ws.currentPeak);
    fillPeakDialog(session, ws.currentPeak, true);
    redrawWithCurves(session);
    session.port.showWindow(Window::Peak);
    session.port.drawSpectrum(SpectrumDrawing::HighlightedPeak);
}

void fillPeakDialog(Session& session, int peak, bool opening) {
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    const Peak& p = ws.peaks.at(peak);
    const Region& r = currentRegionOf(ws);
    d.caption = "Peak " + std::to_string(peak);
    for (PeakParam param : kPeakParams) textBoxOf(d, param) = parameterText(p, param);
    d.ChkPos = p.fixPosition;
    d.ChkFWHM = p.fixFwhm;
    d.ChkArea = p.fixArea;
    d.ChkGL = p.fixGl;
    d.SplittingVal = shortNumberText(p.splitting);
    d.TSVal = shortNumberText(p.ts);
    d.TLVal = shortNumberText(p.tl);
    d.PeakType = peakTypeText(p.type);
    if (opening) d.ActFWHM = actualFwhmText(lineFormOf(ws.options), shapeOf(p));

    d.ScPos.min = 0;
    d.ScPos.max = std::max(0, roundedPosition((static_cast<double>(r.rangeHigh) - r.rangeLow) * 100.0));
    d.ScFWHM.min = kFwhmScrollMin;
    d.ScFWHM.max = kFwhmScrollMax;
    d.ScArea.min = 0;
    d.ScArea.max = kAreaScrollMax;
    d.ScGL.min = 0;
    d.ScGL.max = 100;

    setScroll(session, PeakParam::Position,
              roundedPosition((static_cast<double>(p.position) - r.rangeLow) * 100.0));
    const bool narrow = opening && p.fwhm < 0.5f;
    setScroll(session, PeakParam::Fwhm, narrow ? kFwhmScrollOpening : roundedPosition(p.fwhm * 100.0));
    ws.areaScrollUnit = static_cast<float>(p.area / kAreaScrollMiddle);
    if (ws.areaScrollUnit == 0.0f || !std::isfinite(ws.areaScrollUnit)) ws.areaScrollUnit = 1.0f;
    const int areaPosition = roundedPosition(p.area / static_cast<double>(ws.areaScrollUnit));
    setScroll(session, PeakParam::Area, areaPosition == 0 ? 1 : areaPosition);
    setScroll(session, PeakParam::Gl, p.gl);
}

bool storePeakDialog(Session& session) {
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    const auto position = boxNumber(d.PosVal), fwhm = boxNumber(d.FWHMVal), area = boxNumber(d.AreaVal);
    const auto splitting = boxNumber(d.SplittingVal), ts = boxNumber(d.TSVal), tl = boxNumber(d.TLVal);
    const auto gl = roundHalfEvenToShort(leadingNumber(d.GLVal));
    if (!position || !fwhm || !area || !splitting || !ts || !tl) {
        session.port.message(faultMessage(FaultKind::Overflow));
        return false;
    }
    // No line shape has a width of 0 or less, and the mixing is a percentage.
    if (!(*fwhm > 0.0f)) {
        session.port.message("FWHM must be >0");
        return false;
    }
    if (!gl || *gl < 0 || *gl > 100) {
        session.port.message("%GL must be in the range 0-100");
        return false;
    }
    Peak& p = currentPeakOf(session);
    p.position = *position;
    p.fwhm = *fwhm;
    p.area = *area;
    p.splitting = *splitting;
    p.gl = *gl;
    p.ts = clampedTs(*ts);
    p.tl = clampedTl(*tl);
    d.TSVal = shortNumberText(p.ts);
    d.TLVal = shortNumberText(p.tl);
    if (d.PeakType == "s") p.type = 1;
    if (d.PeakType == "p") p.type = 2;
    if (d.PeakType == "d") p.type = 3;
    if (d.PeakType == "f") p.type = 4;
    const float height = heightFromArea(lineFormOf(ws.options), p.area, p.fwhm, p.gl, p.type, p.ts, p.tl,
                                        currentRegionOf(ws).heightUnit);
    p.height = std::isfinite(height) ? height : 0.0f;
    for (PeakParam param : kPeakParams) fixFlagOf(p, param) = static_cast<short>(checkBoxOf(d, param));
    return true;
}

void acceptPeakDialog(Session& session) {
    if (applyPeakDialog(session)) session.port.hideWindow(Window::Peak);
}

void redrawPeakDialog(Session& session) {
    if (applyPeakDialog(session)) showActualFwhm(session);
}

void cancelPeakDialog(Session& session) {
    Workspace& ws = session.workspace;
    ws.peaks.at(ws.currentPeak) = ws.peakBackup.at(ws.currentPeak);
    session.port.hideWindow(Window::Peak);
    updateRegionCurves(ws, session.port);
    redrawWithCurves(session);
}

void closePeakDialog(Session& session) {
    Workspace& ws = session.workspace;
    ws.peaks.at(ws.currentPeak) = ws.peakBackup.at(ws.currentPeak);
    session.port.hideWindow(Window::Peak);
    recomputeRegionCurves(session);
    redrawWithCurves(session);
}

void deletePeakFromDialog(Session& session) {
    deletePeak(session);
}

void fixChanged(Session& session, PeakParam param) {
    fixFlagOf(currentPeakOf(session), param) = static_cast<short>(checkBoxOf(session.dialogs.peak, param));
}

void scrollChanged(Session& session, PeakParam param) {
    scrollText(session, param);
}

void optimiseParameterFromDialog(Session& session, PeakParam param) {
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    Peak& p = currentPeakOf(session);
    beginFitting(ws, session.port);
    // Only the parameter's own box is taken into the peak.
    if (param == PeakParam::Gl) {
        const auto gl = roundHalfEvenToShort(leadingNumber(d.GLVal));
        if (gl && *gl >= 0 && *gl <= 100) p.gl = *gl;
    } else if (const auto value = boxNumber(textBoxOf(d, param))) {
        realParameter(p, param) = *value;
    }
    optimiseParameter(ws, session.port, ws.currentPeak, param);
    textBoxOf(d, param) = parameterText(p, param);
    endFitting(ws, session.port);
}

void optimisePeakFromDialog(Session& session) {
    if (!storePeakDialog(session)) return;
    Workspace& ws = session.workspace;
    beginFitting(ws, session.port);
    optimisePeak(ws, session.port, ws.currentPeak);
    const Peak& p = currentPeakOf(session);
    for (PeakParam param : {PeakParam::Position, PeakParam::Fwhm, PeakParam::Area, PeakParam::Gl}) {
        textBoxOf(session.dialogs.peak, param) = parameterText(p, param);
    }
    showActualFwhm(session);
    endFitting(ws, session.port);
}

}  // namespace vortlan
