#pragma once
// How a standard error reads beside the value it belongs to.

#include <string>

#include "fit/uncertainty.h"

namespace vortlan {

// "± 0.0012" (two significant digits; the ± is the 8-bit character of the core's texts), "fixed" for
// a fixed parameter, "tied" for one tied to a parameter that does not move, or "not determined" where
// the data do not determine it.
std::string standardErrorText(const StandardError& error);

}  // namespace vortlan
