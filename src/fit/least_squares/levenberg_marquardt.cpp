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
// λ shrinks by at most this factor after a step that did what its model predicted, so that a fit
// near its minimum soon takes full Gauss-Newton steps.
constexpr double kLargestShrink = 0.1;

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
    bool evaluateStart(Point& point);
    std::vector<int> movableVariables(const Vector& x, const Vector& gradient) const;
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

bool Minimiser::evaluateStart(Point& point) {
    point.residuals.resize(f_.residualCount());
    point.jacobian.resize(f_.residualCount(), n_);
    ++evaluations_;
    ++jacobians_;
    return f_.evaluate(point.x.data(), point.residuals.data(), point.jacobian.data()) &&
           point.residuals.allFinite() && point.jacobian.allFinite();
}

bool Minimiser::evaluateJacobian(Point& point) {
    point.jacobian.resize(f_.residualCount(), n_);
    ++jacobians_;
    return f_.evaluate(point.x.data(), nullptr, point.jacobian.data());
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

// (JᵀJ + λD) over the movable variables, factorised once for the step and its correction.
class DampedSystem {
  public:
    DampedSystem(const Matrix& normal, const Vector& scale, double lambda, std::vector<int> movable)
        : movable_(std::move(movable)) {
        const int m = static_cast<int>(movable_.size());
        Matrix system(m, m);
        for (int a = 0; a < m; ++a) {
            for (int b = 0; b <= a; ++b) system(a, b) = normal(movable_[a], movable_[b]);
            system(a, a) += lambda * scale[movable_[a]];
        }
        factor_.compute(system.selfadjointView<Eigen::Lower>());
    }
    // The solution for the right-hand side's movable part; zero for the others.
    Vector solve(const Vector& right) const {
        const int m = static_cast<int>(movable_.size());
        Vector part(m);
        for (int a = 0; a < m; ++a) part[a] = right[movable_[a]];
        const Vector solved = factor_.solve(part);
        Vector full = Vector::Zero(right.size());
        for (int a = 0; a < m; ++a) full[movable_[a]] = solved[a];
        return full;
    }

  private:
    std::vector<int> movable_;
    Eigen::LDLT<Matrix> factor_;
};

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
    // A derivative that is not finite makes the sum of squares of its column, on the diagonal, not
    // finite either: no step can be computed from such a point.
    if (!normal.diagonal().allFinite() || !gradient.allFinite()) return Iteration::NoBetterPoint;
    const double largest = std::max(normal.diagonal().maxCoeff(), 0.0);
    scale_ = scale_.cwiseMax(normal.diagonal()).cwiseMax(kSmallestScale * largest);
    const std::vector<int> movable = movableVariables(point.x, gradient);
    if (movable.empty()) return Iteration::Converged;

    Vector trialResiduals;
    for (int tries = 0; tries < kMaxTries; ++tries) {
        const Vector step = DampedSystem(normal, scale_, lambda_, movable).solve(-gradient);
        const Vector trial = (point.x + step).cwiseMax(lower_).cwiseMin(upper_);
        const bool evaluable = evaluateResiduals(trial, trialResiduals);
        const double trialCost = evaluable ? trialResiduals.squaredNorm() : 0.0;
        if (!evaluable || !(trialCost < point.cost)) {
            lambda_ *= nu_;
            nu_ *= 2.0;
            continue;
        }
        const Vector taken = trial - point.x;
        const Vector normalStep = normal.selfadjointView<Eigen::Lower>() * taken;
        const double predicted = -(2.0 * gradient.dot(taken) + taken.dot(normalStep));
        const double rho = predicted > 0.0 ? (point.cost - trialCost) / predicted : 0.0;
        lambda_ *= std::max(kLargestShrink, 1.0 - std::pow(2.0 * rho - 1.0, 3));
        nu_ = 2.0;
        const bool settled = point.cost - trialCost < settings_.costTolerance * point.cost || smallStep(point.x, trial);
        point.x = trial;
        point.residuals = trialResiduals;
        point.cost = trialCost;
        // A settled fit takes no further step: its Jacobian is not needed.
        if (settled) return Iteration::Converged;
        return evaluateJacobian(point) ? Iteration::Improved : Iteration::NoBetterPoint;
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
    if (!evaluateStart(point)) return result(point, 0, LeastSquaresEnd::NotEvaluable);
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
