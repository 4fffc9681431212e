#include "cli/error_table.h"

#include <ostream>
#include <string>

#include "base/number_text.h"
#include "cli/terminal_text.h"
#include "fit/monte_carlo.h"
#include "fit/uncertainty.h"
#include "session/error_text.h"

namespace vortlan::cli {

namespace {

struct Quantity {
    const char* name;
    StandardError PeakErrors::*error;
    std::string (*value)(const Peak&);
};

// In the order of the info table's columns.
const Quantity kQuantities[] = {
    {"position", &PeakErrors::position, [](const Peak& p) { return shortNumberText(p.position); }},
    {"area", &PeakErrors::area, [](const Peak& p) { return shortNumberText(p.area); }},
    {"height (%)", &PeakErrors::height, [](const Peak& p) { return shortNumberText(p.height); }},
    {"FWHM", &PeakErrors::fwhm, [](const Peak& p) { return shortNumberText(p.fwhm); }},
    {"%GL", &PeakErrors::gl, [](const Peak& p) { return std::to_string(p.gl); }}};

std::string replicasText(const MonteCarloErrors& errors, int replicas) {
    if (!errors.whyNone.empty())
        return "(none of " + std::to_string(replicas) + " replicas: " + errors.whyNone + ")";
    if (errors.replicas == replicas) return "over " + std::to_string(replicas) + " replicas";
    if (errors.replicas == 0) return "(none of " + std::to_string(replicas) + " replicas could be fitted)";
    return "over " + std::to_string(errors.replicas) + " of " + std::to_string(replicas) +
           " replicas (the others could not be fitted)";
}

std::string rematchedText(const MonteCarloErrors& errors) {
    if (errors.rematched == 0) return "";
    return "; in " + std::to_string(errors.rematched) +
           " of them peaks that traded places were matched back by position";
}

}  // namespace

void printErrorComparison(std::ostream& out, const Workspace& ws, int region, int replicas) {
    const RegionErrors jacobian = standardErrors(ws, region);
    const MonteCarloErrors monteCarlo = monteCarloErrors(ws, region, replicas);
    out << "Region " << region + 1 << ": standard errors by the Jacobian and by Monte Carlo "
        << replicasText(monteCarlo, replicas) << '\n';
    if (!monteCarlo.noise.empty() && monteCarlo.whyNone.empty())
        out << "Replicas: " << monteCarlo.noise << rematchedText(monteCarlo) << '\n';
    out << column("peak", 6) << column("parameter", 11) << column("value", 13) << column("Jacobian", 16)
        << column("Monte Carlo", 16) << column("MC 16-84 %", 16) << '\n';
    const auto errorColumn = [](const StandardError& e) {
        return column(utf8FromLatin1(standardErrorText(e)), 16);
    };
    for (std::size_t k = 0; k < jacobian.peaks.size() && k < monteCarlo.peaks.size(); ++k) {
        const PeakErrors& j = jacobian.peaks[k];
        const Peak& p = ws.peaks[j.peak];
        for (const Quantity& q : kQuantities) {
            out << column(std::to_string(j.peak), 6) << column(q.name, 11) << column(q.value(p), 13)
                << errorColumn(j.*q.error) << errorColumn(monteCarlo.peaks[k].*q.error)
                << errorColumn(monteCarlo.robust[k].*q.error) << '\n';
        }
    }
}

}  // namespace vortlan::cli
