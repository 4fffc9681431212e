#include "quant/sensitivity.h"

#include <cmath>
#include <optional>

#include <xraylib.h>

#include "base/number_text.h"

namespace vortlan {

namespace {

constexpr double kElectronVoltsPerKilo = 1000.0;

// The library numbers the subshells K, L1..L3, M1..M5, N1..N7, O1..O7, P1..P5, Q1..Q3: within a
// shell s, p1/2, p3/2, d3/2, d5/2, f5/2, f7/2, as far as the shell goes.
constexpr int kFirstSubshell[] = {0, 0, 1, 4, 9, 16, 23, 28};
constexpr int kSubshellsInShell[] = {0, 1, 3, 5, 7, 7, 5, 3};

// The library's index of one component or of an s level; nothing for a subshell it has no data for.
std::optional<int> subshellIndex(const CoreLevel& component) {
    if (component.n < 1 || component.n > 7) return std::nullopt;
    const int within = component.l == 0 ? 0 : 2 * component.l - 1 + (component.twiceJ == 2 * component.l + 1);
    if (within >= kSubshellsInShell[component.n]) return std::nullopt;
    return kFirstSubshell[component.n] + within;
}

// Calls the library, dropping its error: a failed look-up is told by the value only.
template <typename Function, typename... Args>
std::optional<double> lookUp(Function function, Args... args) {
    xrl_error* error = nullptr;
    const double value = function(args..., &error);
    if (error) {
        xrl_error_free(error);
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

// The library's partial cross-sections are per electron of the subshell (its total cross-section is
// their sum weighted by the occupation), so a subshell's is the library's value times its electrons.
// With that weighting the values are Scofield's: Ti 2p3/2 5.22, Au 4f7/2 9.58 relative to C 1s at
// Al K-alpha, where the per-electron values alone are half and a quarter of those.
QuantNumber subshellCrossSection(const CoreLevel& component, double sourceEnergy) {
    const std::string name = coreLevelText(component);
    const std::optional<int> shell = subshellIndex(component);
    const std::optional<double> electrons =
        shell ? lookUp(ElectronConfig, component.z, *shell) : std::nullopt;
    if (!electrons || *electrons <= 0.0) return name + " holds no electrons";
    const std::optional<double> edge = lookUp(EdgeEnergy, component.z, *shell);
    if (!edge || *edge <= 0.0) return "No binding energy of " + name;
    if (*edge * kElectronVoltsPerKilo >= sourceEnergy)
        return name + " (binding energy " +
               shortNumberText(static_cast<float>(*edge * kElectronVoltsPerKilo)) +
               " eV) is out of reach of a source of " + shortNumberText(static_cast<float>(sourceEnergy)) +
               " eV";
    const double energy = sourceEnergy / kElectronVoltsPerKilo;
    const std::optional<double> perElectron = lookUp(CSb_Photo_Partial, component.z, *shell, energy);
    if (!perElectron || *perElectron <= 0.0) return "No cross-section of " + name + " at this source energy";
    return *perElectron * *electrons;
}

CoreLevel carbon1s() {
    return CoreLevel{"C", 6, 1, 0, 0};
}

}  // namespace

QuantNumber relativeCrossSection(const CoreLevel& level, double sourceEnergy) {
    if (!std::isfinite(sourceEnergy) || sourceEnergy <= 0.0)
        return std::string("The source energy must be positive");
    const QuantNumber carbon = subshellCrossSection(carbon1s(), sourceEnergy);
    if (const auto* reason = std::get_if<std::string>(&carbon)) return *reason;
    double sum = 0.0;
    for (const CoreLevel& component : levelComponents(level)) {
        const QuantNumber sigma = subshellCrossSection(component, sourceEnergy);
        if (const auto* reason = std::get_if<std::string>(&sigma)) return *reason;
        sum += std::get<double>(sigma);
    }
    return sum / std::get<double>(carbon);
}

QuantNumber bindingEnergy(const CoreLevel& level) {
    const std::string name = coreLevelText(level);
    if (level.isWhole() && level.l > 0) return name + " has two components with their own binding energies";
    const std::optional<int> shell = subshellIndex(level);
    const std::optional<double> edge = shell ? lookUp(EdgeEnergy, level.z, *shell) : std::nullopt;
    if (!edge || *edge <= 0.0) return "No binding energy of " + name;
    return *edge * kElectronVoltsPerKilo;
}

}  // namespace vortlan
