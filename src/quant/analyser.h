#pragma once
// The sensitivity factor a region's area is divided by: the level's cross-section corrected for how
// far its electrons travel in the sample and how well the analyser passes them.

#include <optional>
#include <string>

#include "quant/core_level.h"
#include "quant/sensitivity.h"
#include "workspace/records.h"

namespace vortlan {

// The source energy (eV) of the region's spectrum: what its file records, else the setting.
double regionSourceEnergy(const Region& region, const QuantSettings& settings);

// The factor of the level at the source energy, summed over its components:
//     sum over components of sigma_rel * (KE / KE_C1s)^m * (KE / KE_C1s)^-n
// with KE = source energy - the component's binding energy and KE_C1s that of C 1s at the same source,
// so that C 1s has the factor 1 whatever m and n are.  Dividing by C 1s's own kinetic-energy terms
// changes every factor by the same number, which the atomic concentrations, being ratios, never see.
// A component whose kinetic energy is not positive refuses the level.
QuantNumber sensitivityFactor(const CoreLevel& level, double sourceEnergy, const QuantSettings& settings);

// The factor the quantification divides the region's area by: the user's override when set, else the
// computed factor of the region's core level.  Refused, with the reason, for a region without a level
// or with one that has no factor at its source.
QuantNumber regionFactor(const Region& region, const QuantSettings& settings);

// Why the settings' exponents m and n cannot be used: they make the computed factor of a region holding
// data 0, infinite or not a number in the single precision the table is shown in (its kinetic energies'
// ratio to C 1s's, raised to m - n, leaves the range of numbers).  Nothing when every factor is usable;
// a factor the user gave is theirs and is not judged.
std::optional<std::string> exponentRefusal(const Workspace& workspace, const QuantSettings& settings);

}  // namespace vortlan
