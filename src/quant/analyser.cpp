#include "quant/analyser.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

namespace vortlan {

namespace {

// Where a component has a cross-section at the source its binding energy lies below the source.
QuantNumber kineticEnergy(const CoreLevel& component, double sourceEnergy) {
    const QuantNumber binding = bindingEnergy(component);
    if (const auto* reason = std::get_if<std::string>(&binding)) return *reason;
    return sourceEnergy - std::get<double>(binding);
}

// What an unusable factor shows as; nothing for one the table can show.
std::optional<std::string> unusableFactorWord(double factor) {
    if (std::isnan(factor)) return "not a number";
    if (factor > FLT_MAX) return "infinite";
    if (factor < FLT_MIN) return "0";
    return std::nullopt;
}

std::string exponentText(double exponent) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", exponent);
    return text;
}

}  // namespace

double regionSourceEnergy(const Region& region, const QuantSettings& settings) {
    return region.sourceEnergy.value_or(settings.sourceEnergy);
}

QuantNumber sensitivityFactor(const CoreLevel& level, double sourceEnergy, const QuantSettings& settings) {
    const double exponent = settings.imfpExponent - settings.transmissionExponent;
    double factor = 0.0;
    for (const CoreLevel& component : levelComponents(level)) {
        const QuantNumber sigma = relativeCrossSection(component, sourceEnergy);
        if (const auto* reason = std::get_if<std::string>(&sigma)) return *reason;
        const QuantNumber kinetic = kineticEnergy(component, sourceEnergy);
        if (const auto* reason = std::get_if<std::string>(&kinetic)) return *reason;
        const QuantNumber carbonKinetic = kineticEnergy(CoreLevel{"C", 6, 1, 0, 0}, sourceEnergy);
        if (const auto* reason = std::get_if<std::string>(&carbonKinetic)) return *reason;
        factor += std::get<double>(sigma) *
                  std::pow(std::get<double>(kinetic) / std::get<double>(carbonKinetic), exponent);
    }
    return factor;
}

QuantNumber regionFactor(const Region& region, const QuantSettings& settings) {
    if (region.sensitivityOverride) return *region.sensitivityOverride;
    if (region.coreLevel.empty()) return std::string("No core level given");
    const CoreLevelReading reading = readCoreLevel(region.coreLevel);
    if (const auto* reason = std::get_if<std::string>(&reading)) return *reason;
    return sensitivityFactor(std::get<CoreLevel>(reading), regionSourceEnergy(region, settings), settings);
}

std::optional<std::string> exponentRefusal(const Workspace& ws, const QuantSettings& settings) {
    for (int index = 0; index < kRegionCount; ++index) {
        const Region& r = ws.regions[static_cast<std::size_t>(index)];
        if (!isTrue(r.defined) || r.sensitivityOverride) continue;
        const QuantNumber factor = regionFactor(r, settings);
        const auto* value = std::get_if<double>(&factor);
        if (!value) continue;  // a region without a factor is left out of the table with its reason
        if (const auto word = unusableFactorWord(*value)) {
            return "m = " + exponentText(settings.imfpExponent) +
                   " and n = " + exponentText(settings.transmissionExponent) + " make the factor of region " +
                   std::to_string(index + 1) + " (" + r.coreLevel + ") " + *word +
                   ": its kinetic energy over C 1s's, raised to m - n, leaves the range of numbers";
        }
    }
    return std::nullopt;
}

}  // namespace vortlan
