#include "session/fit_report.h"

#include <cmath>
#include <optional>
#include <vector>

#include "base/number_text.h"
#include "fit/monte_carlo.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "io/csv_text.h"
#include "session/fit_statistics.h"

namespace vortlan {

namespace {

using Fields = std::vector<std::string>;

struct Quantity {
    const char* name;
    StandardError PeakErrors::*error;
    std::string (*value)(const Peak&);
};

const Quantity kQuantities[] = {
    {"position", &PeakErrors::position, [](const Peak& p) { return exactNumberText(p.position); }},
    {"area", &PeakErrors::area, [](const Peak& p) { return exactNumberText(p.area); }},
    {"fwhm", &PeakErrors::fwhm, [](const Peak& p) { return exactNumberText(p.fwhm); }},
    {"gl", &PeakErrors::gl, [](const Peak& p) { return std::to_string(p.gl); }},
    {"height", &PeakErrors::height, [](const Peak& p) { return exactNumberText(p.height); }}};

// Every digit the single holds, or why there is no number.
std::string errorField(const StandardError& error) {
    switch (error.kind) {
        case StandardError::Kind::Value:
            return exactNumberText(static_cast<float>(error.value));
        case StandardError::Kind::Fixed:
            return "fixed";
        case StandardError::Kind::Tied:
            return "tied";
        case StandardError::Kind::NotDetermined:
            break;
    }
    return "not determined";
}

// Σr²/(N - p) once there are more points than free parameters, and something free.
std::string reducedStatisticField(const RegionErrors& errors) {
    if (errors.freeParameters < 1 || errors.points <= errors.freeParameters) return "not determined";
    return exactNumberText(static_cast<float>(errors.reducedStatistic));
}

Fields header(bool monteCarlo) {
    Fields fields = {"region", "peak"};
    for (const Quantity& q : kQuantities) {
        fields.push_back(q.name);
        fields.push_back(std::string(q.name) + "_err");
        if (monteCarlo) fields.push_back(std::string(q.name) + "_mc_err");
    }
    for (const char* name :
         {"chi_square", "points", "free_parameters", "reduced_chi_square", "verdict", "flags"})
        fields.push_back(name);
    if (monteCarlo) {
        // After every column of the report without them, so that a reader of those finds them in place.
        fields.insert(fields.end(), {"mc_replicas", "mc_noise"});
        for (const Quantity& q : kQuantities) fields.push_back(std::string(q.name) + "_mc_robust_err");
    }
    fields.push_back("residual_rms");
    return fields;
}

std::string residualRmsField(const RegionErrors& errors) {
    return std::isfinite(errors.residualRms) ? exactNumberText(static_cast<float>(errors.residualRms))
                                             : "not determined";
}

// "peak3_area": a free parameter as the matrix names it, by the peak's number of the `peak` column.
std::string parameterField(const FreeParameter& parameter) {
    return "peak" + std::to_string(parameter.peak) + "_" + parameterKey(parameter.param);
}

// The correlations of the free parameters, a second table after an empty line: a header of the
// parameters, then a row for each.
std::string correlationTable(const RegionErrors& errors) {
    if (errors.parameters.empty()) return {};
    Fields heading = {"correlation"};
    for (const FreeParameter& parameter : errors.parameters) heading.push_back(parameterField(parameter));
    std::string text = "\n" + csvLine(heading);
    for (std::size_t a = 0; a < errors.parameters.size(); ++a) {
        Fields row = {parameterField(errors.parameters[a])};
        for (std::size_t b = 0; b < errors.parameters.size(); ++b) {
            const double correlation = errors.correlationAt(a, b);
            row.push_back(std::isfinite(correlation) ? exactNumberText(static_cast<float>(correlation))
                                                     : "not determined");
        }
        text += csvLine(row);
    }
    return text;
}

// The noise the replicas got, or why there were none.
std::string monteCarloNoiseField(const MonteCarloErrors& monteCarlo) {
    return monteCarlo.whyNone.empty() ? monteCarlo.noise : "no replicas: " + monteCarlo.whyNone;
}

}  // namespace

std::string fitReportText(const Workspace& ws, int region, int replicas) {
    return *fitReportText(ws, region, replicas, {});
}

std::optional<std::string> fitReportText(const Workspace& ws, int region, int replicas,
                                         const std::function<bool()>& stopRequested) {
    const RegionErrors errors = standardErrors(ws, region);
    const bool withMonteCarlo = replicas > 0;
    MonteCarloErrors monteCarlo;
    if (withMonteCarlo) monteCarlo = monteCarloErrors(ws, region, replicas, 0, stopRequested);
    if (monteCarlo.stopped) return std::nullopt;
    const Fields regionFields = {exactNumberText(ws.regions.at(static_cast<std::size_t>(region)).chiSquare),
                                 std::to_string(errors.points), std::to_string(errors.freeParameters),
                                 reducedStatisticField(errors), fitVerdictWord(heldVerdictOf(ws, region))};
    std::string text = csvLine(header(withMonteCarlo));
    for (std::size_t k = 0; k < errors.peaks.size(); ++k) {
        const PeakErrors& e = errors.peaks[k];
        const Peak& p = ws.peaks.at(static_cast<std::size_t>(e.peak));
        Fields row = {std::to_string(region + 1), std::to_string(e.peak)};
        for (const Quantity& q : kQuantities) {
            row.push_back(q.value(p));
            row.push_back(errorField(e.*q.error));
            if (withMonteCarlo) row.push_back(errorField(monteCarlo.peaks.at(k).*q.error));
        }
        row.insert(row.end(), regionFields.begin(), regionFields.end());
        row.push_back(peakFlagsText(heldVerdictOf(ws, region), e.peak));
        if (withMonteCarlo) {
            row.insert(row.end(), {std::to_string(monteCarlo.replicas), monteCarloNoiseField(monteCarlo)});
            for (const Quantity& q : kQuantities) row.push_back(errorField(monteCarlo.robust.at(k).*q.error));
        }
        row.push_back(residualRmsField(errors));
        text += csvLine(row);
    }
    return text + correlationTable(errors);
}

}  // namespace vortlan
