#pragma once
// The printed page of a region, also the clipboard picture: the plot in black (or, when the user asks
// for it, in the curves' colours) inside a frame, under the project description and the region
// caption, optionally with a table of the peaks.

#include "plot/plot_style.h"
#include "plot/surface.h"
#include "workspace/records.h"

namespace vortlan {

enum class PageLayout { PlotOnly, WithPeakTable };

// Draws the current region on a cleared surface.  A region without points leaves the surface empty.
// Only the style's colour applies to the page.
void drawPrintedPage(Surface& surface, const Workspace& workspace, PageLayout layout,
                     const PlotStyle& style = {});

}  // namespace vortlan
