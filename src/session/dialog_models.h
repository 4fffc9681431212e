#pragma once
// The window models: for every dialog, a plain struct of its controls' contents, named as the controls
// are named, with their texts as the program starts.  The desktop program copies its widgets into
// these before a handler runs and refreshes its widgets from them afterwards.

#include <array>
#include <string>
#include <vector>

#include "workspace/limits.h"

namespace vortlan {

struct ScrollBar {
    int min = 0;
    int max = 0;
    int value = 0;
};

// The texts of the peak dialog's value boxes.
struct PeakValueTexts {
    std::string PosVal;
    std::string FWHMVal;
    std::string AreaVal;
    std::string GLVal;
    std::string SplittingVal;
    std::string TSVal;
    std::string TLVal;
};

// PeakForm: one peak of the current region.
struct PeakDialog {
    std::string caption = "Peak";
    std::string PosVal = "0";
    std::string FWHMVal = "1";
    std::string AreaVal = "100";
    std::string GLVal = "80";
    ScrollBar ScPos;
    ScrollBar ScFWHM{30, 500, 30};
    ScrollBar ScArea{0, 1000, 0};
    ScrollBar ScGL{0, 100, 0};
    int ChkPos = 0;
    int ChkFWHM = 0;
    int ChkArea = 0;
    int ChkGL = 0;
    std::string PeakType = "s";
    std::vector<std::string> PeakTypeList;
    std::string SplittingVal = "0";
    std::string TSVal = "0";
    std::string TLVal = "1";
    bool AsyFrameEnabled = true;  // the asymmetry frame, usable in the sum form only
    std::string ActFWHM = "---";
    // The standard error beside each parameter's box: "± 0.012", "fixed" or "not determined".
    std::string PosErr;
    std::string FWHMErr;
    std::string AreaErr;
    std::string GLErr;
    // What the dialog last refused and why ("TS above 1: kept 1"); cleared by the next edit.
    std::string RefusalNote;
    // What the value boxes showed when the dialog last wrote them from the peak.  A box that still
    // shows it stands for the stored value exactly, so merely looking at a peak never changes it.
    PeakValueTexts written;
};

// BGForm: fit range and background of the current region.
struct BackgroundDialog {
    std::string caption = "Region";
    std::string LBE;
    std::string HBE;
    std::string BG = "Shirley";
    std::vector<std::string> BGList;
    std::string AverPt = "None";
    std::vector<std::string> AverPtList;
    std::string ShirleySlope = "0";
    std::string TouB1 = "3000";
    std::string Area = "-----";
    // What the dialog last refused and why ("High BE outside the data: ..."); cleared by the next edit.
    std::string RefusalNote;
};

// OptForm: the fit options.  Level k of each control array is at index k - 1.
struct OptionsDialog {
    std::string caption = "Option";
    bool UseNewton = false;
    bool UseSearch = false;
    bool UseLM = false;  // Levenberg-Marquardt
    std::string NewtonTrial;
    std::string SearchTrial;
    std::string TolVal = "0.0001";
    std::array<int, kLevelCount> PosSearchCheck{};
    std::array<int, kLevelCount> AreaSearchCheck{};
    std::array<int, kLevelCount> FWHMSearchCheck{};
    std::array<std::string, kLevelCount> PosRange;
    std::array<std::string, kLevelCount> PosStep;
    std::array<std::string, kLevelCount> AreaRange;
    std::array<std::string, kLevelCount> AreaStep;
    std::array<std::string, kLevelCount> FWHMRange;
    std::array<std::string, kLevelCount> FWHMStep;
    std::array<int, kLevelCount> PosNewtonCheck{};
    std::array<int, kLevelCount> AreaNewtonCheck{};
    std::array<int, kLevelCount> FWHMNewtonCheck{};
    std::array<std::string, kLevelCount> PosDelta;
    std::array<std::string, kLevelCount> AreaDelta;
    std::array<std::string, kLevelCount> FWHMDelta;
    bool GLSum = false;
    bool GLProduct = false;
    std::string InstrumentFwhm;  // eV; empty for none (session/instrument_limit.h)
};

// CntForm: the constraint of one parameter of the current peak.
struct ConstraintDialog {
    std::string caption = "Constraint: ";
    int Use = 0;
    std::string PrPeak = "0";
    std::string RefPeak = "0";
    std::string ArgType = "+";
    std::vector<std::string> ArgTypeList;
    std::string Arg = "0";
    int Range = 0;
    std::string Low;
    std::string High;
    int constraintDialogParam = 0;  // 0 position, 1 FWHM, 2 area, 3 %GL
};

// RegionShiftForm.
struct RegionShiftDialog {
    std::string ShiftText = "0";
};

// RCaptionForm.
struct RegionCaptionDialog {
    std::string Text;
};

struct Dialogs {
    PeakDialog peak;
    BackgroundDialog background;
    OptionsDialog options;
    ConstraintDialog constraint;
    RegionShiftDialog regionShift;
    RegionCaptionDialog regionCaption;
};

}  // namespace vortlan
