#include "session/peak_dialog.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "fit/drivers.h"
#include "fit/uncertainty.h"
#include "model/actual_fwhm.h"
#include "model/peak_shapes.h"
#include "model/propagation.h"
#include "model/region_curves.h"
#include "model/region_display.h"
#include "session/error_text.h"
#include "session/refusal_note.h"
#include "session/region_operations.h"

namespace vortlan {

namespace {

constexpr int kFwhmScrollMin = 30;
constexpr int kFwhmScrollMax = 500;
constexpr int kAreaScrollMax = 1000;
constexpr double kAreaScrollMiddle = 500.0;
constexpr float kTsMin = 0.0f, kTsMax = 1.0f;
constexpr float kTlMin = 0.01f, kTlMax = 200.0f;

Peak& currentPeakOf(Session& session) {
    return session.workspace.peaks.at(session.workspace.currentPeak);
}

int roundedPosition(double value) {
    const auto rounded = roundHalfEvenToShort(value);
    return rounded ? *rounded : -1;  // beyond every scroll bar: it rests at its lower end
}

// The controls of one parameter's frame, and the peak's fix flag that its check box stands for.
struct ParamControls {
    std::string PeakDialog::*box;
    std::string PeakValueTexts::*written;
    ScrollBar PeakDialog::*bar;
    int PeakDialog::*check;
    short Peak::*fix;
    std::string PeakDialog::*error;
};

ParamControls controlsOf(PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return {&PeakDialog::PosVal, &PeakValueTexts::PosVal, &PeakDialog::ScPos, &PeakDialog::ChkPos,
                    &Peak::fixPosition, &PeakDialog::PosErr};
        case PeakParam::Area:
            return {&PeakDialog::AreaVal, &PeakValueTexts::AreaVal, &PeakDialog::ScArea, &PeakDialog::ChkArea,
                    &Peak::fixArea, &PeakDialog::AreaErr};
        case PeakParam::Fwhm:
            return {&PeakDialog::FWHMVal, &PeakValueTexts::FWHMVal, &PeakDialog::ScFWHM, &PeakDialog::ChkFWHM,
                    &Peak::fixFwhm, &PeakDialog::FWHMErr};
        case PeakParam::Gl:
            break;
    }
    return {&PeakDialog::GLVal, &PeakValueTexts::GLVal, &PeakDialog::ScGL, &PeakDialog::ChkGL, &Peak::fixGl,
            &PeakDialog::GLErr};
}

// A text box holding the value its scroll bar's position stands for: what a user's move of the bar
// shows, and what Accept then stores.
void scrollText(Session& session, PeakParam param) {
    PeakDialog& d = session.dialogs.peak;
    const Region& r = currentRegionOf(session.workspace);
    switch (param) {
        case PeakParam::Position:
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

// A scroll bar shows its value to the nearest step, or rests at the end nearest to it; placing it
// leaves the text box, which shows the value exactly, alone.
void placeScroll(PeakDialog& d, PeakParam param, int position) {
    ScrollBar& bar = d.*controlsOf(param).bar;
    bar.value = std::clamp(position, bar.min, bar.max);
}

// A value box written from the peak, remembered as written.
void writeBox(PeakDialog& d, std::string PeakDialog::*box, std::string PeakValueTexts::*written,
              std::string text) {
    d.written.*written = text;
    d.*box = std::move(text);
}

std::string parameterText(const Peak& p, PeakParam param) {
    return param == PeakParam::Gl ? std::to_string(p.gl) : exactNumberText(realParameter(p, param));
}

void writeParameterBox(PeakDialog& d, const Peak& p, PeakParam param) {
    const ParamControls c = controlsOf(param);
    writeBox(d, c.box, c.written, parameterText(p, param));
}

// A box as the dialog stores it: the stored value while the box shows what was written from it,
// otherwise the box's leading number as a single (nothing when that lies beyond a single).
std::optional<float> boxValue(const PeakDialog& d, std::string PeakDialog::*box,
                              std::string PeakValueTexts::*written, float stored) {
    if (d.*box == d.written.*written) return stored;
    return toSingle(leadingNumber(d.*box));
}

// The %GL box the same way; nothing for a text that does not round to a 16-bit whole number.
std::optional<short> glValue(const PeakDialog& d, short stored) {
    if (d.GLVal == d.written.GLVal) return stored;
    return roundHalfEvenToShort(leadingNumber(d.GLVal));
}

// The ± beside each box: the standard errors of the peak's region at the values the peaks hold now,
// with the parameters that are free now.
void showStandardErrors(Session& session, int peak) {
    const Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    const RegionErrors errors = standardErrors(ws, ws.peaks.at(peak).region);
    const auto found = std::find_if(errors.peaks.begin(), errors.peaks.end(),
                                    [peak](const PeakErrors& e) { return e.peak == peak; });
    for (PeakParam param : kPeakParams) {
        d.*controlsOf(param).error =
            standardErrorText(found != errors.peaks.end() ? found->of(param) : StandardError{});
    }
}

void showActualFwhm(Session& session) {
    const Peak& p = currentPeakOf(session);
    session.dialogs.peak.ActFWHM = actualFwhmText(lineFormOf(session.workspace.options), shapeOf(p));
}

void redrawWithCurves(Session& session) {
    session.port.drawSpectrum(SpectrumDrawing::RegionFrame);
    session.port.drawSpectrum(SpectrumDrawing::FittedCurves);
}

float clampedTs(float ts) {
    return ts >= kTsMin ? std::min(ts, kTsMax) : kTsMin;
}
float clampedTl(float tl) {
    return tl >= kTlMin ? std::min(tl, kTlMax) : kTlMin;
}

// A TS or TL outside what the tail allows is kept at the nearest end, and the dialog says so.
void keepInRange(PeakDialog& d, std::string PeakValueTexts::*written, std::string PeakDialog::*box,
                 const char* name, float typed, float kept) {
    if (kept == typed) return;
    const std::string text = exactNumberText(kept);
    writeBox(d, box, written, text);
    noteRefusal(d.RefusalNote,
                std::string(name) + (typed > kept ? " above " : " below ") + text + ": kept " + text);
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
    session.dialogs.peak.RefusalNote.clear();
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
    for (PeakParam param : kPeakParams) writeParameterBox(d, p, param);
    d.ChkPos = p.fixPosition;
    d.ChkFWHM = p.fixFwhm;
    d.ChkArea = p.fixArea;
    d.ChkGL = p.fixGl;
    writeBox(d, &PeakDialog::SplittingVal, &PeakValueTexts::SplittingVal, exactNumberText(p.splitting));
    writeBox(d, &PeakDialog::TSVal, &PeakValueTexts::TSVal, exactNumberText(p.ts));
    writeBox(d, &PeakDialog::TLVal, &PeakValueTexts::TLVal, exactNumberText(p.tl));
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

    placeScroll(d, PeakParam::Position, roundedPosition((static_cast<double>(p.position) - r.rangeLow) * 100.0));
    placeScroll(d, PeakParam::Fwhm, roundedPosition(p.fwhm * 100.0));
    ws.areaScrollUnit = static_cast<float>(p.area / kAreaScrollMiddle);
    if (ws.areaScrollUnit == 0.0f || !std::isfinite(ws.areaScrollUnit)) ws.areaScrollUnit = 1.0f;
    placeScroll(d, PeakParam::Area, roundedPosition(p.area / static_cast<double>(ws.areaScrollUnit)));
    placeScroll(d, PeakParam::Gl, p.gl);
    showStandardErrors(session, peak);
}

bool storePeakDialog(Session& session) {
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    d.RefusalNote.clear();
    Peak& p = currentPeakOf(session);
    const auto position = boxValue(d, &PeakDialog::PosVal, &PeakValueTexts::PosVal, p.position);
    const auto fwhm = boxValue(d, &PeakDialog::FWHMVal, &PeakValueTexts::FWHMVal, p.fwhm);
    const auto area = boxValue(d, &PeakDialog::AreaVal, &PeakValueTexts::AreaVal, p.area);
    const auto splitting = boxValue(d, &PeakDialog::SplittingVal, &PeakValueTexts::SplittingVal, p.splitting);
    const auto ts = boxValue(d, &PeakDialog::TSVal, &PeakValueTexts::TSVal, p.ts);
    const auto tl = boxValue(d, &PeakDialog::TLVal, &PeakValueTexts::TLVal, p.tl);
    const auto gl = glValue(d, p.gl);
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
    p.position = *position;
    p.fwhm = *fwhm;
    p.area = *area;
    p.splitting = *splitting;
    p.gl = *gl;
    p.ts = clampedTs(*ts);
    p.tl = clampedTl(*tl);
    keepInRange(d, &PeakValueTexts::TSVal, &PeakDialog::TSVal, "TS", *ts, p.ts);
    keepInRange(d, &PeakValueTexts::TLVal, &PeakDialog::TLVal, "TL", *tl, p.tl);
    if (d.PeakType == "s") p.type = 1;
    if (d.PeakType == "p") p.type = 2;
    if (d.PeakType == "d") p.type = 3;
    if (d.PeakType == "f") p.type = 4;
    const float height = heightFromArea(lineFormOf(ws.options), p.area, p.fwhm, p.gl, p.type, p.ts, p.tl,
                                        currentRegionOf(ws).heightUnit);
    p.height = std::isfinite(height) ? height : 0.0f;
    for (PeakParam param : kPeakParams) {
        const ParamControls c = controlsOf(param);
        p.*c.fix = static_cast<short>(d.*c.check);
    }
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
    const ParamControls c = controlsOf(param);
    currentPeakOf(session).*c.fix = static_cast<short>(session.dialogs.peak.*c.check);
    showStandardErrors(session, session.workspace.currentPeak);
}

void scrollChanged(Session& session, PeakParam param) {
    scrollText(session, param);
}

void optimiseParameterFromDialog(Session& session, PeakParam param) {
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    Peak& p = currentPeakOf(session);
    // Only the parameter's own box is taken into the peak, and only when it was changed.
    std::optional<float> value;
    if (param != PeakParam::Gl) {
        const ParamControls c = controlsOf(param);
        value = boxValue(d, c.box, c.written, realParameter(p, param));
        // No line shape has a width of 0 or less: the fit does not start from one.
        if (param == PeakParam::Fwhm && value && !(*value > 0.0f)) {
            session.port.message("FWHM must be >0");
            return;
        }
    }
    beginFitting(ws, session.port);
    if (param == PeakParam::Gl) {
        const auto gl = glValue(d, p.gl);
        if (gl && *gl >= 0 && *gl <= 100) p.gl = *gl;
    } else if (value) {
        realParameter(p, param) = *value;
    }
    optimiseParameter(ws, session.port, ws.currentPeak, param);
    writeParameterBox(d, p, param);
    showStandardErrors(session, ws.currentPeak);
    endFitting(ws, session.port);
}

void optimisePeakFromDialog(Session& session) {
    if (!storePeakDialog(session)) return;
    Workspace& ws = session.workspace;
    beginFitting(ws, session.port);
    optimisePeak(ws, session.port, ws.currentPeak);
    const Peak& p = currentPeakOf(session);
    for (PeakParam param : kPeakParams) writeParameterBox(session.dialogs.peak, p, param);
    showActualFwhm(session);
    showStandardErrors(session, ws.currentPeak);
    endFitting(ws, session.port);
}

}  // namespace vortlan
