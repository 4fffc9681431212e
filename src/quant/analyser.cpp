#include "quant/analyser.h"

#include <cmath>

namespace vortlan {

namespace {

// Where a component has a cross-section at the source its binding energy lies below the source.
QuantNumber kineticEnergy(const CoreLevel& component, double sourceEnergy) {
    const QuantNumber binding = bindingEnergy(component);
    if (const auto* reason = std::get_if<std::string>(&binding)) return *reason;
    return sourceEnergy - std::get<double>(binding);
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

}  // namespace vortlan
