#pragma once
// SpecForm: the plot of the current region and, in its menus, every command on that region.

#include <QMainWindow>
#include <functional>

#include "ui/plot_canvas.h"
#include "session/session.h"
#include "workspace/port.h"

namespace vortlan::ui {

class Application;
struct FileFilter;

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
    // The View menu, found or made, and this window's entries in it.
    void addViewEntries();
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
