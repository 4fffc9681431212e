#include "plot/residual_panel.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

// Room over the largest residual or band edge, so that neither touches the panel's edge.
constexpr double kHeadroom = 1.1;
constexpr Colour kBandColour{160, 160, 160};

bool inView(double energy, const PlotExtents& e) {
    return energy >= e.xLow && energy <= e.xHigh;
}

template <typename ValueOf>
void drawPolyline(Surface& s, const std::vector<ResidualPoint>& points, ValueOf y, Colour colour) {
    s.setPosition({points.front().energy, y(points.front())});
    for (std::size_t i = 1; i < points.size(); ++i) s.lineTo({points[i].energy, y(points[i])}, colour);
}

}  // namespace

bool hasResiduals(const Region& r) {
    const int n = r.rangeCount;
    return isTrue(r.backgroundSet) && r.peakCount >= 1 && n >= 1 && r.rangeEnergy.holds(n) &&
           r.rangeCounts.holds(n) && r.envelope.holds(n);
}

std::vector<ResidualPoint> residualPoints(const Region& r) {
    std::vector<ResidualPoint> points;
    if (!hasResiduals(r)) return points;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const double data = r.rangeCounts[i];
        const double residual = data - static_cast<double>(r.envelope[i]);
        if (!std::isfinite(residual)) continue;
        points.push_back({r.rangeEnergy[i], residual, std::sqrt(std::fabs(data))});
    }
    return points;
}

ResidualScale residualScale(const std::vector<ResidualPoint>& points, const PlotExtents& e) {
    double largest = 0;
    for (const ResidualPoint& p : points) {
        if (inView(p.energy, e)) largest = std::max({largest, std::fabs(p.residual), p.deviation});
    }
    ResidualScale scale;
    if (largest > 0 && std::isfinite(largest)) scale.half = kHeadroom * largest;
    scale.ticks = verticalTicks(-scale.half, scale.half);
    return scale;
}

void drawResidualPanel(Surface& s, const Region& r, const PlotLayout& l) {
    const std::vector<ResidualPoint> points = residualPoints(r);
    if (!l.residualPanel || points.empty()) return;
    const PlotExtents& e = l.extents;
    const ResidualScale scale = residualScale(points, e);
    const double zero = (l.panelTop + l.panelBottom) / 2;
    const double perUnit = (l.panelTop - l.panelBottom) / (2 * scale.half);
    const auto yOf = [&](double residual) { return zero + residual * perUnit; };

    const double h = std::fabs(s.textHeight("0"));
    s.setLineWidth(1);
    drawVerticalAxis(s, {l.intensityAxisX, l.panelBottom, l.panelTop, e.width / 100, h, e.width / 200},
                     scale.ticks, yOf);
    s.setClip({e.xLow, l.panelBottom}, {e.xHigh, l.panelTop});
    s.line({e.xHigh, zero}, {e.xLow, zero});
    drawPolyline(
        s, points, [&](const ResidualPoint& p) { return yOf(p.deviation); }, kBandColour);
    drawPolyline(
        s, points, [&](const ResidualPoint& p) { return yOf(-p.deviation); }, kBandColour);
    // The residuals are the data's own misfit: in the data's blue, whatever the style.
    drawPolyline(
        s, points, [&](const ResidualPoint& p) { return yOf(p.residual); }, kBlue);
    s.clearClip();
}

}  // namespace vortlan
