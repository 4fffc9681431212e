#pragma once
// One Gauss-Newton step: near a minimum, where the minimum lies.  A fit that holds some parameters
// at whole values asks it whether freeing them would move them far.

#include <optional>
#include <vector>

#include "fit/least_squares/levenberg_marquardt.h"

namespace vortlan {

// Where one Gauss-Newton step from x leads, bounds ignored, the normal equations damped by a trace of
// their diagonal so that a direction the data barely determine does not throw the step far.  Nothing
// when x cannot be evaluated.
std::optional<std::vector<double>> gaussNewtonPoint(const ResidualFunction& function, const std::vector<double>& x);

}  // namespace vortlan
