#include "fit/least_squares/levenberg_marquardt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace vortlan {
namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

// A residual function from a lambda giving residual i at x, with derivatives by the lambda `slope`.
class Lambdas : public ResidualFunction {
  public:
    using Residual = std::function<double(int, const double*)>;
    using Slope = std::function<double(int, int, const double*)>;
    Lambdas(int n, int p, Residual r, Slope s) : n_(n), p_(p), r_(std::move(r)), s_(std::move(s)) {}
    int residualCount() const override { return n_; }
    int variableCount() const override { return p_; }
    bool evaluate(const double* x, double* residuals, double* jacobian) const override {
        ++calls;
        for (int i = 0; i < n_; ++i) {
            if (residuals) residuals[i] = r_(i, x);
            for (int k = 0; jacobian && k < p_; ++k) jacobian[i * p_ + k] = s_(i, k, x);
        }
        return std::isfinite(r_(0, x));
    }
    mutable int calls = 0;

  private:
    int n_, p_;
    Residual r_;
    Slope s_;
};

// y = a exp(-b t) + c at t = 0, 0.1, ..., 4.9, noise-free.
Lambdas decay(double a, double b, double c) {
    const auto model = [=](double t) { return a * std::exp(-b * t) + c; };
    return Lambdas(
        50, 3,
        [=](int i, const double* x) {
            const double t = 0.1 * i;
            return model(t) - (x[0] * std::exp(-x[1] * t) + x[2]);
        },
        [](int i, int k, const double* x) {
            const double t = 0.1 * i, e = std::exp(-x[1] * t);
            return k == 0 ? -e : k == 1 ? x[0] * t * e : -1.0;
        });
}

TEST(LeastSquares, RecoversANoiseFreeModelFromAPoorStart) {
    const Lambdas f = decay(500.0, 1.3, 20.0);
    const LeastSquaresResult r = minimiseSquares(f, {100.0, 0.3, 0.0}, {-kNone, 0.0, -kNone}, {kNone, kNone, kNone});
    EXPECT_EQ(r.end, LeastSquaresEnd::Converged);
    EXPECT_NEAR(r.x[0], 500.0, 1e-6);
    EXPECT_NEAR(r.x[1], 1.3, 1e-9);
    EXPECT_NEAR(r.x[2], 20.0, 1e-6);
    EXPECT_LT(r.cost, 1e-12);
    EXPECT_LT(r.iterations, 50);

    // Rosenbrock's valley as squares: r1 = 10 (y - x^2), r2 = 1 - x.
    const Lambdas valley(
        2, 2, [](int i, const double* x) { return i == 0 ? 10.0 * (x[1] - x[0] * x[0]) : 1.0 - x[0]; },
        [](int i, int k, const double* x) {
            if (i == 0) return k == 0 ? -20.0 * x[0] : 10.0;
            return k == 0 ? -1.0 : 0.0;
        });
    const LeastSquaresResult v = minimiseSquares(valley, {-1.2, 1.0}, {-kNone, -kNone}, {kNone, kNone});
    EXPECT_NEAR(v.x[0], 1.0, 1e-6);
    EXPECT_NEAR(v.x[1], 1.0, 1e-6);
}

TEST(LeastSquares, BoundsHoldAndTheOtherVariablesFitAroundThem) {
    // A straight line y = 3 + 2t through t = 0..9 with the slope held at most 1.5: the slope ends on
    // its bound and the intercept at the mean of y - 1.5 t, the best the bound allows.
    const Lambdas line(
        10, 2, [](int i, const double* x) { return (3.0 + 2.0 * i) - (x[0] + x[1] * i); },
        [](int i, int k, const double*) { return k == 0 ? -1.0 : -static_cast<double>(i); });
    const LeastSquaresResult r = minimiseSquares(line, {0.0, 0.0}, {-kNone, -kNone}, {kNone, 1.5});
    EXPECT_EQ(r.end, LeastSquaresEnd::Converged);
    EXPECT_EQ(r.x[1], 1.5);
    EXPECT_NEAR(r.x[0], 3.0 + 0.5 * 4.5, 1e-6);

    // A start outside the bounds is moved onto them first.
    const LeastSquaresResult clamped = minimiseSquares(line, {0.0, 7.0}, {-kNone, -kNone}, {kNone, 1.5});
    EXPECT_EQ(clamped.x[1], 1.5);
}

TEST(LeastSquares, StopsWhenAskedAndRefusesPointsItCannotEvaluate) {
    const Lambdas f = decay(500.0, 1.3, 20.0);
    int told = 0;
    const LeastSquaresResult stopped = minimiseSquares(f, {100.0, 0.3, 0.0}, {-kNone, 0.0, -kNone},
                                                       {kNone, kNone, kNone}, {}, [&](int iteration, double) {
                                                           told = iteration;
                                                           return iteration < 2;
                                                       });
    EXPECT_EQ(stopped.end, LeastSquaresEnd::Stopped);
    EXPECT_EQ(stopped.iterations, 2);
    EXPECT_EQ(told, 2);

    // Square roots of x: nothing exists below 0, and the minimum of (sqrt(x) - 2)^2 is at 4.
    const Lambdas root(
        1, 1, [](int, const double* x) { return std::sqrt(x[0]) - 2.0; },
        [](int, int, const double* x) { return 0.5 / std::sqrt(x[0]); });
    const LeastSquaresResult r = minimiseSquares(root, {0.01}, {-kNone}, {kNone});
    EXPECT_NEAR(r.x[0], 4.0, 1e-6);
    EXPECT_EQ(minimiseSquares(root, {-1.0}, {-kNone}, {kNone}).end, LeastSquaresEnd::NotEvaluable);
}

}  // namespace
}  // namespace vortlan
