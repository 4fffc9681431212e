#pragma once
// Pictures of a region outside the spectrum window: image, PNG, PDF and SVG files, and the clipboard
// picture.  The command-line tool, the desktop program and the tests draw them all here.

#include <QImage>
#include <QPainter>
#include <QString>

#include "plot/picture_layout.h"
#include "plot/plot_style.h"
#include "workspace/records.h"

namespace vortlan {

// Draws the region into `area` of the painter; `pixelScale` device pixels per pixel of line width.
// The printed layouts take only the style's colour.
void renderRegion(QPainter& painter, QRectF area, double pixelScale, const Workspace& workspace, int region,
                  PictureLayout layout, bool highlightCurrentPeak = false, const PlotStyle& style = {});

// An image of `size` device-independent pixels, sharp at the given device pixel ratio.
QImage regionImage(const Workspace& workspace, int region, QSize size, PictureLayout layout,
                   double devicePixelRatio = 1.0, bool highlightCurrentPeak = false,
                   const PlotStyle& style = {});

// A PNG, PDF (one A4 landscape page) or SVG file, chosen by the path's extension; false when it could
// not be written.
bool saveRegionPicture(const Workspace& workspace, int region, const QString& path, PictureLayout layout,
                       QSize size = QSize(800, 500), const PlotStyle& style = {});

// The clipboard picture of the current region: the page with its table, 532 x 434 pixels.
QImage clipboardPicture(const Workspace& workspace, const PlotStyle& style = {});
inline constexpr int kClipboardWidth = 532;
inline constexpr int kClipboardHeight = 434;

}  // namespace vortlan
