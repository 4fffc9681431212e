#include "plot/painter_surface/region_pictures.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "plot/painter_surface/painter_surface.h"
#include "plot/printed_page.h"
#include "plot/region_plot.h"

namespace vortlan {

namespace {

constexpr int kPdfResolution = 600;
constexpr double kScreenDpi = 96.0;

// The plot functions draw the current region; a picture of another one draws a view made current.
Workspace viewOf(const Workspace& workspace, int region) {
    Workspace view = workspace;
    view.currentRegion = static_cast<short>(region);
    return view;
}

bool writePng(const Workspace& ws, int region, const QString& path, PictureLayout layout, QSize size,
              const PlotStyle& style) {
    return regionImage(ws, region, size, layout, 1.0, false, style).save(path, "PNG");
}

bool writePdf(const Workspace& ws, int region, const QString& path, PictureLayout layout,
              const PlotStyle& style) {
    QPdfWriter writer(path);
    writer.setResolution(kPdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    const QRectF area(0, 0, writer.width(), writer.height());
    renderRegion(painter, area, kPdfResolution / kScreenDpi, ws, region, layout, false, style);
    return painter.end();
}

bool writeSvg(const Workspace& ws, int region, const QString& path, PictureLayout layout, QSize size,
              const PlotStyle& style) {
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle("Vortlan region plot");
    QPainter painter;
    if (!painter.begin(&generator)) return false;
    renderRegion(painter, QRectF(QPointF(0, 0), size), 1.0, ws, region, layout, false, style);
    return painter.end();
}

}  // namespace

void renderRegion(QPainter& painter, QRectF area, double pixelScale, const Workspace& workspace, int region,
                  PictureLayout layout, bool highlightCurrentPeak, const PlotStyle& style) {
    const Workspace view = viewOf(workspace, region);
    PainterSurface surface(painter, area, pixelScale);
    if (layout != PictureLayout::Screen) {
        const auto page = layout == PictureLayout::Page ? PageLayout::PlotOnly : PageLayout::WithPeakTable;
        drawPrintedPage(surface, view, page, style);
        return;
    }
    ReadoutPosition readout;
    const Region& r = currentRegionOf(view);
    drawRegionFrame(surface, view, readout, {}, style);
    if (isTrue(r.defined) && isTrue(r.backgroundSet)) drawFittedCurves(surface, view, style);
    if (highlightCurrentPeak) highlightPeak(surface, view, style);
}

QImage regionImage(const Workspace& workspace, int region, QSize size, PictureLayout layout, double devicePixelRatio,
                   bool highlightCurrentPeak, const PlotStyle& style) {
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderRegion(painter, QRectF(QPointF(0, 0), QSizeF(size)), 1.0, workspace, region, layout,
                 highlightCurrentPeak, style);
    painter.end();
    return image;
}

bool saveRegionPicture(const Workspace& workspace, int region, const QString& path, PictureLayout layout,
                       QSize size, const PlotStyle& style) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "pdf") return writePdf(workspace, region, path, layout, style);
    if (suffix == "svg") return writeSvg(workspace, region, path, layout, size, style);
    return writePng(workspace, region, path, layout, size, style);
}

QImage clipboardPicture(const Workspace& workspace, const PlotStyle& style) {
    return regionImage(workspace, workspace.currentRegion, QSize(kClipboardWidth, kClipboardHeight),
                       PictureLayout::PageWithTable, 1.0, false, style);
}

}  // namespace vortlan
