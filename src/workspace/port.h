#pragma once
// The few things the core asks of the world outside it. The desktop program carries them out on its
// windows and event loop, the command-line tool prints messages and ignores the rest, and the tests
// record them.

#include <string_view>

#include "workspace/records.h"

namespace vortlan {

enum class Window {
    Main,           // XPSForm
    Spectrum,       // SpecForm
    Peak,           // PeakForm
    Background,     // BGForm
    Options,        // OptForm
    Constraint,     // CntForm
    Fitting,        // FittingForm
    Printing,       // PrintingForm
    Clip,           // ClipForm
    RegionShift,    // RegionShiftForm
    RegionCaption,  // RCaptionForm
};
inline constexpr int kWindowCount = 11;

enum class RegionColour { ButtonFace, Defined, Current };

// What the spectrum window is asked to draw of the current region, in the order asked.
enum class SpectrumDrawing {
    Clear,           // an empty surface
    RegionFrame,     // frame, axis, caption and raw spectrum (clears first)
    FittedCurves,    // background, peaks and envelope over what is there
    HighlightedPeak  // the current peak in red over what is there
};

class Port {
  public:
    virtual ~Port() = default;

    // A modal message box with an OK button, titled with the program's name.
    virtual void message(std::string_view text) = 0;
    // A modal Yes/No question under its own title; true for Yes.
    virtual bool askYesNo(std::string_view title, std::string_view text) = 0;
    virtual void beep() = 0;
    // Lets pending window events run (the fitting window's "Stop Fitting" among them).
    virtual void yield() = 0;
    virtual void setBusyPointer(bool busy) = 0;

    virtual void showWindow(Window window) = 0;
    virtual void hideWindow(Window window) = 0;
    virtual void setWindowEnabled(Window window, bool enabled) = 0;
    virtual void setWindowCaption(Window window, std::string_view caption) = 0;

    // The main window's indicators.
    virtual void setChiText(int region, std::string_view text) = 0;
    virtual void setSumChiText(std::string_view text) = 0;
    virtual void setPeakButtonCaption(int button, std::string_view caption) = 0;
    virtual void setPeakButtonEnabled(int button, bool enabled) = 0;
    virtual void setRegionColour(int region, RegionColour colour) = 0;
    // The main window's free-text description box, written when a project is opened.
    virtual void setDescriptionText(std::string_view text) = 0;

    virtual void drawSpectrum(SpectrumDrawing drawing) = 0;

    // A fitting loop begins trial `trial` (from 1) of its `trials`: the fitting window and the
    // command-line tool's progress line show it.
    virtual void showFitTrial(int trial, int trials) {
        static_cast<void>(trial);
        static_cast<void>(trials);
    }

    // A fit of the region has ended with this verdict and its flags: the main window's status line
    // and the fitting window show it, the command-line tool prints it.  Every fitted region of a run
    // reports once; undo and redo report again the verdicts that hold afterwards.
    virtual void showFitVerdict(int region, const RegionVerdict& verdict) {
        static_cast<void>(region);
        static_cast<void>(verdict);
    }
    // The verdicts shown so far no longer hold (undo or redo put other peaks back).
    virtual void clearFitVerdicts() {}
};

}  // namespace vortlan
