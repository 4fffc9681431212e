#include "ui/plot_canvas.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <functional>

#include "plot/painter_surface/painter_surface.h"
#include "ui/application.h"
#include "ui/peak_window.h"

namespace vortlan::ui {

namespace {

// A painter surface that reports the coordinates the plot lays out, so that the window can turn the
// pointer's pixels into binding energy and intensity.
class CanvasSurface : public PainterSurface {
  public:
    using PainterSurface::PainterSurface;
    std::function<void(double, double, double, double)> onCoordinates;
    void setCoordinates(double left, double top, double right, double bottom) override {
        PainterSurface::setCoordinates(left, top, right, bottom);
        if (onCoordinates) onCoordinates(left, top, right, bottom);
    }
};

}  // namespace

PlotCanvas::PlotCanvas(Application& app) : app_(app) {
    setObjectName(QStringLiteral("Plot"));
    setMouseTracking(true);
    setMinimumSize(kInitialPlotWidth, kInitialPlotHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QString());
}

void PlotCanvas::ensureImage() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (image_.size() == pixels && image_.devicePixelRatio() == ratio) return;
    image_ = QImage(pixels, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(Qt::white);
}

void PlotCanvas::draw(SpectrumDrawing drawing) {
    ensureImage();
    QPainter painter(&image_);
    CanvasSurface surface(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    surface.setCoordinates(coordinates_.left, coordinates_.top, coordinates_.right, coordinates_.bottom);
    surface.onCoordinates = [this](double l, double t, double r, double b) { coordinates_ = {l, t, r, b}; };
    const Workspace& ws = app_.workspace();
    vortlan::drawSpectrum(surface, ws, readout_, drawing, {}, style_);
    // The session redraws the curves after ReDraw, Add Peak and fits without asking for the highlight.
    if (drawing == SpectrumDrawing::FittedCurves && peakDialogOpen())
        vortlan::drawSpectrum(surface, ws, readout_, SpectrumDrawing::HighlightedPeak, {}, style_);
    if (drawing == SpectrumDrawing::RegionFrame) framed_ = isTrue(currentRegionOf(ws).defined);
    if (drawing == SpectrumDrawing::Clear) framed_ = false;
    update();
}

// The spectrum window sets its style while the program is being built: nothing is drawn yet then.
void PlotCanvas::setStyle(const PlotStyle& style) {
    style_ = style;
    if (framed_) redrawAll();
}

// The peak window is made after the plot; it is watched from the first fitted curves on, which
// come only once the program runs.
bool PlotCanvas::peakDialogOpen() {
    if (!peakWatched_) {
        app_.peakWindow().installEventFilter(this);
        peakWatched_ = true;
    }
    return app_.peakWindow().isVisible();
}

bool PlotCanvas::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched == &app_.peakWindow()) redrawAll();
    return QWidget::eventFilter(watched, event);
}

UserPoint PlotCanvas::userPoint(QPointF p) const {
    return {coordinates_.left + p.x() / width() * (coordinates_.right - coordinates_.left),
            coordinates_.top + p.y() / height() * (coordinates_.bottom - coordinates_.top)};
}

void PlotCanvas::redrawAll() {
    const Workspace& ws = app_.workspace();
    const Region& r = currentRegionOf(ws);
    draw(SpectrumDrawing::Clear);
    if (!isTrue(r.defined)) return;
    draw(SpectrumDrawing::RegionFrame);
    if (isTrue(r.backgroundSet)) draw(SpectrumDrawing::FittedCurves);
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image_);
}

void PlotCanvas::resizeEvent(QResizeEvent*) {
    redrawAll();
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!framed_) return;
    const UserPoint p = userPoint(event->position());
    ensureImage();
    QPainter painter(&image_);
    CanvasSurface surface(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    surface.setCoordinates(coordinates_.left, coordinates_.top, coordinates_.right, coordinates_.bottom);
    showPointerReadout(surface, readout_, static_cast<float>(p.x), static_cast<float>(p.y));
    update();
}

}  // namespace vortlan::ui
