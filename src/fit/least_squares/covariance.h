#pragma once
// The covariance of a least-squares result: (JᵀJ)⁻¹ scaled by the reduced sum of squares
// Σr² / (N - p), with J the Jacobian of the (already weighted) residuals at the result.

#include <optional>
#include <vector>

#include "fit/least_squares/levenberg_marquardt.h"

namespace vortlan {

struct Covariance {
    int variables = 0;
    std::vector<double> matrix;  // row-major, variables × variables
    // Per variable: false where the data do not determine it (it lies in a direction the residuals
    // do not change along, or nearly so); its row and column are then not to be used.
    std::vector<bool> determined;
    double reducedCost = 0;  // Σr² / (N - p)
    // The Gauss-Newton step from x along the determined directions: near a minimum, where it lies.
    std::vector<double> step;

    double at(int a, int b) const { return matrix[static_cast<std::size_t>(a * variables + b)]; }
};

// Nothing when there are no more residuals than variables or the point cannot be evaluated.
std::optional<Covariance> covarianceAt(const ResidualFunction& function, const std::vector<double>& x);

}  // namespace vortlan
