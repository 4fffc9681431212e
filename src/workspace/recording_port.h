#pragma once
// A Port that keeps the last state of every indicator and the list of everything asked of it; the
// model of the windows when no window exists.

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "workspace/limits.h"
#include "workspace/port.h"

namespace vortlan {

struct WindowState {
    bool visible = false;
    bool enabled = true;
    std::string caption;
};

class RecordingPort : public Port {
  public:
    void message(std::string_view text) override;
    bool askYesNo(std::string_view title, std::string_view text) override;
    void beep() override;
    void yield() override;
    void setBusyPointer(bool busy) override;

    void showWindow(Window window) override;
    void hideWindow(Window window) override;
    void setWindowEnabled(Window window, bool enabled) override;
    void setWindowCaption(Window window, std::string_view caption) override;

    void setChiText(int region, std::string_view text) override;
    void setSumChiText(std::string_view text) override;
    void setPeakButtonCaption(int button, std::string_view caption) override;
    void setPeakButtonEnabled(int button, bool enabled) override;
    void setRegionColour(int region, RegionColour colour) override;
    void setDescriptionText(std::string_view text) override;

    void drawSpectrum(SpectrumDrawing drawing) override;
    void showFitTrial(int trial, int trials) override {
        fitTrials.push_back({trial, trials});
        if (onFitTrial) onFitTrial();
    }
    void showFitVerdict(int region, const RegionVerdict& verdict) override {
        fitVerdicts.push_back({region, verdict.verdict});
        fitFlags.push_back(verdict.flags);
    }
    void clearFitVerdicts() override { ++verdictClearings; }

    const WindowState& window(Window w) const { return windows[static_cast<std::size_t>(w)]; }

    // Everything recorded, open to the tests.
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // answers to the next questions; No when empty
    int beeps = 0;
    int yields = 0;
    bool busy = false;
    std::array<WindowState, kWindowCount> windows{};
    std::array<std::string, kRegionCount> chiTexts{};
    std::string sumChiText;
    std::array<std::string, kPeakButtonCount> peakButtonCaptions{};
    std::array<bool, kPeakButtonCount> peakButtonsEnabled{};
    std::array<RegionColour, kRegionCount> regionColours{};
    std::string descriptionText;
    std::vector<SpectrumDrawing> drawings;
    // Every trial the fitting loops began, as (trial, trials).
    std::vector<std::pair<int, int>> fitTrials;
    // Every verdict shown, as (region, verdict).
    std::vector<std::pair<int, FitVerdict>> fitVerdicts;
    // The flags of each verdict shown, in the same order.
    std::vector<std::vector<FitFlag>> fitFlags;
    int verdictClearings = 0;
    // Runs as each trial begins: a test looks at the parameters every trial starts from here.
    std::function<void()> onFitTrial;
    // Runs at every yield: a test presses "Stop Fitting" here.
    std::function<void()> onYield;
};

}  // namespace vortlan
