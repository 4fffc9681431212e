#pragma once
// How a region's curves are drawn: the settings of the View menu and of `vortlan-cli render`.

namespace vortlan {

struct PlotStyle {
    // Peaks in the palette's colours, background and envelope in colours of their own; otherwise the
    // fitted curves are black.
    bool colour = false;
    // The residual panel under the plot, for a region with a background and peaks.
    bool residuals = false;
};

}  // namespace vortlan
