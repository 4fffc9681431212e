#include "plot/painter_surface/region_pictures.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "io/file_replace.h"
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

// Pictures are drawn into memory and then put in place whole, so that a run cut short never leaves
// half a picture where the previous one was.
bool replaceWith(const QString& path, const QByteArray& bytes) {
    return replaceFile(path.toStdString(),
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool writePng(const Workspace& ws, int region, const QString& path, PictureLayout layout, QSize size,
              const PlotStyle& style) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return regionImage(ws, region, size, layout, 1.0, false, style).save(&buffer, "PNG") &&
           replaceWith(path, bytes);
}

bool writePdf(const Workspace& ws, int region, const QString& path, PictureLayout layout,
              const PlotStyle& style) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    const QRectF area(0, 0, writer.width(), writer.height());
    renderRegion(painter, area, kPdfResolution / kScreenDpi, ws, region, layout, false, style);
    return painter.end() && replaceWith(path, bytes);
}

bool writeSvg(const Workspace& ws, int region, const QString& path, PictureLayout layout, QSize size,
              const PlotStyle& style) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle("Vortlan region plot");
    QPainter painter;
    if (!painter.begin(&generator)) return false;
    renderRegion(painter, QRectF(QPointF(0, 0), size), 1.0, ws, region, layout, false, style);
    return painter.end() && replaceWith(path, bytes);
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

QImage regionImage(const Workspace& workspace, int region, QSize size, PictureLayout layout,
                   double devicePixelRatio, bool highlightCurrentPeak, const PlotStyle& style) {
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
