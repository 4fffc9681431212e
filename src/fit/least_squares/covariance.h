#pragma once
// The covariance of a least-squares result: (JᵀJ)⁻¹ scaled by the reduced sum of squares
// Σr² / (N - p), with J the Jacobian of the (already weighted) residuals at the result; and what random
// inputs the fit holds fixed add to it.

#include <optional>
#include <vector>

#include "fit/least_squares/levenberg_marquardt.h"

namespace vortlan {

// Random quantities the residuals depend on but the fit holds where they are (the end averages a
// background is drawn through, say).  Their noise moves the result too, by dx = -(JᵀJ)⁻¹Jᵀ dr; so
// does its correlation with the residuals' own noise where they share data.  Every (co)variance is in
// units of the reduced sum of squares, which scales the residuals' variances to 1 each.
struct HeldInputs {
    int count = 0;
    std::vector<double> residualSlopes;  // N × count, row-major: d r_i / d a_k
    std::vector<double> covariance;      // count × count: of the inputs
    // Where a residual's own noise goes with an input's (a point that is also in an average): the few
    // nonzero covariances.
    struct SharedNoise {
        int residual = 0;
        int input = 0;
        double covariance = 0;
    };
    std::vector<SharedNoise> sharedNoise;
    // Residuals with no noise of their own: points whose data are inputs (their noise is in the
    // slopes), whose part in (JᵀJ)⁻¹ is taken out again.
    std::vector<int> withoutOwnNoise;
};

struct Covariance {
    int variables = 0;
    std::vector<double> matrix;  // row-major, variables × variables
    // Per variable: false where the data do not determine it (it lies in a direction the residuals
    // do not change along, or nearly so); its row and column are then not to be used.
    std::vector<bool> determined;
    double reducedCost = 0;  // Σr² / (N - p)
    // σ², what the covariance is scaled by: Σr² / (N - p) without held inputs; with them, Σr² over
    // what it is expected to be for residuals of unit noise, which counts the inputs' noise too.
    double noiseScale = 0;
    // The part of `matrix` that the held inputs add (zero without them).
    std::vector<double> heldShare;
    // The Gauss-Newton step from x along the determined directions: near a minimum, where it lies.
    std::vector<double> step;

    double at(int a, int b) const { return matrix[static_cast<std::size_t>(a * variables + b)]; }
    double heldShareAt(int a, int b) const { return heldShare[static_cast<std::size_t>(a * variables + b)]; }
};

// Nothing when there are no more residuals than variables or the point cannot be evaluated.  Held
// inputs whose tables do not match the function's residuals are not used.
std::optional<Covariance> covarianceAt(const ResidualFunction& function, const std::vector<double>& x,
                                       const HeldInputs& held = {});

}  // namespace vortlan
