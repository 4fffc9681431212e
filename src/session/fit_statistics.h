#pragma once
// The figures a region's standard errors rest on, as the peak table, the fit report, `info --json` and
// Python give them beside the χ² the main window shows (Σr²/N, which keeps its name and meaning):
// reduced χ² = Σr²/(N - p) of the weighted residuals, N the points and p the free parameters of the fit
// the errors come from, the residual RMS in the data's units, and the free parameters' correlations.

#include <optional>
#include <string>
#include <vector>

#include "fit/uncertainty.h"

namespace vortlan {

struct FitStatistics {
    std::optional<double> reducedChiSquare;  // nothing with nothing free or no more points than p
    int points = 0;
    int freeParameters = 0;
    std::optional<double> residualRms;
    std::vector<FreeParameter> parameters;
    std::vector<double> correlation;  // row-major, not a number where not determined

    double correlationAt(std::size_t a, std::size_t b) const {
        return correlation[a * parameters.size() + b];
    }
};

FitStatistics fitStatisticsOf(const RegionErrors& errors);

// "position", "area", "fwhm" or "gl", as files and programs name a parameter.
const char* parameterKey(PeakParam param);

// "Reduced χ² 1.02    N 301    Free parameters 12    Residual RMS 15.3 counts" (UTF-8), the unit the
// region's data are in when the imported file named it.
std::string fitStatisticsLine(const FitStatistics& statistics, const std::string& unit);

// A correlation to three decimals ("-0.873"), or "not determined".
std::string correlationText(double correlation);

// "Peak 3 position", "Peak 3 %GL": a free parameter as the windows name it.
std::string parameterLabel(const FreeParameter& parameter);

}  // namespace vortlan
