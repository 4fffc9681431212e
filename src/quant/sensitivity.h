#pragma once
// How strongly a core level is photoionised, and where it lies, from the library of X-ray interaction
// data: Scofield's subshell cross-sections and the absorption-edge energies.

#include <string>
#include <variant>

#include "quant/core_level.h"

namespace vortlan {

// A number, or why there is none.
using QuantNumber = std::variant<double, std::string>;

// The photoionisation cross-section of the level at the source energy (eV), relative to that of C 1s
// at the same energy.  A whole level is the sum of its components.  Refused for a level the element
// does not fill, or a source the data do not reach or that cannot ionise the level or C 1s; a level
// with a cross-section always has a binding energy below the source.
QuantNumber relativeCrossSection(const CoreLevel& level, double sourceEnergy);

// The binding energy (eV) of one component, or of an s level: its absorption edge.  A whole level with
// l > 0 is refused (its components lie apart).
QuantNumber bindingEnergy(const CoreLevel& level);

}  // namespace vortlan
