#pragma once
// The noise the data themselves show, for data whose unit does not say how they were counted.

#include <optional>

#include "workspace/records.h"

namespace vortlan {

// s² such that a recorded value's variance is s² × |value| (as the fit weights the points), from the
// scatter of each raw point of the fit range about the mean of its two neighbours: a smooth spectrum
// (a loss tail, a background, a broad line) leaves that difference to the noise alone, so no model
// of the data is needed.  Nothing when the range holds fewer than three raw points.
std::optional<double> pointScatterScale(const Region& region);

}  // namespace vortlan
