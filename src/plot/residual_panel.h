#pragma once
// The residual panel under the plot: the data minus the envelope over the fit range, a zero line and
// the band of one Poisson standard deviation, ±√|data|, about it.

#include <vector>

#include "plot/plot_layout.h"
#include "plot/surface.h"
#include "plot/vertical_axis.h"
#include "workspace/records.h"

namespace vortlan {

struct ResidualPoint {
    double energy = 0;
    double residual = 0;   // data - envelope
    double deviation = 0;  // √|data|
};

// Whether the region has residuals to show: a background, peaks and the curves over its fit range.
bool hasResiduals(const Region& region);

// The residual at every fit-range point, in the order of the range; nothing without residuals.
std::vector<ResidualPoint> residualPoints(const Region& region);

// The panel's scale: symmetric about zero, wide enough for every residual and band inside the view's
// energy range, with its ticks.
struct ResidualScale {
    double half = 1;  // the residual at the panel's top edge
    AxisTicks ticks;
};
ResidualScale residualScale(const std::vector<ResidualPoint>& points, const PlotExtents& extents);

// Zero line, band, residuals and the panel's axis, inside the layout's panel.
void drawResidualPanel(Surface& surface, const Region& region, const PlotLayout& layout);

}  // namespace vortlan
