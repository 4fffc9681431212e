#pragma once
// SpecForm: the plot of the current region and, in its menus, every command on that region.

#include <QImage>
#include <QMainWindow>
#include <functional>

class QMouseEvent;
class QPaintEvent;
class QResizeEvent;

#include "plot/region_plot.h"
#include "session/session.h"
#include "workspace/port.h"

namespace vortlan::ui {

class Application;
struct FileFilter;

// The plot, drawn into a retained image that the window shows; redrawn at every new size.
class PlotCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit PlotCanvas(Application& app);

    void draw(SpectrumDrawing drawing);
    const QImage& image() const { return image_; }
    // The user coordinates of a point of the widget, as the last frame laid them out.
    UserPoint userPoint(QPointF widgetPoint) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void redrawAll();
    void ensureImage();

    Application& app_;
    QImage image_;
    ReadoutPosition readout_;
    struct {
        double left = 0, top = 0, right = 1, bottom = 1;
    } coordinates_;
    bool framed_ = false;
};

class SpectrumWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit SpectrumWindow(Application& app);

    void draw(SpectrumDrawing drawing) { canvas_->draw(drawing); }
    PlotCanvas& canvas() { return *canvas_; }
    // Beside the main window, which is on screen, and inside the screen's free area; not shown yet.
    void placeBeside(const QWidget& mainWindow);

  private:
    void buildMenus();
    void importWith(const QString& title, const FileFilter& filter,
                    const std::function<void(Session&)>& import);
    void importVamasFile();
    void saveWith(const QString& title, const FileFilter& filter, const QString& extension,
                  const std::function<void(Session&)>& write);
    void exportFitReport(bool withMonteCarlo);
    void loadRegionParametersFile();
    void print(bool withTable);
    void copyPicture();
    bool regionHoldsData() const;
    bool regionFitted() const;

    Application& app_;
    PlotCanvas* canvas_ = nullptr;
};

}  // namespace vortlan::ui
