#include "plot/plot_layout.h"

#include "plot/residual_panel.h"

namespace vortlan {

namespace {

// The panel and the gap over it, as shares of the data area's height.
constexpr double kPanelShare = 0.3;
constexpr double kPanelGapShare = 0.05;

}  // namespace

PlotLayout plotLayout(const Region& r, const PlotView& view, const PlotStyle& style) {
    PlotLayout l;
    l.extents = plotExtents(r, view);
    l.view = view;
    const PlotExtents& e = l.extents;
    l.intensityAxisX = e.xHigh + e.width / 40;
    l.residualPanel = style.residuals && hasResiduals(r);
    const double gap = l.residualPanel ? kPanelGapShare * e.height : 0.0;
    l.panelTop = e.yLow - gap;
    l.panelBottom = l.residualPanel ? l.panelTop - kPanelShare * e.height : l.panelTop;
    l.energyAxisY = l.panelBottom;
    if (view.zoomed) {
        l.curveClip = ClipArea{{e.xLow, e.yLow}, {e.xHigh, e.yHigh}};
    } else if (l.residualPanel) {
        // Above the gap only, and up to well beyond the top of the surface.
        l.curveClip =
            ClipArea{{e.xLow - e.width / 40, e.yLow - gap / 2}, {l.intensityAxisX, e.yHigh + e.height}};
    }
    return l;
}

void clipToCurves(Surface& s, const PlotLayout& l) {
    if (l.curveClip) s.setClip(l.curveClip->corner, l.curveClip->opposite);
}

}  // namespace vortlan
