#include "plot/region_plot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/number_text.h"
#include "plot/plot_scale.h"

namespace vortlan {

namespace {

constexpr std::string_view kHeightSample = "Sample";
constexpr std::string_view kWidthSample = "0000";
constexpr std::string_view kAxisTitle = "Binding Energy (eV)";
constexpr double kScreenTickLimit = 1.01;
constexpr std::size_t kReadoutBlanks = 25;

struct TextUnits {
    double h = 0;  // height of a line of text
    double d = 0;  // width of four digits
};

TextUnits measure(Surface& s) { return {std::fabs(s.textHeight(kHeightSample)), std::fabs(s.textWidth(kWidthSample))}; }

// One curve over the fit range: a point at the first range point and lines on from there.
template <typename ValueAt>
void drawRangeCurve(Surface& s, const Region& r, ValueAt value, std::optional<Colour> colour = std::nullopt) {
    s.drawPoint({r.rangeEnergy[1], value(1)});
    for (int i = 2; i <= r.rangeCount; ++i) {
        if (colour) {
            s.lineTo({r.rangeEnergy[i], value(i)}, *colour);
        } else {
            s.lineTo({r.rangeEnergy[i], value(i)});
        }
    }
}

bool rangeDrawable(const Region& r, const PointArray& values) {
    return r.rangeCount >= 1 && r.rangeEnergy.holds(r.rangeCount) && values.holds(r.rangeCount);
}

// The blanks that clear a readout: 25, or as many as cover `width` (user units) where the font's blank
// is narrower than the digits of the last readout; a hundred at most, whatever the measures say.
std::string readoutBlanks(Surface& s, double width) {
    const double blank = std::fabs(s.textWidth(" "));
    const double needed = std::ceil(width / blank);
    if (!(needed > kReadoutBlanks)) return std::string(kReadoutBlanks, ' ');
    return std::string(static_cast<std::size_t>(std::min(needed, 4.0 * kReadoutBlanks)), ' ');
}

void drawRawSpectrum(Surface& s, const Region& r) {
    s.drawPoint({r.energy[1], r.counts[1]});
    for (int i = 2; i <= r.pointCount; ++i) s.lineTo({r.energy[i], r.counts[i]}, kBlue);
}

}  // namespace

void drawRegionFrame(Surface& s, const Workspace& ws, ReadoutPosition& readout, const PlotView& view) {
    s.clear();
    s.setLineWidth(1);
    const Region& r = currentRegionOf(ws);
    if (!plottable(r)) return;
    const PlotExtents e = plotExtents(r, view);
    const double xH = e.xHigh, xL = e.xLow, yH = e.yHigh, yL = e.yLow, g = e.width, w = e.height;

    s.setCoordinates(xH + g / 20, yH + w / 20, xL - g / 20, yL - w / 20);
    TextUnits t = measure(s);
    s.setCoordinates(xH + g / 40 + t.d / 2, yH + 3 * t.h, xL - t.d - g / 40 - t.d / 2, yL - 3 * t.h);
    t = measure(s);
    s.setCoordinates(xH + g / 40 + t.d / 2, yH + 3 * t.h, xL - g / 40 - t.d / 2, yL - 3 * t.h);

    s.setBold(true);
    s.setPosition({xH + g / 40, yH + 3 * t.h});
    s.print(r.caption.str());
    s.setBold(false);

    s.line({xL, yL}, {xH, yL});
    s.setPosition({xL - g / 40 + g / 2 + 2 * t.d, yL - 1.5 * t.h});
    s.print(kAxisTitle);
    const double leftEdge = xH + g / 40 + t.d / 2;
    for (float tick : tickPositions(e, kScreenTickLimit)) {
        s.line({tick, yL - w / 100}, {tick, yL + w / 100});
        // A label that would begin beyond the left edge would show as a stray cut-off digit.
        if (tick + t.d / 2 > leftEdge) continue;
        s.setPosition({tick + t.d / 2, yL - 0.5 * t.h});
        s.print(patternNumberText(tick, "#0.0"));
    }

    s.setLineWidth(2);
    drawRawSpectrum(s, r);
    readout.y = static_cast<float>(yH + 3 * t.h);
    readout.x = static_cast<float>(xH + g / 40 - 10 * t.d);
    readout.printedWidth = 0;
    s.setPosition({readout.x, readout.y});
}

void drawFittedCurves(Surface& s, const Workspace& ws) {
    const Region& r = currentRegionOf(ws);
    if (!plottable(r)) return;
    s.setLineWidth(2);
    if (rangeDrawable(r, r.background)) drawRangeCurve(s, r, [&](int i) { return r.background[i]; });
    if (r.peakCount < 1 || r.peakCount > kPeaksPerRegion) return;
    s.setLineWidth(1);
    for (int k = 0; k < r.peakCount; ++k) {
        const int p = r.peakSlots[k];
        if (p < 0 || p >= kPeakCount || !rangeDrawable(r, ws.peaks[p].curve)) continue;
        drawRangeCurve(s, r, [&](int i) { return ws.peaks[p].curve[i]; });
    }
    s.setLineWidth(2);
    if (rangeDrawable(r, r.envelope)) drawRangeCurve(s, r, [&](int i) { return r.envelope[i]; });
}

void highlightPeak(Surface& s, const Workspace& ws) {
    const Region& r = currentRegionOf(ws);
    if (!plottable(r) || ws.currentPeak < 0 || ws.currentPeak >= kPeakCount) return;
    const Peak& p = ws.peaks[ws.currentPeak];
    s.setLineWidth(2);
    if (rangeDrawable(r, p.curve)) drawRangeCurve(s, r, [&](int i) { return p.curve[i]; }, kRed);
    s.setLineWidth(1);
}

void showPointerReadout(Surface& s, ReadoutPosition& readout, float x, float y) {
    const std::string text = "X:" + generalNumberText(x) + "/ Y:" + generalNumberText(y);
    s.setOpaqueText(true);
    s.setPosition({readout.x, readout.y});
    s.print(readoutBlanks(s, readout.printedWidth));
    s.setPosition({readout.x, readout.y});
    s.print(text);
    readout.printedWidth = std::fabs(s.textWidth(text));
}

void drawSpectrum(Surface& s, const Workspace& ws, ReadoutPosition& readout, SpectrumDrawing drawing,
                  const PlotView& view) {
    switch (drawing) {
        case SpectrumDrawing::Clear:
            s.clear();
            break;
        case SpectrumDrawing::RegionFrame:
            drawRegionFrame(s, ws, readout, view);
            break;
        case SpectrumDrawing::FittedCurves:
            drawFittedCurves(s, ws);
            break;
        case SpectrumDrawing::HighlightedPeak:
            highlightPeak(s, ws);
            break;
    }
}

}  // namespace vortlan
