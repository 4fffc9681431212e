#pragma once
// A bounded Levenberg-Marquardt minimiser of a sum of squared residuals, for the fits of a few dozen
// parameters against a few thousand points that spectra need.  The linear algebra is Eigen's, and it
// stays inside this folder: callers see plain vectors.
//
// Each iteration solves (JᵀJ + λD) δ = -Jᵀr over the variables that are not held at a bound by the
// gradient, with D the largest diagonal of JᵀJ seen so far (Marquardt's scaling, which makes the step
// independent of the units of each variable).  A trial point is clamped into the bounds; it is kept
// when it lowers the sum, and λ then shrinks as the reduction matched its prediction (Nielsen's rule),
// otherwise λ grows.  The damping starts high enough that the first steps cannot throw a width or an
// area onto its bound.

#include <functional>
#include <vector>

namespace vortlan {

// The function a fit minimises the squares of.
class ResidualFunction {
  public:
    virtual ~ResidualFunction() = default;
    virtual int residualCount() const = 0;
    virtual int variableCount() const = 0;
    // The residuals at x and, when `jacobian` is not null, their derivatives, row-major
    // (residualCount rows of variableCount).  Either output may be null.  False when some value at x
    // is not finite: such a point is never taken.
    virtual bool evaluate(const double* x, double* residuals, double* jacobian) const = 0;
};

struct LeastSquaresSettings {
    int maxIterations = 200;
    // The fit has converged when an iteration lowers the sum by less than this fraction of it, or
    // moves no variable by more than stepTolerance of its size.
    double costTolerance = 1e-8;
    double stepTolerance = 1e-10;
    // λ of the first iteration, relative to the diagonal of JᵀJ.
    double initialDamping = 1.0;
};

enum class LeastSquaresEnd {
    Converged,       // by the cost or step tolerance, or at a point no step improves
    IterationLimit,  // still improving when the iterations ran out
    Stopped,         // the progress callback asked to stop
    NotEvaluable     // the start itself cannot be evaluated
};

struct LeastSquaresResult {
    std::vector<double> x;
    double cost = 0;  // the sum of squared residuals at x
    int iterations = 0;
    int evaluations = 0;  // of the residuals; Jacobians are counted apart
    int jacobians = 0;
    LeastSquaresEnd end = LeastSquaresEnd::NotEvaluable;
};

// Told after every iteration its number (from 1), the point reached and its sum of squares; returning
// false ends the fit there, keeping that point.
using LeastSquaresProgress = std::function<bool(int iteration, const double* x, double cost)>;

// Minimises from `start` (clamped into the bounds first).  `lower` and `upper` hold one bound per
// variable; use ±infinity for none.
LeastSquaresResult minimiseSquares(const ResidualFunction& function, std::vector<double> start,
                                   const std::vector<double>& lower, const std::vector<double>& upper,
                                   const LeastSquaresSettings& settings = {},
                                   const LeastSquaresProgress& progress = {});

}  // namespace vortlan
