#include "ui/application.h"

#include "session/startup.h"
#include "ui/background_window.h"
#include "ui/constraint_window.h"
#include "ui/fitting_window.h"
#include "ui/main_window.h"
#include "ui/options_window.h"
#include "ui/peak_table_window.h"
#include "ui/peak_window.h"
#include "ui/printing_window.h"
#include "ui/region_caption_window.h"
#include "ui/region_shift_window.h"
#include "ui/spectrum_window.h"
#include "ui/window_placement.h"

namespace vortlan::ui {

Application::Application(Prompter& prompter, FileDialogs& files)
    : prompter_(prompter), files_(files), port_(*this), session_(port_) {
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
}

Application::~Application() = default;

void Application::start() {
    main_->show();
    // The main window's place is the window manager's; the spectrum window goes beside it once it has
    // one, and start-up then shows it there.
    waitUntilOnScreen(*main_);
    spectrum_->placeBeside(*main_);
    startUp(session_);
    refreshWindows();
}

void Application::refreshWindows() {
    main_->refresh();
    peak_->refresh();
    background_->refresh();
    options_->refresh();
    constraint_->refresh();
    regionShift_->refresh();
    regionCaption_->refresh();
    peakTable_->refresh();
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
