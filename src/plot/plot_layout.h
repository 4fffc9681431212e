#pragma once
// Where the parts of a region's plot lie in its user coordinates: the data area, the residual panel
// under it and the two axes.  It depends on the region, the view and the style only, so that every
// drawing of the plot (frame, curves, highlight) finds the same places without measuring text.

#include <optional>

#include "plot/plot_scale.h"
#include "plot/plot_style.h"
#include "plot/surface.h"
#include "workspace/records.h"

namespace vortlan {

struct ClipArea {
    UserPoint corner;
    UserPoint opposite;
};

struct PlotLayout {
    PlotExtents extents;
    PlotView view;
    double intensityAxisX = 0;  // the intensity axis, just beyond the high-energy end of the data
    double energyAxisY = 0;     // the energy axis: under the data, or under the residual panel
    bool residualPanel = false;
    double panelTop = 0;
    double panelBottom = 0;
    // Where the spectrum and curves may be drawn: nothing when they may use the whole surface (a
    // region shown whole without residuals, as the plot has always been drawn).
    std::optional<ClipArea> curveClip;
};

PlotLayout plotLayout(const Region& region, const PlotView& view, const PlotStyle& style);

// Confines what is drawn next to the curves' area, where the layout has one.
void clipToCurves(Surface& surface, const PlotLayout& layout);

}  // namespace vortlan
