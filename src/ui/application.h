#pragma once
// The desktop program: the session with its workspace and window models, the Port on the widgets,
// and one window per form.  Every user action goes the same way: the widgets have already written
// their contents into the window models, the core's handler runs, and every window is refreshed from
// the models.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "session/history/history.h"
#include "session/history/recovery_copy.h"
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
class EditActions;
class PeakTableWindow;
class QuantificationWindow;

class Application {
  public:
    // Recovery copies go to `recoveryFolder`, a folder of the user's own.
    Application(Prompter& prompter, FileDialogs& files, const std::string& recoveryFolder);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Start-up: the main window first, the spectrum window beside it once the main window is on
    // screen, "default.opa" read; then, when the program last ended without saving its work, the offer
    // to restore it.
    void start();

    // Every window from its model; called after every handler.
    void refreshWindows();

    // Runs a core handler for a user action, then refreshes every window.
    template <typename Handler>
    void run(Handler handler) {
        handler(session_);
        refreshWindows();
    }

    // The same for a command that may change the workspace: what it changed becomes a step that
    // "Undo <name>" takes back.
    template <typename Handler>
    void run(const QString& name, Handler handler) {
        handler(session_);
        recordStep(name);
        refreshWindows();
    }

    // A change made outside run() (typing into a box) as a step; with `merge`, one step for a run of
    // such changes under one name.
    void recordStep(const QString& name, bool merge = false);

    // "Undo" and "Redo": nothing while a dialog holds an edit.
    void undo();
    void redo();
    // Whether a dialog that edits the workspace (peak, background, constraint, options, region shift or
    // caption) is open: undo and redo would overturn its edit, so they wait until it is closed.
    bool dialogHoldsEdit() const;

    // The workspace as it is was saved to, or opened from, its project file.
    void markSaved();
    // The user chose to end without saving.
    void discardChanges();
    bool hasUnsavedChanges() const;
    const History& history() const { return history_; }
    RecoveryWriter& recovery() { return recovery_; }
    void addEditActions(EditActions* actions) { editActions_.push_back(actions); }

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
    QuantificationWindow& quantificationWindow() { return *quantification_; }
    // Brought to the front, shown first if it is not.
    void showQuantification();

    // The widget of a window the core names.
    QWidget* widgetOf(Window window);

  private:
    void writeRecoveryCopy();
    void offerRecovery();

    Prompter& prompter_;
    FileDialogs& files_;
    UiPort port_;
    Session session_;
    // Before the windows, which register their edit actions as they are built.
    History history_;
    RecoveryWriter recovery_;
    std::vector<EditActions*> editActions_;
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
    std::unique_ptr<QuantificationWindow> quantification_;
};

}  // namespace vortlan::ui
