#pragma once
// The spectrum window's plot of the current region: frame, axes and raw spectrum; the fitted curves and
// the residual panel; the peak being edited in red; and the pointer's position read out at the top.

#include "plot/plot_scale.h"
#include "plot/plot_style.h"
#include "plot/surface.h"
#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// Where the pointer readout is printed, set by every drawRegionFrame, and how wide the readout last
// printed there is (0 on a fresh frame), so that the next one can clear all of it.
struct ReadoutPosition {
    float x = 0;
    float y = 0;
    double printedWidth = 0;  // in user units
};

// Clears the surface, lays out the coordinates, prints the caption and both axes with their ticks and
// draws the raw spectrum in blue.  A region without points leaves the surface empty.  A zoomed view
// lays the frame out over the view instead of the whole region and keeps the spectrum inside it; the
// style's residuals leave room for the residual panel under the data.
void drawRegionFrame(Surface& surface, const Workspace& workspace, ReadoutPosition& readout,
                     const PlotView& view = {}, const PlotStyle& style = {});

// Background, every peak standing on it, and the envelope, then the residual panel when the style
// asks for it; a curve that cannot be drawn is passed over.
void drawFittedCurves(Surface& surface, const Workspace& workspace, const PlotStyle& style = {},
                      const PlotView& view = {});

// The current peak's curve over what is drawn: red, or in colour its own colour and thicker.
void highlightPeak(Surface& surface, const Workspace& workspace, const PlotStyle& style = {},
                   const PlotView& view = {});

// "X:", the pointer's binding energy, "/ Y:" and its intensity, over the previous readout, which is
// cleared to its full width first.
void showPointerReadout(Surface& surface, ReadoutPosition& readout, float x, float y);

// What the core asks of the spectrum window, drawn on its surface.
void drawSpectrum(Surface& surface, const Workspace& workspace, ReadoutPosition& readout, SpectrumDrawing drawing,
                  const PlotView& view = {}, const PlotStyle& style = {});

}  // namespace vortlan
