#include "ui/application.h"

#include <algorithm>

#include "session/history/history_commands.h"
#include "session/startup.h"
#include "ui/background_window.h"
#include "ui/constraint_window.h"
#include "ui/edit_actions.h"
#include "ui/fitting_window.h"
#include "ui/main_window.h"
#include "ui/options_window.h"
#include "ui/peak_table_window.h"
#include "ui/peak_window.h"
#include "ui/printing_window.h"
#include "ui/quantification_window.h"
#include "ui/region_caption_window.h"
#include "ui/region_shift_window.h"
#include "ui/spectrum_window.h"
#include "ui/text.h"
#include "ui/window_placement.h"

namespace vortlan::ui {

Application::Application(Prompter& prompter, FileDialogs& files, const std::string& recoveryFolder)
    : prompter_(prompter), files_(files), port_(*this), session_(port_), recovery_(recoveryFolder) {
    main_ = std::make_unique<MainWindow>(*this);
    spectrum_ = std::make_unique<SpectrumWindow>(*this);
    peak_ = std::make_unique<PeakWindow>(*this);
    background_ = std::make_unique<BackgroundWindow>(*this);
    options_ = std::make_unique<OptionsWindow>(*this);
    constraint_ = std::make_unique<ConstraintWindow>(*this);
    fitting_ = std::make_unique<FittingWindow>(*this);
    printing_ = std::make_unique<PrintingWindow>();
    regionShift_ = std::make_unique<RegionShiftWindow>(*this);
    regionCaption_ = std::make_unique<RegionCaptionWindow>(*this);
    peakTable_ = std::make_unique<PeakTableWindow>(*this);
    quantification_ = std::make_unique<QuantificationWindow>(*this);
}

Application::~Application() = default;

void Application::start() {
    main_->show();
    // The main window's place is the window manager's; the spectrum window goes beside it once it has
    // one, and start-up then shows it there.
    waitUntilOnScreen(*main_);
    spectrum_->placeBeside(*main_);
    startUp(session_);
    history_.reset(session_.workspace);
    offerRecovery();
    refreshWindows();
}

void Application::offerRecovery() {
    const std::string folder = recovery_.folder();
    if (!recoveryCopyExists(folder)) return;
    // Restoring can be undone and declining cannot, so Return restores.
    if (!prompter_.askYesNo(QObject::tr("Restore"),
                            QObject::tr("Vortlan ended without saving changes. Restore the unsaved work?"),
                            ReturnAnswers::Yes)) {
        discardRecoveryCopy(folder);
        return;
    }
    // The restored work is not saved anywhere yet: it stays a change from the empty workspace.
    run(QObject::tr("Restore Unsaved Work"), [&folder](Session& s) { restoreRecoveryCopy(s, folder); });
}

void Application::recordStep(const QString& name, bool merge) {
    if (history_.record(fromQt(name), session_.workspace, merge)) writeRecoveryCopy();
    for (EditActions* actions : editActions_) actions->refresh();
}

void Application::undo() {
    if (dialogHoldsEdit()) return;
    if (undoCommand(session_, history_)) writeRecoveryCopy();
    refreshWindows();
}

void Application::redo() {
    if (dialogHoldsEdit()) return;
    if (redoCommand(session_, history_)) writeRecoveryCopy();
    refreshWindows();
}

bool Application::dialogHoldsEdit() const {
    const QWidget* dialogs[] = {peak_.get(),       background_.get(),  options_.get(),
                                constraint_.get(), regionShift_.get(), regionCaption_.get()};
    return std::any_of(std::begin(dialogs), std::end(dialogs),
                       [](const QWidget* w) { return w && w->isVisible(); });
}

void Application::writeRecoveryCopy() {
    if (hasUnsavedChanges())
        recovery_.write(std::make_unique<const Workspace>(session_.workspace));
    else
        recovery_.remove();
}

void Application::markSaved() {
    history_.markSaved(session_.workspace);
    recovery_.remove();
}

void Application::discardChanges() {
    recovery_.remove();
}

bool Application::hasUnsavedChanges() const {
    return history_.changedSinceSaved(session_.workspace);
}

void Application::refreshWindows() {
    main_->refresh();
    spectrum_->refresh();
    peak_->refresh();
    background_->refresh();
    options_->refresh();
    constraint_->refresh();
    regionShift_->refresh();
    regionCaption_->refresh();
    for (EditActions* actions : editActions_) actions->refresh();
    peakTable_->refresh();
    quantification_->refresh();
}

void Application::showQuantification() {
    quantification_->show();
    quantification_->raise();
    quantification_->activateWindow();
}

QWidget* Application::widgetOf(Window window) {
    switch (window) {
        case Window::Main:
            return main_.get();
        case Window::Spectrum:
            return spectrum_.get();
        case Window::Peak:
            return peak_.get();
        case Window::Background:
            return background_.get();
        case Window::Options:
            return options_.get();
        case Window::Constraint:
            return constraint_.get();
        case Window::Fitting:
            return fitting_.get();
        case Window::Printing:
            return printing_.get();
        case Window::RegionShift:
            return regionShift_.get();
        case Window::RegionCaption:
            return regionCaption_.get();
        case Window::Clip:
            break;  // the clipboard picture is drawn off screen
    }
    return nullptr;
}

}  // namespace vortlan::ui
