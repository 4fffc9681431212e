#include "plot/region_plot.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/number_text.h"
#include "plot/palette.h"
#include "plot/plot_layout.h"
#include "plot/plot_scale.h"
#include "plot/residual_panel.h"
#include "plot/vertical_axis.h"

namespace vortlan {

namespace {

constexpr std::string_view kHeightSample = "Sample";
constexpr std::string_view kWidthSample = "0000";
constexpr std::string_view kAxisTitle = "Binding Energy (eV)";
constexpr std::string_view kIntensityTitle = "Intensity";
// The highlighted peak in its own colour stands out by its width instead of by red.
constexpr int kHighlightWidth = 3;
constexpr double kScreenTickLimit = 1.01;
constexpr std::size_t kReadoutBlanks = 25;

struct TextUnits {
    double h = 0;  // height of a line of text
    double d = 0;  // width of four digits
};

// The unit only where the imported file named it.
std::string intensityTitle(const Region& r) {
    if (r.intensityUnit.empty()) return std::string(kIntensityTitle);
    return std::string(kIntensityTitle) + " (" + r.intensityUnit + ")";
}

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

// The energy axis along the bottom of the data, or of the residual panel, meeting the intensity axis.
void drawEnergyAxis(Surface& s, const PlotLayout& l, const TextUnits& t) {
    const PlotExtents& e = l.extents;
    const double xH = e.xHigh, xL = e.xLow, g = e.width, w = e.height, yA = l.energyAxisY;
    s.line({xL, yA}, {l.intensityAxisX, yA});
    s.setPosition({xL - g / 40 + g / 2 + 2 * t.d, yA - 1.5 * t.h});
    s.print(kAxisTitle);
    const double leftEdge = xH + g / 40 + t.d / 2;
    for (float tick : tickPositions(e, kScreenTickLimit)) {
        // Ticks beyond the intensity axis would stand outside the plot, and a zoomed view's beyond its
        // ends, where the curves are cut off.
        if (tick > l.intensityAxisX || (l.view.zoomed && (tick < xL || tick > xH))) continue;
        s.line({tick, yA - w / 100}, {tick, yA + w / 100});
        // A label that would begin beyond the left edge would show as a stray cut-off digit.
        if (tick + t.d / 2 > leftEdge) continue;
        s.setPosition({tick + t.d / 2, yA - 0.5 * t.h});
        s.print(patternNumberText(tick, "#0.0"));
    }
}

// The slot of the peak in its region, or -1 when the region does not hold it.
int slotOf(const Region& r, int peak) {
    for (int k = 0; k < std::clamp<int>(r.peakCount, 0, kPeaksPerRegion); ++k) {
        if (r.peakSlots[k] == peak) return k;
    }
    return -1;
}

// Background, every peak standing on it, and the envelope: black, or in the palette's colours.
void drawCurves(Surface& s, const Workspace& ws, const Region& r, const PlotStyle& style) {
    const auto colourOf = [&](Colour c) { return style.colour ? std::optional(c) : std::nullopt; };
    s.setLineWidth(2);
    if (rangeDrawable(r, r.background))
        drawRangeCurve(s, r, [&](int i) { return r.background[i]; }, colourOf(kBackgroundColour));
    if (r.peakCount < 1 || r.peakCount > kPeaksPerRegion) return;
    s.setLineWidth(1);
    for (int k = 0; k < r.peakCount; ++k) {
        const int p = r.peakSlots[k];
        if (p < 0 || p >= kPeakCount || !rangeDrawable(r, ws.peaks[p].curve)) continue;
        drawRangeCurve(s, r, [&](int i) { return ws.peaks[p].curve[i]; }, colourOf(peakColour(k)));
    }
    s.setLineWidth(2);
    if (rangeDrawable(r, r.envelope))
        drawRangeCurve(s, r, [&](int i) { return r.envelope[i]; }, colourOf(kEnvelopeColour));
}

}  // namespace

void drawRegionFrame(Surface& s, const Workspace& ws, ReadoutPosition& readout, const PlotView& view,
                     const PlotStyle& style) {
    s.clear();
    s.setLineWidth(1);
    const Region& r = currentRegionOf(ws);
    if (!plottable(r)) return;
    const PlotLayout l = plotLayout(r, view, style);
    const PlotExtents& e = l.extents;
    const double xH = e.xHigh, xL = e.xLow, yH = e.yHigh, g = e.width, w = e.height;
    const double yA = l.energyAxisY;
    const AxisTicks intensity = verticalTicks(e.yLow, yH);
    const AxisTicks residual = l.residualPanel ? residualScale(residualPoints(r), e).ticks : AxisTicks{};
    // The room the vertical axes' labels need left of the intensity axis, at the scale just set.
    const auto labelRoom = [&] {
        return g / 100 + g / 200 + std::max(labelsWidth(s, intensity), labelsWidth(s, residual));
    };

    s.setCoordinates(xH + g / 20, yH + w / 20, xL - g / 20, yA - w / 20);
    TextUnits t = measure(s);
    double left = l.intensityAxisX + labelRoom() + t.d / 2;
    s.setCoordinates(left, yH + 3 * t.h, xL - t.d - g / 40 - t.d / 2, yA - 3 * t.h);
    t = measure(s);
    left = l.intensityAxisX + labelRoom() + t.d / 2;
    s.setCoordinates(left, yH + 3 * t.h, xL - g / 40 - t.d / 2, yA - 3 * t.h);

    s.setBold(true);
    s.setPosition({xH + g / 40, yH + 3 * t.h});
    s.print(r.caption.str());
    s.setBold(false);
    s.setPosition({left - t.d / 4, yH + 2 * t.h});
    s.print(intensityTitle(r));

    drawEnergyAxis(s, l, t);
    drawVerticalAxis(s, {l.intensityAxisX, l.panelTop, yH, g / 100, t.h, g / 200}, intensity,
                     [](double v) { return v; });

    s.setLineWidth(2);
    clipToCurves(s, l);
    drawRawSpectrum(s, r);
    s.clearClip();
    readout.y = static_cast<float>(yH + 3 * t.h);
    readout.x = static_cast<float>(xH + g / 40 - 10 * t.d);
    readout.printedWidth = 0;
    s.setPosition({readout.x, readout.y});
}

void drawFittedCurves(Surface& s, const Workspace& ws, const PlotStyle& style, const PlotView& view) {
    const Region& r = currentRegionOf(ws);
    if (!plottable(r)) return;
    const PlotLayout l = plotLayout(r, view, style);
    clipToCurves(s, l);
    drawCurves(s, ws, r, style);
    s.clearClip();
    if (l.residualPanel) drawResidualPanel(s, r, l);
}

void highlightPeak(Surface& s, const Workspace& ws, const PlotStyle& style, const PlotView& view) {
    const Region& r = currentRegionOf(ws);
    if (!plottable(r) || ws.currentPeak < 0 || ws.currentPeak >= kPeakCount) return;
    const Peak& p = ws.peaks[ws.currentPeak];
    if (!rangeDrawable(r, p.curve)) return;
    const PlotLayout l = plotLayout(r, view, style);
    const int slot = slotOf(r, ws.currentPeak);
    const bool ownColour = style.colour && slot >= 0;
    s.setLineWidth(ownColour ? kHighlightWidth : 2);
    clipToCurves(s, l);
    drawRangeCurve(s, r, [&](int i) { return p.curve[i]; }, ownColour ? peakColour(slot) : kRed);
    s.clearClip();
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
                  const PlotView& view, const PlotStyle& style) {
    switch (drawing) {
        case SpectrumDrawing::Clear:
            s.clear();
            break;
        case SpectrumDrawing::RegionFrame:
            drawRegionFrame(s, ws, readout, view, style);
            break;
        case SpectrumDrawing::FittedCurves:
            drawFittedCurves(s, ws, style, view);
            break;
        case SpectrumDrawing::HighlightedPeak:
            highlightPeak(s, ws, style, view);
            break;
    }
}

}  // namespace vortlan
