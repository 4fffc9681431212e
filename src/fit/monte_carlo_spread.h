#pragma once
// The spread of one quantity over the Monte Carlo replicas, two ways: the standard deviation, and half
// the range between the 15.9th and the 84.1th percentile ("16-84 %"), which for normally distributed
// values is the standard deviation too but which a few wild replicas cannot inflate.

#include <vector>

#include "fit/uncertainty.h"

namespace vortlan {

// Not determined from fewer than two values.
StandardError standardDeviationOf(const std::vector<double>& values);

// Percentiles interpolated linearly between the sorted values; not determined from fewer than two.
StandardError halfCentralRangeOf(std::vector<double> values);

}  // namespace vortlan
