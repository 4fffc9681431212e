#include "session/fit_statistics.h"

#include <cmath>

#include "base/number_text.h"

namespace vortlan {

namespace {

std::string reducedText(const FitStatistics& s) {
    return s.reducedChiSquare ? shortNumberText(static_cast<float>(*s.reducedChiSquare)) : "not determined";
}

std::string rmsText(const FitStatistics& s, const std::string& unit) {
    if (!s.residualRms) return "not determined";
    return shortNumberText(static_cast<float>(*s.residualRms)) + (unit.empty() ? "" : " " + unit);
}

}  // namespace

FitStatistics fitStatisticsOf(const RegionErrors& errors) {
    FitStatistics s;
    if (errors.freeParameters >= 1 && errors.points > errors.freeParameters)
        s.reducedChiSquare = errors.reducedStatistic;
    s.points = errors.points;
    s.freeParameters = errors.freeParameters;
    if (std::isfinite(errors.residualRms)) s.residualRms = errors.residualRms;
    s.parameters = errors.parameters;
    s.correlation = errors.correlation;
    return s;
}

const char* parameterKey(PeakParam param) {
    static constexpr const char* kKeys[] = {"position", "area", "fwhm", "gl"};  // by PeakParam
    return kKeys[static_cast<std::size_t>(param)];
}

std::string fitStatisticsLine(const FitStatistics& s, const std::string& unit) {
    return "Reduced χ² " + reducedText(s) + "    N " + std::to_string(s.points) + "    Free parameters " +
           std::to_string(s.freeParameters) + "    Residual RMS " + rmsText(s, unit);
}

std::string correlationText(double correlation) {
    return std::isfinite(correlation) ? patternNumberText(correlation, "0.000") : "not determined";
}

std::string parameterLabel(const FreeParameter& parameter) {
    static constexpr const char* kNames[] = {"position", "area", "FWHM", "%GL"};
    return "Peak " + std::to_string(parameter.peak) + " " + kNames[static_cast<int>(parameter.param)];
}

}  // namespace vortlan
