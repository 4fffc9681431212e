#pragma once
// Zooming and panning the plot of a region: each step turns one view into the next, always inside the
// region's own extents and never closer than a fixed magnification.  Only the view changes, never the
// region.

#include <optional>

#include "plot/plot_scale.h"
#include "plot/surface.h"
#include "workspace/records.h"

namespace vortlan {

// How much closer than the whole region the view may come on either axis: far beyond what a spectrum's
// points resolve, and well before the axis texts lose their digits.
inline constexpr double kMaxMagnification = 1000.0;

// The view over the rectangle with corners a and b (energy, counts), kept inside the region; nothing for
// a rectangle without width or height, or a region whose plot has no extent to zoom into.
std::optional<PlotView> zoomedTo(const Region& region, UserPoint a, UserPoint b);

// The view scaled by `factor` (below 1 closer, above 1 further out) about `centre`, which stays where it
// is on the plot unless the view meets the region's edge or the magnification limit.
PlotView zoomedAbout(const Region& region, const PlotView& view, UserPoint centre, double factor);

// The view moved by the given energy and counts, stopping at the region's edges.
PlotView pannedBy(const Region& region, const PlotView& view, double energy, double counts);

// The data a view was made for: a view stays while the same region shows the same points.
struct ViewedData {
    int region = -1;
    PointArray energy;
    PointArray counts;
    short pointCount = 0;
    float shift = 0;
};

ViewedData viewedDataOf(const Workspace& workspace);
bool stillViewed(const ViewedData& viewed, const Workspace& workspace);

}  // namespace vortlan
