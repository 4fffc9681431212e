#include "plot/printed_page.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "base/number_text.h"
#include "plot/palette.h"
#include "plot/plot_scale.h"

namespace vortlan {

namespace {

constexpr double kPaperTickLimit = 1.002;

struct Frame {
    double F = 0;   // low binding-energy side (right)
    double G = 0;   // high binding-energy side (left)
    double Hb = 0;  // bottom
    double It = 0;  // top
};

struct TextUnits {
    double h = 0;
    double d = 0;
};

TextUnits measure(Surface& s) { return {std::fabs(s.textHeight("Sample")), std::fabs(s.textWidth("0000"))}; }

void printAt(Surface& s, double x, double y, const std::string& text) {
    s.setPosition({x, y});
    s.print(text);
}

void drawFrame(Surface& s, const Frame& f, const TextUnits& t) {
    s.setLineWidth(5);
    const UserPoint corners[] = {{f.F - t.d / 2, f.It + t.h},
                                 {f.G + t.d / 2, f.It + t.h},
                                 {f.G + t.d / 2, f.Hb - t.h},
                                 {f.F - t.d / 2, f.Hb - t.h}};
    s.setPosition(corners[0]);
    for (int k = 1; k <= 4; ++k) s.lineTo(corners[k % 4]);
    s.setLineWidth(1);
}

void drawPeakTable(Surface& s, const Workspace& ws, const Region& r, const Frame& f, const TextUnits& t) {
    const double G = f.G, d = t.d;
    const double heading = f.It - 2 * t.h;
    printAt(s, G, heading, "Peak");
    printAt(s, G - 3.2 * d, heading, "Position");
    printAt(s, G - 6.2 * d, heading, "Area");
    printAt(s, G - 9 * d, heading, "FWHM");
    printAt(s, G - 12 * d, heading, "%GL");
    s.setBold(false);
    for (int k = 0; k < r.peakCount; ++k) {
        const int p = r.peakSlots[k];
        if (p < 0 || p >= kPeakCount) continue;
        const Peak& peak = ws.peaks[p];
        const double y = f.It - (k + 3) * t.h;
        printAt(s, G, y, generalNumberText(p));
        printAt(s, G - 3 * d, y, patternNumberText(peak.position, "#0.000") + "eV");
        printAt(s, G - 6 * d, y, patternNumberText(peak.area, "#######0.000"));
        printAt(s, G - 9 * d, y, patternNumberText(peak.fwhm, "0.000") + "eV");
        printAt(s, G - 12 * d, y, patternNumberText(static_cast<float>(peak.gl), "#0") + "%");
    }
}

// Black, unless the page is drawn in colour.
template <typename ValueAt>
void drawCurve(Surface& s, const PointArray& x, int count, ValueAt value, std::optional<Colour> colour) {
    s.drawPoint({x[1], value(1)});
    for (int i = 2; i <= count; ++i) {
        if (colour) {
            s.lineTo({x[i], value(i)}, *colour);
        } else {
            s.lineTo({x[i], value(i)});
        }
    }
}

void drawCurves(Surface& s, const Workspace& ws, const Region& r, const PlotStyle& style) {
    const auto colourOf = [&](Colour c) { return style.colour ? std::optional(c) : std::nullopt; };
    s.setLineWidth(1);
    drawCurve(s, r.energy, r.pointCount, [&](int i) { return r.counts[i]; }, colourOf(kBlue));
    const int n = r.rangeCount;
    const bool rangeDrawable = isTrue(r.backgroundSet) && n >= 1 && r.rangeEnergy.holds(n);
    if (rangeDrawable && r.background.holds(n)) {
        s.setLineWidth(4);
        drawCurve(s, r.rangeEnergy, n, [&](int i) { return r.background[i]; }, colourOf(kBackgroundColour));
    }
    if (rangeDrawable && r.peakCount >= 1 && r.peakCount <= kPeaksPerRegion) {
        s.setLineWidth(2);
        for (int k = 0; k < r.peakCount; ++k) {
            const int p = r.peakSlots[k];
            if (p < 0 || p >= kPeakCount || !ws.peaks[p].curve.holds(n)) continue;
            const auto peak = [&](int i) { return ws.peaks[p].curve[i]; };
            drawCurve(s, r.rangeEnergy, n, peak, colourOf(peakColour(k)));
        }
        if (r.envelope.holds(n)) {
            s.setLineWidth(4);
            drawCurve(s, r.rangeEnergy, n, [&](int i) { return r.envelope[i]; }, colourOf(kEnvelopeColour));
        }
    }
    s.setLineWidth(1);
}

}  // namespace

void drawPrintedPage(Surface& s, const Workspace& ws, PageLayout layout, const PlotStyle& style) {
    s.clear();
    s.setLineWidth(1);
    const Region& r = currentRegionOf(ws);
    if (!plottable(r)) return;
    const PlotExtents e = plotExtents(r);
    const double xH = e.xHigh, xL = e.xLow, yH = e.yHigh, yL = e.yLow, g = e.width, w = e.height;
    const bool withTable = layout == PageLayout::WithPeakTable;
    const int peaks = std::clamp<int>(r.peakCount, 0, kPeaksPerRegion);

    Frame f{xL - g / 20, xH + g / 20, yL - w / 20, yH + w / 20};
    const double mx = (f.G - f.F) / 8;
    const double my = (f.It - f.Hb) / 7;
    const auto setFrame = [&] { s.setCoordinates(f.G + mx, f.It + my, f.F - mx, f.Hb - my); };
    setFrame();
    TextUnits t = measure(s);
    f = Frame{xL - t.d - g / 40, xH + g / 40, yL - 3 * t.h, yH + 3 * t.h};
    setFrame();
    t = measure(s);
    f = Frame{xL - t.d - g / 40, xH + g / 40, yL - 3 * t.h, withTable ? yH + (peaks + 4) * t.h : yH + 3 * t.h};
    setFrame();
    t = measure(s);

    drawFrame(s, f, t);
    s.setBold(true);
    printAt(s, f.G, f.It, ws.description);
    printAt(s, f.G, f.It - t.h, r.caption.str());
    if (withTable && isTrue(r.backgroundSet) && peaks >= 1) drawPeakTable(s, ws, r, f, t);
    s.setBold(false);
    s.line({xL, yL}, {xH, yL});
    printAt(s, f.F + g / 2 + 4 * t.d, f.Hb + t.h, "Binding Energy (eV)");
    for (float tick : tickPositions(e, kPaperTickLimit)) {
        s.line({tick, yL - w / 100}, {tick, yL + w / 100});
        printAt(s, tick + t.d / 2, f.Hb + 2 * t.h, patternNumberText(tick, "#0.0"));
    }
    drawCurves(s, ws, r, style);
}

}  // namespace vortlan
