#pragma once
// The full width at half maximum of a peak as drawn, which the tail and the mixing make differ from
// the nominal FWHM.  The low-binding-energy half is taken as the nominal half width, since the tail
// lies only on the high side; the high half is found by bisection.

#include <optional>
#include <string>

#include "model/peak_shapes.h"

namespace vortlan {

// Nothing when the bisection does not settle within 1000 halvings.
std::optional<float> actualFwhm(LineForm form, const PeakShape& shape);

// The peak dialog's text: "1.234eV   ", or "---           " when the search did not settle.
std::string actualFwhmText(LineForm form, const PeakShape& shape);

}  // namespace vortlan
