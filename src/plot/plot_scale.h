#pragma once
// The axes of a region's plot: their extents and their ticks.

#include <optional>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

// The extents of a region's raw data as the plot lays them out.  A zero or reversed span (all points
// at one energy, or one intensity) is drawn over a span of 1 instead, so that no edge coincides.
struct PlotExtents {
    double xHigh = 0;
    double xLow = 0;
    double yHigh = 0;
    double yLow = 0;
    double width = 1;   // xHigh - xLow, or 1 when that is not positive
    double height = 1;  // yHigh - yLow, or 1 when that is not positive
    bool ticksPossible = false;  // a positive span and a positive highest energy
};

// The part of a region the plot shows: the whole region, or the window the user zoomed or panned to.
// Zoom and pan change only this, never the region, its range or its curves.
struct PlotView {
    bool zoomed = false;
    double energyHigh = 0;
    double energyLow = 0;
    double countsHigh = 0;
    double countsLow = 0;
};

// Whether the region has raw points the plot can draw.
bool plottable(const Region& region);

PlotExtents plotExtents(const Region& region);
// The extents of the view: the region's own when it is not zoomed.
PlotExtents plotExtents(const Region& region, const PlotView& view);

// The first non-zero of span/5 truncated to 0, 1, 2, ... decimals (0.1 added before each truncation):
// 20 gives 4, 4.4 gives 0.8, 0.4 gives 0.08.  Nothing for a span that is not positive.
std::optional<double> tickStep(double span);

// Tick positions from the first multiple of the step not below xLow while t / xHigh stays below
// `limit` (1.01 on screen, 1.002 on paper), accumulated in single precision.
std::vector<float> tickPositions(const PlotExtents& extents, double limit);

// The step of 1, 2 or 5 times a power of ten nearest a fifth of the span, so that an intensity axis
// reads 200, 400, 600 rather than 220, 440, 660.  Nothing for a span that is not positive.
std::optional<double> roundStep(double span);

// Ticks of an axis from `low` to `high` at the step roundStep gives their span: every multiple of the
// step between them, both ends included.  Nothing for a span that is not positive.
std::vector<double> axisTicks(double low, double high);

}  // namespace vortlan
