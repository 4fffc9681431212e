#pragma once
// The desktop program: the session with its workspace and window models, the Port on the widgets,
// and one window per form.  Every user action goes the same way: the widgets have already written
// their contents into the window models, the core's handler runs, and every window is refreshed from
// the models.

#include <QWidget>
#include <memory>

#include "session/session.h"
#include "ui/file_dialogs.h"
#include "ui/prompter.h"
#include "ui/ui_port.h"

namespace vortlan::ui {

class MainWindow;
class SpectrumWindow;
class PeakWindow;
class BackgroundWindow;
class OptionsWindow;
class ConstraintWindow;
class FittingWindow;
class PrintingWindow;
class RegionShiftWindow;
class RegionCaptionWindow;
class PeakTableWindow;

class Application {
  public:
    Application(Prompter& prompter, FileDialogs& files);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up: the main window first, the spectrum window beside it once the main window is on
    // screen, "default.opa" read.
    void start();

    // Every window from its model; called after every handler.
    void refreshWindows();

    // Runs a core handler for a user action, then refreshes every window.
    template <typename Handler>
    void run(Handler handler) {
        handler(session_);
        refreshWindows();
    }

    Session& session() { return session_; }
    Workspace& workspace() { return session_.workspace; }
    Dialogs& dialogs() { return session_.dialogs; }
    Prompter& prompter() { return prompter_; }
    FileDialogs& files() { return files_; }
    UiPort& port() { return port_; }

    MainWindow& mainWindow() { return *main_; }
    SpectrumWindow& spectrumWindow() { return *spectrum_; }
    PeakWindow& peakWindow() { return *peak_; }
    BackgroundWindow& backgroundWindow() { return *background_; }
    OptionsWindow& optionsWindow() { return *options_; }
    ConstraintWindow& constraintWindow() { return *constraint_; }
    FittingWindow& fittingWindow() { return *fitting_; }
    PrintingWindow& printingWindow() { return *printing_; }
    RegionShiftWindow& regionShiftWindow() { return *regionShift_; }
    RegionCaptionWindow& regionCaptionWindow() { return *regionCaption_; }
    PeakTableWindow& peakTableWindow() { return *peakTable_; }

    // The widget of a window the core names.
    QWidget* widgetOf(Window window);

  private:
    Prompter& prompter_;
    FileDialogs& files_;
    UiPort port_;
    Session session_;
    std::unique_ptr<MainWindow> main_;
    std::unique_ptr<SpectrumWindow> spectrum_;
    std::unique_ptr<PeakWindow> peak_;
    std::unique_ptr<BackgroundWindow> background_;
    std::unique_ptr<OptionsWindow> options_;
    std::unique_ptr<ConstraintWindow> constraint_;
    std::unique_ptr<FittingWindow> fitting_;
    std::unique_ptr<PrintingWindow> printing_;
    std::unique_ptr<RegionShiftWindow> regionShift_;
    std::unique_ptr<RegionCaptionWindow> regionCaption_;
    std::unique_ptr<PeakTableWindow> peakTable_;
};

}  // namespace vortlan::ui
