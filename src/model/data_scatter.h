#pragma once
// The noise the data themselves show, for data whose unit does not say how they were counted.

#include <optional>

#include "workspace/records.h"

namespace vortlan {

// s² such that a recorded value's variance is s² × |value| (as the fit weights the points), from the
// typical size of the fourth differences of the fit range's raw points: a smooth spectrum (a loss
// tail, a background, a line several points wide) leaves them to the noise alone, and the few points
// under a sharper line do not move a median, so no model of the data is needed.  Nothing when the
// range holds fewer than five raw points.
std::optional<double> pointScatterScale(const Region& region);

}  // namespace vortlan
