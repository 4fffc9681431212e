#pragma once
// How a standard error reads beside the value it belongs to.

#include <string>

#include "fit/uncertainty.h"

namespace vortlan {

// "± 0.0012" (two significant digits; the ± is the 8-bit character of the core's texts), "fixed" for
// a parameter that does not move (fixed, or tied to one that is), or "not determined" where the data
// do not determine it.
std::string standardErrorText(const StandardError& error);

}  // namespace vortlan
