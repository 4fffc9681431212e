#include "ui/plot_canvas.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
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

// A rectangle narrower or lower than this is a click, not a zoom.
constexpr double kLeastZoomPixels = 4;
// How near the top of the open peak's curve a press grabs the peak.
constexpr double kGrabPixels = 8;
// One notch of the wheel brings the view this much closer.
constexpr double kWheelNotchFactor = 0.8;
constexpr double kWheelNotch = 120;
// One arrow key moves the view by this share of what it shows.
constexpr double kKeyPanShare = 0.1;

}  // namespace

PlotCanvas::PlotCanvas(Application& app) : app_(app) {
    setObjectName(QStringLiteral("Plot"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
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

void PlotCanvas::keepViewForDrawnData() {
    const Workspace& ws = app_.workspace();
    if (stillViewed(viewed_, ws)) return;
    view_ = PlotView{};
    viewed_ = viewedDataOf(ws);
}

void PlotCanvas::draw(SpectrumDrawing drawing) {
    keepViewForDrawnData();
    ensureImage();
    QPainter painter(&image_);
    CanvasSurface surface(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    surface.setCoordinates(coordinates_.left, coordinates_.top, coordinates_.right, coordinates_.bottom);
    surface.onCoordinates = [this](double l, double t, double r, double b) { coordinates_ = {l, t, r, b}; };
    const Workspace& ws = app_.workspace();
    vortlan::drawSpectrum(surface, ws, readout_, drawing, view_, style_);
    // The session redraws the curves after ReDraw, Add Peak and fits without asking for the highlight.
    if (drawing == SpectrumDrawing::FittedCurves && peakDialogOpen())
        vortlan::drawSpectrum(surface, ws, readout_, SpectrumDrawing::HighlightedPeak, view_, style_);
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

QPointF PlotCanvas::widgetPoint(UserPoint u) const {
    return {(u.x - coordinates_.left) / (coordinates_.right - coordinates_.left) * width(),
            (u.y - coordinates_.top) / (coordinates_.bottom - coordinates_.top) * height()};
}

void PlotCanvas::redrawAll() {
    const Workspace& ws = app_.workspace();
    const Region& r = currentRegionOf(ws);
    draw(SpectrumDrawing::Clear);
    if (!isTrue(r.defined)) return;
    draw(SpectrumDrawing::RegionFrame);
    if (isTrue(r.backgroundSet)) draw(SpectrumDrawing::FittedCurves);
}

void PlotCanvas::setView(const PlotView& view) {
    view_ = view;
    redrawAll();
}

void PlotCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image_);
    if (gesture_ != Gesture::Zoom) return;
    painter.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    painter.drawRect(QRectF(pressedAt_, lastAt_).normalized());
}

void PlotCanvas::resizeEvent(QResizeEvent*) {
    redrawAll();
}

void PlotCanvas::showReadout(QPointF at) {
    const UserPoint p = userPoint(at);
    ensureImage();
    QPainter painter(&image_);
    CanvasSurface surface(painter, QRectF(QPointF(0, 0), QSizeF(size())));
    surface.setCoordinates(coordinates_.left, coordinates_.top, coordinates_.right, coordinates_.bottom);
    showPointerReadout(surface, readout_, static_cast<float>(p.x), static_cast<float>(p.y));
    update();
}

std::optional<PeakDragAxes> PlotCanvas::grabbedPeak(QPointF at) const {
    const PeakWindow& dialog = app_.peakWindow();
    if (!framed_ || !dialog.isVisible() || !dialog.isEnabled()) return std::nullopt;
    const Workspace& ws = app_.workspace();
    if (ws.currentPeak < 0 || ws.currentPeak >= kPeakCount ||
        ws.peaks[ws.currentPeak].region != ws.currentRegion)
        return std::nullopt;
    const auto top = peakTop(ws, ws.currentPeak);
    if (!top) return std::nullopt;
    const QPointF offset = widgetPoint(*top) - at;
    if (std::hypot(offset.x(), offset.y()) > kGrabPixels) return std::nullopt;
    const PeakDragAxes axes = peakDragAxes(ws, ws.currentPeak);
    if (!axes.position && !axes.height) return std::nullopt;
    return axes;
}

void PlotCanvas::showCursorFor(QPointF at) {
    if (!framed_) {
        unsetCursor();
    } else if (gesture_ == Gesture::Pan) {
        setCursor(Qt::ClosedHandCursor);
    } else if (const auto axes = gesture_ == Gesture::Zoom ? std::nullopt : grabbedPeak(at)) {
        setCursor(axes->position && axes->height ? Qt::SizeAllCursor
                  : axes->position               ? Qt::SizeHorCursor
                                                 : Qt::SizeVerCursor);
    } else {
        setCursor(Qt::CrossCursor);
    }
}

void PlotCanvas::startPeakDrag(QPointF at) {
    const Workspace& ws = app_.workspace();
    const UserPoint top = *peakTop(ws, ws.currentPeak);
    const UserPoint pointer = userPoint(at);
    grabOffset_ = {top.x - pointer.x, top.y - pointer.y};
    gesture_ = Gesture::PeakDrag;
}

void PlotCanvas::dragPeakTo(QPointF at) {
    const UserPoint pointer = userPoint(at);
    const UserPoint top{pointer.x + grabOffset_.x, pointer.y + grabOffset_.y};
    bool taken = true;
    app_.run([&](Session& s) { taken = dragPeakTop(s, top); });
    // A dialog that cannot take its boxes has said why; the drag ends there.
    if (!taken) gesture_ = Gesture::None;
}

void PlotCanvas::finishZoom(QPointF at) {
    const QPointF size = at - pressedAt_;
    if (std::fabs(size.x()) < kLeastZoomPixels || std::fabs(size.y()) < kLeastZoomPixels) {
        update();
        return;
    }
    const auto zoomed = zoomedTo(currentRegionOf(app_.workspace()), userPoint(pressedAt_), userPoint(at));
    if (zoomed) {
        setView(*zoomed);
    } else {
        update();
    }
}

void PlotCanvas::panTo(QPointF at) {
    const UserPoint from = userPoint(lastAt_);
    const UserPoint to = userPoint(at);
    setView(pannedBy(currentRegionOf(app_.workspace()), view_, from.x - to.x, from.y - to.y));
}

void PlotCanvas::panByKey(int key) {
    const PlotExtents shown = plotExtents(currentRegionOf(app_.workspace()), view_);
    const double energy = kKeyPanShare * shown.width;
    const double counts = kKeyPanShare * shown.height;
    // The plot's left is its high binding energy.
    const double de = key == Qt::Key_Left ? energy : key == Qt::Key_Right ? -energy : 0;
    const double dc = key == Qt::Key_Up ? counts : key == Qt::Key_Down ? -counts : 0;
    setView(pannedBy(currentRegionOf(app_.workspace()), view_, de, dc));
}

void PlotCanvas::mousePressEvent(QMouseEvent* event) {
    if (!framed_ || gesture_ != Gesture::None) return;
    const QPointF at = event->position();
    pressedAt_ = lastAt_ = at;
    if (event->button() == Qt::MiddleButton) {
        gesture_ = Gesture::Pan;
    } else if (event->button() == Qt::LeftButton) {
        if (grabbedPeak(at)) {
            startPeakDrag(at);
        } else {
            gesture_ = Gesture::Zoom;
        }
    }
    showCursorFor(at);
}

void PlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!framed_) return;
    const QPointF at = event->position();
    switch (gesture_) {
        case Gesture::Pan:
            panTo(at);
            break;
        case Gesture::PeakDrag:
            dragPeakTo(at);
            break;
        case Gesture::Zoom:
            update();
            break;
        case Gesture::None:
            break;
    }
    lastAt_ = at;
    showReadout(at);
    showCursorFor(at);
}

void PlotCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const Gesture ended = gesture_;
    const bool endsGesture = (ended == Gesture::Pan && event->button() == Qt::MiddleButton) ||
                             (ended != Gesture::Pan && event->button() == Qt::LeftButton);
    if (!endsGesture) return;
    gesture_ = Gesture::None;
    if (ended == Gesture::Zoom) finishZoom(at);
    if (ended == Gesture::PeakDrag && at != lastAt_) dragPeakTo(at);
    lastAt_ = at;
    showCursorFor(at);
}

void PlotCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    if (framed_ && event->button() == Qt::LeftButton) setView(PlotView{});
}

void PlotCanvas::wheelEvent(QWheelEvent* event) {
    if (!framed_ || gesture_ != Gesture::None || event->angleDelta().y() == 0) return;
    const double notches = event->angleDelta().y() / kWheelNotch;
    setView(zoomedAbout(currentRegionOf(app_.workspace()), view_, userPoint(event->position()),
                        std::pow(kWheelNotchFactor, notches)));
    event->accept();
}

void PlotCanvas::keyPressEvent(QKeyEvent* event) {
    if (!framed_ || gesture_ != Gesture::None) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Home:
            setView(PlotView{});
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            panByKey(event->key());
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace vortlan::ui
