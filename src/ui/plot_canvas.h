#pragma once
// The spectrum window's plot area: the region's picture, kept in an image at the screen's device pixels,
// with the zoom, pan and peak-drag gestures on it.

#include <QImage>
#include <QWidget>

#include "plot/plot_style.h"
#include "plot/region_plot.h"
#include "plot/view_navigation.h"
#include "session/peak_drag.h"
#include "workspace/port.h"

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QResizeEvent;
class QWheelEvent;

namespace vortlan::ui {

class Application;

// The spectrum window's initial client area, 7104 x 3468 twips: the plot is never smaller.
inline constexpr int kInitialPlotWidth = 7104 / 15;
inline constexpr int kInitialPlotHeight = 3468 / 15;

// The plot, drawn into a retained image that the window shows; redrawn at every new size.
//
// Left drag: a rectangle to zoom into, or, near the top of the peak whose dialog is open, that peak
// moved.  Wheel: zoom about the pointer.  Middle drag or the arrow keys: pan.  Home or a double-click:
// the whole region.  The view goes back to the whole region when another region or other data are
// drawn.
class PlotCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit PlotCanvas(Application& app);

    // While the peak dialog is open its peak stays highlighted: whatever redraws the curves draws it
    // again over them, and closing the dialog redraws the plot without it.
    void draw(SpectrumDrawing drawing);
    void setStyle(const PlotStyle& style);
    const PlotStyle& style() const { return style_; }
    const QImage& image() const { return image_; }
    // The user coordinates of a point of the widget, as the last frame laid them out, and back.
    UserPoint userPoint(QPointF widgetPoint) const;
    QPointF widgetPoint(UserPoint userPoint) const;
    const PlotView& view() const { return view_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    enum class Gesture { None, Zoom, Pan, PeakDrag };

    void redrawAll();
    void ensureImage();
    void showReadout(QPointF at);
    void showCursorFor(QPointF at);
    void setView(const PlotView& view);
    void keepViewForDrawnData();
    // What a drag from this point would move of the peak whose dialog is open; nothing when the point
    // is not near its top, or the drag could move neither its position nor its height.
    std::optional<PeakDragAxes> grabbedPeak(QPointF at) const;
    void startPeakDrag(QPointF at);
    void dragPeakTo(QPointF at);
    void finishZoom(QPointF at);
    void panTo(QPointF at);
    void panByKey(int key);
    bool peakDialogOpen();

    Application& app_;
    QImage image_;
    ReadoutPosition readout_;
    struct {
        double left = 0, top = 0, right = 1, bottom = 1;
    } coordinates_;
    bool framed_ = false;
    PlotView view_;
    ViewedData viewed_;
    Gesture gesture_ = Gesture::None;
    QPointF pressedAt_;
    QPointF lastAt_;
    UserPoint grabOffset_;  // from the pointer to the dragged peak's top, in user units
    PlotStyle style_;
    bool peakWatched_ = false;
};

}  // namespace vortlan::ui
