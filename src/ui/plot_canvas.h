#pragma once
// The spectrum window's plot area: the region's picture, kept in an image at the screen's device pixels.

#include <QImage>
#include <QWidget>

#include "plot/plot_style.h"
#include "plot/region_plot.h"
#include "workspace/port.h"

class QMouseEvent;
class QPaintEvent;
class QResizeEvent;

namespace vortlan::ui {

class Application;

// The spectrum window's initial client area, 7104 x 3468 twips: the plot is never smaller.
inline constexpr int kInitialPlotWidth = 7104 / 15;
inline constexpr int kInitialPlotHeight = 3468 / 15;

// The plot, drawn into a retained image that the window shows; redrawn at every new size.
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
    // The user coordinates of a point of the widget, as the last frame laid them out.
    UserPoint userPoint(QPointF widgetPoint) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void redrawAll();
    void ensureImage();
    bool peakDialogOpen();

    Application& app_;
    QImage image_;
    ReadoutPosition readout_;
    struct {
        double left = 0, top = 0, right = 1, bottom = 1;
    } coordinates_;
    bool framed_ = false;
    PlotStyle style_;
    bool peakWatched_ = false;
};

}  // namespace vortlan::ui
