#include "session/peak_drag.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/number_text.h"
#include "model/peak_shapes.h"
#include "session/peak_dialog.h"

namespace vortlan {

namespace {

bool movable(const Workspace& ws, int peak, PeakParam param) {
    return !isFixed(ws.peaks.at(peak), param) && !isTrue(ws.constraints.at(peak).of(param).linked);
}

bool rangeDrawn(const Region& r) {
    return r.rangeCount >= 2 && r.rangeEnergy.holds(r.rangeCount) && r.background.holds(r.rangeCount);
}

// The background at an energy between two range points, along the straight line the plot draws
// between them; nothing outside the range.
std::optional<double> backgroundAt(const Region& r, double energy) {
    for (int i = 1; i < r.rangeCount; ++i) {
        const double e0 = r.rangeEnergy[i], e1 = r.rangeEnergy[i + 1];
        if (energy > std::max(e0, e1) || energy < std::min(e0, e1)) continue;
        if (e0 == e1) return r.background[i];
        const double t = (energy - e0) / (e1 - e0);
        return r.background[i] + t * (static_cast<double>(r.background[i + 1]) - r.background[i]);
    }
    return std::nullopt;
}

double heldInRange(const Region& r, double energy) {
    const double a = r.rangeEnergy[1], b = r.rangeEnergy[r.rangeCount];
    return std::clamp(energy, std::min(a, b), std::max(a, b));
}

// The peak's own value at its top, for a peak of the given height (in the region's height units).
double topValue(const Workspace& ws, const Peak& p, float height) {
    const Region& r = ws.regions.at(p.region);
    const LineForm form = lineFormOf(ws.options);
    Peak shaped = p;
    shaped.area = areaFromHeight(form, height, p.fwhm, p.gl, p.type, p.ts, p.tl, r.heightUnit);
    const PeakShape shape = shapeOf(shaped, r.shift);
    return peakValue(form, shape.position, shape);
}

// The area whose top stands `above` counts over the background, never below 0; nothing when the
// peak's shape gives no top to scale (a zero height unit, say).
std::optional<float> areaForTop(const Workspace& ws, const Peak& p, double above) {
    const double perHeight = topValue(ws, p, 1.0f);
    if (!(perHeight > 0) || !std::isfinite(perHeight)) return std::nullopt;
    const double height = std::max(0.0, above / perHeight);
    if (!(height < std::numeric_limits<float>::max())) return std::nullopt;
    const Region& r = ws.regions.at(p.region);
    const float area = areaFromHeight(lineFormOf(ws.options), static_cast<float>(height), p.fwhm, p.gl,
                                      p.type, p.ts, p.tl, r.heightUnit);
    if (!std::isfinite(area)) return std::nullopt;
    return area;
}

}  // namespace

PeakDragAxes peakDragAxes(const Workspace& ws, int peak) {
    return {movable(ws, peak, PeakParam::Position), movable(ws, peak, PeakParam::Area)};
}

std::optional<UserPoint> peakTop(const Workspace& ws, int peak) {
    const Peak& p = ws.peaks.at(peak);
    if (!isTrue(p.defined) || p.region < 0 || p.region >= kRegionCount) return std::nullopt;
    const Region& r = ws.regions[p.region];
    if (!rangeDrawn(r)) return std::nullopt;
    const double energy = static_cast<double>(p.position) + r.shift;
    const auto background = backgroundAt(r, energy);
    if (!background) return std::nullopt;
    const PeakShape shape = shapeOf(p, r.shift);
    const double top = *background + peakValue(lineFormOf(ws.options), shape.position, shape);
    if (!std::isfinite(top)) return std::nullopt;
    return UserPoint{energy, top};
}

bool dragPeakTop(Session& session, UserPoint top) {
    // The boxes as they stand (a FWHM just typed, say) shape the peak whose top is placed.
    if (!storePeakDialog(session)) return false;
    Workspace& ws = session.workspace;
    PeakDialog& d = session.dialogs.peak;
    const Peak& p = ws.peaks.at(ws.currentPeak);
    const Region& r = ws.regions.at(p.region);
    const PeakDragAxes axes = peakDragAxes(ws, ws.currentPeak);
    Peak moved = p;
    if (axes.position && rangeDrawn(r)) {
        moved.position = static_cast<float>(heldInRange(r, top.x) - r.shift);
        d.PosVal = exactNumberText(moved.position);
    }
    const auto background = backgroundAt(r, static_cast<double>(moved.position) + r.shift);
    if (axes.height && background) {
        if (const auto area = areaForTop(ws, moved, top.y - *background)) d.AreaVal = exactNumberText(*area);
    }
    redrawPeakDialog(session);
    return true;
}

}  // namespace vortlan
