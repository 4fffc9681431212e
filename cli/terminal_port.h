#pragma once
// The Port of the command-line tool: the program's messages go to standard error one to a line, a
// question is answered Yes (the user asked for the command), and during a fitting run a progress
// line is kept up to date on a terminal.  Ctrl+C plays the fitting window's "Stop Fitting".

#include <array>
#include <iosfwd>
#include <string>
#include <utility>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan::cli {

// The first Ctrl+C only raises a flag, which the next fitting run's check turns into a stop request;
// the handler then falls back to the default, so a second Ctrl+C ends the tool at once.
void installInterruptHandler();
bool interruptRequested();

class TerminalPort : public Port {
  public:
    // Messages and the progress line go to standard error; the progress line only on a terminal.
    TerminalPort();
    TerminalPort(std::ostream& out, bool onTerminal);

    // The workspace whose fitting runs Ctrl+C stops.
    void attach(Workspace& workspace) { workspace_ = &workspace; }
    // Ctrl+C then stops no fitting run: a batch lets the spectra in flight finish.
    void detach() { workspace_ = nullptr; }

    // The label the progress line gives the next fitting runs (a file name in a batch).
    void describeRun(std::string label) { label_ = std::move(label); }

    // Whether the verdicts of the fits are printed, one line a region ("Region 1: converged").
    void printVerdicts(bool print) { printVerdicts_ = print; }

    // Whether a dialog is open: a refused OK leaves its dialog open.
    bool isShown(Window window) const { return shown_[static_cast<std::size_t>(window)]; }

    void message(std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    void beep() override {}
    void yield() override;
    void setBusyPointer(bool) override {}

    void showWindow(Window window) override;
    void hideWindow(Window window) override;
    void setWindowEnabled(Window, bool) override {}
    void setWindowCaption(Window, std::string_view) override {}

    void setChiText(int, std::string_view) override {}
    void setSumChiText(std::string_view text) override;
    void setPeakButtonCaption(int, std::string_view) override {}
    void setPeakButtonEnabled(int, bool) override {}
    void setRegionColour(int, RegionColour) override {}
    void setDescriptionText(std::string_view) override {}

    void drawSpectrum(SpectrumDrawing) override {}
    void showFitTrial(int trial, int trials) override;
    void showFitVerdict(int region, const RegionVerdict& verdict) override;

  private:
    bool fitting() const { return isShown(Window::Fitting); }
    void showProgress();
    void clearProgress();

    Workspace* workspace_ = nullptr;
    std::array<bool, kWindowCount> shown_{};
    std::ostream& out_;
    bool onTerminal_ = false;
    std::string label_;
    int trial_ = 0;  // 0 before the run's loops have begun a trial
    int trials_ = 0;
    std::string sumChi_;
    std::string progressLine_;  // what the terminal shows now; empty when nothing
    bool stopAnnounced_ = false;
    bool printVerdicts_ = false;
};

}  // namespace vortlan::cli
