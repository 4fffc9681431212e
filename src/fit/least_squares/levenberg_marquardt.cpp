#include "fit/least_squares/levenberg_marquardt.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

using Vector = Eigen::VectorXd;
using Matrix = Eigen::MatrixXd;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

constexpr int kMaxTries = 30;             // damped steps tried in one iteration before giving up
constexpr double kSmallestScale = 1e-12;  // of the largest diagonal, for a variable the data ignore

// The point reached, with its residuals and their Jacobian.
struct Point {
    Vector x;
    Vector residuals;
    RowMajorMatrix jacobian;
    double cost = 0;
};

class Minimiser {
  public:
    Minimiser(const ResidualFunction& f, const std::vector<double>& lower, const std::vector<double>& upper,
              const LeastSquaresSettings& settings)
        : f_(f),
          n_(f.variableCount()),
          lower_(Eigen::Map<const Vector>(lower.data(), n_)),
          upper_(Eigen::Map<const Vector>(upper.data(), n_)),
          settings_(settings),
          lambda_(settings.initialDamping),
          scale_(Vector::Zero(n_)) {}

    LeastSquaresResult run(const std::vector<double>& start, const LeastSquaresProgress& progress);

  private:
    enum class Iteration { Improved, Converged, NoBetterPoint };

    bool evaluateResiduals(const Vector& x, Vector& residuals);
    bool evaluateJacobian(Point& point);
    std::vector<int> movableVariables(const Vector& x, const Vector& gradient) const;
    Vector dampedStep(const Matrix& normal, const Vector& gradient, const std::vector<int>& movable) const;
    Iteration iterate(Point& point);
    bool smallStep(const Vector& from, const Vector& to) const;
    LeastSquaresResult result(const Point& point, int iterations, LeastSquaresEnd end) const;

    const ResidualFunction& f_;
    const int n_;
    const Vector lower_;
    const Vector upper_;
    const LeastSquaresSettings settings_;
    double lambda_;
    double nu_ = 2.0;
    Vector scale_;  // the largest diagonal of JᵀJ seen so far
    int evaluations_ = 0;
    int jacobians_ = 0;
};

bool Minimiser::evaluateResiduals(const Vector& x, Vector& residuals) {
    residuals.resize(f_.residualCount());
    ++evaluations_;
    return f_.evaluate(x.data(), residuals.data(), nullptr) && residuals.allFinite();
}

bool Minimiser::evaluateJacobian(Point& point) {
    point.jacobian.resize(f_.residualCount(), n_);
    ++jacobians_;
    return f_.evaluate(point.x.data(), nullptr, point.jacobian.data()) && point.jacobian.allFinite();
}

// A variable at a bound that the descent direction (minus the gradient) points beyond stays there
// for this iteration; the others move.
std::vector<int> Minimiser::movableVariables(const Vector& x, const Vector& gradient) const {
    std::vector<int> movable;
    for (int k = 0; k < n_; ++k) {
        const bool heldLow = gradient[k] > 0.0 && x[k] <= lower_[k];
        const bool heldHigh = gradient[k] < 0.0 && x[k] >= upper_[k];
        if (!heldLow && !heldHigh) movable.push_back(k);
    }
    return movable;
}

// The step of the movable variables from (JᵀJ + λD) δ = -Jᵀr; zero for the others.
Vector Minimiser::dampedStep(const Matrix& normal, const Vector& gradient, const std::vector<int>& movable) const {
    const int m = static_cast<int>(movable.size());
    Matrix system(m, m);
    Vector right(m);
    for (int a = 0; a < m; ++a) {
        right[a] = -gradient[movable[a]];
        for (int b = 0; b <= a; ++b) system(a, b) = normal(movable[a], movable[b]);
        system(a, a) += lambda_ * scale_[movable[a]];
    }
    const Vector solved = system.selfadjointView<Eigen::Lower>().ldlt().solve(right);
    Vector step = Vector::Zero(n_);
    for (int a = 0; a < m; ++a) step[movable[a]] = solved[a];
    return step;
}

bool Minimiser::smallStep(const Vector& from, const Vector& to) const {
    for (int k = 0; k < n_; ++k) {
        if (std::fabs(to[k] - from[k]) > settings_.stepTolerance * (std::fabs(from[k]) + settings_.stepTolerance))
            return false;
    }
    return true;
}

Minimiser::Iteration Minimiser::iterate(Point& point) {
    const Vector gradient = point.jacobian.transpose() * point.residuals;
    Matrix normal = Matrix::Zero(n_, n_);
    normal.selfadjointView<Eigen::Lower>().rankUpdate(point.jacobian.transpose());
    const double largest = std::max(normal.diagonal().maxCoeff(), 0.0);
    scale_ = scale_.cwiseMax(normal.diagonal()).cwiseMax(kSmallestScale * largest);
    const std::vector<int> movable = movableVariables(point.x, gradient);
    if (movable.empty()) return Iteration::Converged;

    Vector trialResiduals;
    for (int tries = 0; tries < kMaxTries; ++tries) {
        const Vector trial = (point.x + dampedStep(normal, gradient, movable)).cwiseMax(lower_).cwiseMin(upper_);
        const bool evaluable = evaluateResiduals(trial, trialResiduals);
        const double trialCost = evaluable ? trialResiduals.squaredNorm() : 0.0;
        if (!evaluable || !(trialCost < point.cost)) {
            lambda_ *= nu_;
            nu_ *= 2.0;
            continue;
        }
        const Vector step = trial - point.x;
        const Vector normalStep = normal.selfadjointView<Eigen::Lower>() * step;
        const double predicted = -(2.0 * gradient.dot(step) + step.dot(normalStep));
        const double rho = predicted > 0.0 ? (point.cost - trialCost) / predicted : 0.0;
        lambda_ *= std::max(1.0 / 3.0, 1.0 - std::pow(2.0 * rho - 1.0, 3));
        nu_ = 2.0;
        const bool settled = point.cost - trialCost < settings_.costTolerance * point.cost || smallStep(point.x, trial);
        point.x = trial;
        point.residuals = trialResiduals;
        point.cost = trialCost;
        if (!evaluateJacobian(point)) return Iteration::NoBetterPoint;
        return settled ? Iteration::Converged : Iteration::Improved;
    }
    return Iteration::NoBetterPoint;
}

LeastSquaresResult Minimiser::result(const Point& point, int iterations, LeastSquaresEnd end) const {
    LeastSquaresResult r;
    r.x.assign(point.x.data(), point.x.data() + point.x.size());
    r.cost = point.cost;
    r.iterations = iterations;
    r.evaluations = evaluations_;
    r.jacobians = jacobians_;
    r.end = end;
    return r;
}

LeastSquaresResult Minimiser::run(const std::vector<double>& start, const LeastSquaresProgress& progress) {
    Point point;
    point.x = Eigen::Map<const Vector>(start.data(), n_).cwiseMax(lower_).cwiseMin(upper_);
    if (!evaluateResiduals(point.x, point.residuals) || !evaluateJacobian(point))
        return result(point, 0, LeastSquaresEnd::NotEvaluable);
    point.cost = point.residuals.squaredNorm();
    for (int iteration = 1; iteration <= settings_.maxIterations; ++iteration) {
        const Iteration outcome = iterate(point);
        // No damped step lowers the sum: the point is a minimum as far as this method can tell.
        if (outcome != Iteration::Improved) return result(point, iteration, LeastSquaresEnd::Converged);
        if (progress && !progress(iteration, point.x.data(), point.cost))
            return result(point, iteration, LeastSquaresEnd::Stopped);
    }
    return result(point, settings_.maxIterations, LeastSquaresEnd::IterationLimit);
}

}  // namespace

LeastSquaresResult minimiseSquares(const ResidualFunction& function, std::vector<double> start,
                                   const std::vector<double>& lower, const std::vector<double>& upper,
                                   const LeastSquaresSettings& settings, const LeastSquaresProgress& progress) {
    if (function.variableCount() == 0 || static_cast<int>(start.size()) != function.variableCount() ||
        lower.size() != start.size() || upper.size() != start.size()) {
        LeastSquaresResult unchanged;
        unchanged.x = std::move(start);
        return unchanged;
    }
    return Minimiser(function, lower, upper, settings).run(start, progress);
}

}  // namespace vortlan
