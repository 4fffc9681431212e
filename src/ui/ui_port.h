#pragma once
// The Port on the widgets: messages and questions through the prompter, windows shown, hidden and
// disabled, the main window's indicators, the plot drawn, and pending events run on yield.

#include "workspace/port.h"

namespace vortlan::ui {

class Application;

class UiPort : public Port {
  public:
    explicit UiPort(Application& app) : app_(app) {}

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
    void showFitTrial(int trial, int trials) override;
    void showFitVerdict(int region, const RegionVerdict& verdict) override;
    void clearFitVerdicts() override;

  private:
    Application& app_;
    bool busy_ = false;
};

}  // namespace vortlan::ui
