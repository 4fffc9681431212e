#pragma once
// The drawing surface on a QPainter: screen images, picture files, PDF pages and printers.

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QRectF>

#include "plot/surface.h"

namespace vortlan {

class PainterSurface : public Surface {
public:
    // Draws into `area` (device-independent pixels of the painter) with `pixelScale` device pixels per
    // pixel of line width, so that a printer's lines are as thick as a screen's.  On a screen image of a
    // higher device pixel ratio, lines wider than one pixel and text scale with the ratio, and a line of
    // one pixel stays one device pixel.
    PainterSurface(QPainter& painter, QRectF area, double pixelScale = 1.0);

    void clear() override;
    void setCoordinates(double left, double top, double right, double bottom) override;
    void setLineWidth(int pixels) override;
    double textHeight(std::string_view text) override;
    double textWidth(std::string_view text) override;
    void setPosition(UserPoint p) override { current_ = p; }
    UserPoint position() const override { return current_; }
    void drawPoint(UserPoint p) override;
    void lineTo(UserPoint p) override;
    void lineTo(UserPoint p, Colour colour) override;
    void print(std::string_view text) override;
    void setBold(bool bold) override;
    void setOpaqueText(bool opaque) override;
    void setClip(UserPoint corner, UserPoint opposite) override;
    void clearClip() override;

    // The plot's font: Times New Roman of 8 points, or the metric-compatible Liberation Serif.
    static QFont plotFont();

private:
    QPointF toDevice(UserPoint p) const;
    void strokeTo(UserPoint p, const QColor& colour);
    bool hairline() const;
    QPen pen(const QColor& colour) const;
    // A coordinate (painter units) moved to where a line along it covers whole device pixels.
    double snapped(double coordinate) const;

    QPainter& painter_;
    QRectF area_;
    double pixelScale_;
    double left_ = 0, top_ = 0, right_ = 1, bottom_ = 1;
    int lineWidth_ = 1;
    UserPoint current_;
    QFont font_;
};

}  // namespace vortlan
