#include "fit/least_squares/levenberg_marquardt.h"

#include "fit/least_squares/covariance.h"

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
                                                       {kNone, kNone, kNone}, {}, [&](int iteration, const double*, double) {
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

// y = 2 + 3t + noise at t = 0..5, fitted by a straight line: the covariance is s^2 (XᵀX)^-1 with
// s^2 = Σr² / (n - 2), in closed form for a line.
TEST(Covariance, OfAStraightLineIsTheClosedForm) {
    const double noise[] = {0.3, -0.2, 0.1, -0.4, 0.25, -0.05};
    const Lambdas line(
        6, 2, [&](int i, const double* x) { return (2.0 + 3.0 * i + noise[i]) - (x[0] + x[1] * i); },
        [](int i, int k, const double*) { return k == 0 ? -1.0 : -static_cast<double>(i); });
    const LeastSquaresResult fit = minimiseSquares(line, {0.0, 0.0}, {-kNone, -kNone}, {kNone, kNone});
    const auto c = covarianceAt(line, fit.x);
    ASSERT_TRUE(c);
    double sum = 0, tBar = 2.5, sxx = 0;
    for (int i = 0; i < 6; ++i) sxx += (i - tBar) * (i - tBar);
    for (int i = 0; i < 6; ++i) {
        const double r = (2.0 + 3.0 * i + noise[i]) - (fit.x[0] + fit.x[1] * i);
        sum += r * r;
    }
    const double s2 = sum / 4.0;
    EXPECT_NEAR(c->reducedCost, s2, 1e-9);
    EXPECT_NEAR(c->at(1, 1), s2 / sxx, 1e-9);
    EXPECT_NEAR(c->at(0, 0), s2 * (1.0 / 6.0 + tBar * tBar / sxx), 1e-9);
    EXPECT_NEAR(c->at(0, 1), -s2 * tBar / sxx, 1e-9);
    EXPECT_TRUE(c->determined[0] && c->determined[1]);
}

TEST(Covariance, SaysWhatTheDataDoNotDetermine) {
    // y = a + b + c t: a and b only ever appear as their sum; c is determined.
    const Lambdas twins(
        5, 3, [](int i, const double* x) { return (1.0 + 2.0 * i + 0.1 * (i % 2)) - (x[0] + x[1] + x[2] * i); },
        [](int i, int k, const double*) { return k == 2 ? -static_cast<double>(i) : -1.0; });
    const auto c = covarianceAt(twins, {0.5, 0.5, 2.0});
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->determined[0]);
    EXPECT_FALSE(c->determined[1]);
    EXPECT_TRUE(c->determined[2]);
    EXPECT_TRUE(std::isnan(c->at(0, 0)));
    EXPECT_TRUE(std::isfinite(c->at(2, 2)));
    // No more points than variables: nothing to scale by.
    const Lambdas few(2, 2, [](int, const double* x) { return x[0] - x[1]; },
                      [](int, int k, const double*) { return k == 0 ? 1.0 : -1.0; });
    EXPECT_FALSE(covarianceAt(few, {1.0, 2.0}));
}

}  // namespace
}  // namespace vortlan
