#pragma once
// SpecForm: the plot of the current region and, in its menus, every command on that region.

#include <QMainWindow>
#include <functional>

#include "ui/plot_canvas.h"
#include "session/session.h"
#include "workspace/port.h"

namespace vortlan::ui {

class Application;
class CoreLevelWindow;
struct FileFilter;

class SpectrumWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit SpectrumWindow(Application& app);

    void draw(SpectrumDrawing drawing) { canvas_->draw(drawing); }
    PlotCanvas& canvas() { return *canvas_; }
    // Beside the main window, which is on screen, and inside the screen's free area; not shown yet.
    void placeBeside(const QWidget& mainWindow);

    // Greys the commands whose conditions the current region does not meet; invoked anyway (by a key
    // the menu did not see greyed), they still do nothing.
    void refresh();

  private:
    // The commands that are greyed when the region cannot take them.
    struct Commands {
        QAction* importVamas = nullptr;
        QAction* exportSpectrum = nullptr;
        QAction* exportPeaks = nullptr;
        QAction* exportReport = nullptr;
        QAction* exportMonteCarlo = nullptr;
        QAction* print = nullptr;
        QAction* printTable = nullptr;
        QAction* background = nullptr;
        QAction* addPeak = nullptr;
        QAction* saveParameters = nullptr;
        QAction* optimiseRegion = nullptr;
        QAction* redisplay = nullptr;
        QAction* coreLevel = nullptr;
    };

    void buildMenus();
    void buildEditMenu();
    void buildViewMenu();
    // The style of the printed page and the clipboard picture: black unless the user chose colour.
    PlotStyle printedStyle() const { return PlotStyle{printedColour_, false}; }
    // `command` names the import in the Edit menu.
    void importWith(const QString& command, const QString& title, const FileFilter& filter,
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
    Commands commands_;
    CoreLevelWindow* coreLevel_ = nullptr;
    bool printedColour_ = false;
};

}  // namespace vortlan::ui
