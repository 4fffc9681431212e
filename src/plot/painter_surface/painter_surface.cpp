#include "plot/painter_surface/painter_surface.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <QString>

namespace vortlan {

namespace {

QString toQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QFont PainterSurface::plotFont() {
    // Qt's table of substitutions is shared by every thread and not guarded: it is written once, before
    // any picture reads it, however many threads draw pictures at the same time.
    static const bool substituted = [] {
        QFont::insertSubstitution("Times New Roman", "Liberation Serif");
        return true;
    }();
    (void)substituted;
    QFont font("Times New Roman");
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(8.0);
    return font;
}

PainterSurface::PainterSurface(QPainter& painter, QRectF area, double pixelScale)
    : painter_(painter), area_(area), pixelScale_(pixelScale), font_(plotFont()) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setFont(font_);
    painter_.setBackground(Qt::white);
    painter_.setBackgroundMode(Qt::TransparentMode);
    setLineWidth(1);
}

void PainterSurface::clear() { painter_.fillRect(area_, Qt::white); }

void PainterSurface::setCoordinates(double left, double top, double right, double bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

void PainterSurface::setLineWidth(int pixels) { lineWidth_ = pixels; }

QPointF PainterSurface::toDevice(UserPoint p) const {
    const double x = area_.left() + (p.x - left_) / (right_ - left_) * area_.width();
    const double y = area_.top() + (p.y - top_) / (bottom_ - top_) * area_.height();
    return {x, y};
}

double PainterSurface::textHeight(std::string_view text) {
    const double pixels = QFontMetricsF(font_, painter_.device()).height();
    static_cast<void>(text);
    return pixels * (bottom_ - top_) / area_.height();
}

double PainterSurface::textWidth(std::string_view text) {
    const double pixels = QFontMetricsF(font_, painter_.device()).horizontalAdvance(toQString(text));
    return pixels * (right_ - left_) / area_.width();
}

bool PainterSurface::hairline() const { return lineWidth_ <= 1 && pixelScale_ == 1.0; }

QPen PainterSurface::pen(const QColor& colour) const {
    QPen pen(colour, lineWidth_ * pixelScale_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    // On a screen a hairline is one device pixel at any density: axes and ticks stay as fine as the
    // screen allows while text and curves grow with it.
    if (hairline()) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    }
    return pen;
}

double PainterSurface::snapped(double coordinate) const {
    const double ratio = painter_.device()->devicePixelRatioF();
    const double devicePixels = hairline() ? 1.0 : std::round(lineWidth_ * pixelScale_ * ratio);
    const double offset = std::fmod(devicePixels, 2.0) == 1.0 ? 0.5 : 0.0;
    return (std::floor(coordinate * ratio) + offset) / ratio;
}

void PainterSurface::strokeTo(UserPoint p, const QColor& colour) {
    painter_.setPen(pen(colour));
    QPointF from = toDevice(current_);
    QPointF to = toDevice(p);
    // A line along a pixel row or column covers whole device pixels, not a blurred pair of them.
    if (from.y() == to.y()) {
        from.setY(snapped(from.y()));
        to.setY(from.y());
    }
    if (from.x() == to.x()) {
        from.setX(snapped(from.x()));
        to.setX(from.x());
    }
    painter_.drawLine(from, to);
    current_ = p;
}

void PainterSurface::drawPoint(UserPoint p) {
    QPen pen(Qt::black, lineWidth_ * pixelScale_, Qt::SolidLine, Qt::RoundCap);
    painter_.setPen(pen);
    painter_.drawPoint(toDevice(p));
    current_ = p;
}

void PainterSurface::lineTo(UserPoint p) { strokeTo(p, Qt::black); }

void PainterSurface::lineTo(UserPoint p, Colour colour) { strokeTo(p, QColor(colour.red, colour.green, colour.blue)); }

void PainterSurface::print(std::string_view text) {
    const QFontMetricsF metrics(font_, painter_.device());
    const QPointF topLeft = toDevice(current_);
    const QString qtext = toQString(text);
    painter_.setPen(Qt::black);
    if (painter_.backgroundMode() == Qt::OpaqueMode) {
        painter_.fillRect(QRectF(topLeft, QSizeF(metrics.horizontalAdvance(qtext), metrics.height())), Qt::white);
    }
    painter_.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), qtext);
    current_ = {left_, current_.y + textHeight(text)};
}

void PainterSurface::setBold(bool bold) {
    font_.setBold(bold);
    painter_.setFont(font_);
}

void PainterSurface::setOpaqueText(bool opaque) {
    painter_.setBackgroundMode(opaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

void PainterSurface::setClip(UserPoint corner, UserPoint opposite) {
    painter_.setClipRect(QRectF(toDevice(corner), toDevice(opposite)).normalized());
}

void PainterSurface::clearClip() { painter_.setClipping(false); }

}  // namespace vortlan
