#include "fit/least_squares/covariance.h"

#include <Eigen/Dense>
#include <cmath>
#include <limits>

namespace vortlan {

namespace {

using Vector = Eigen::VectorXd;
using Matrix = Eigen::MatrixXd;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Directions along which the scaled normal matrix is this much weaker than its strongest are taken
// as not determined by the data: their variance would be noise of the arithmetic.
constexpr double kConditionLimit = 1e-10;
// A variable with this much of such a direction in it is not determined either.
constexpr double kNullShare = 0.1;

}  // namespace

std::optional<Covariance> covarianceAt(const ResidualFunction& f, const std::vector<double>& x) {
    const int n = f.residualCount();
    const int p = f.variableCount();
    if (p == 0 || n <= p || static_cast<int>(x.size()) != p) return std::nullopt;
    Vector residuals(n);
    RowMajorMatrix jacobian(n, p);
    if (!f.evaluate(x.data(), residuals.data(), jacobian.data()) || !jacobian.allFinite()) return std::nullopt;

    Matrix normal = Matrix::Zero(p, p);
    normal.selfadjointView<Eigen::Lower>().rankUpdate(jacobian.transpose());
    normal.triangularView<Eigen::Upper>() = normal.transpose();
    // Scaled to a unit diagonal, so that the test of weak directions does not depend on units.
    Vector scale(p);
    for (int k = 0; k < p; ++k) scale[k] = normal(k, k) > 0.0 ? 1.0 / std::sqrt(normal(k, k)) : 0.0;
    const Matrix scaled = scale.asDiagonal() * normal * scale.asDiagonal();
    const Eigen::SelfAdjointEigenSolver<Matrix> eigen(scaled);
    const Vector& values = eigen.eigenvalues();
    const Matrix& vectors = eigen.eigenvectors();
    const double threshold = kConditionLimit * std::max(values.maxCoeff(), 0.0);

    Covariance c;
    c.variables = p;
    c.reducedCost = residuals.squaredNorm() / (n - p);
    c.determined.assign(static_cast<std::size_t>(p), true);
    Matrix inverse = Matrix::Zero(p, p);
    for (int j = 0; j < p; ++j) {
        if (values[j] > threshold && values[j] > 0.0) {
            inverse += vectors.col(j) * vectors.col(j).transpose() / values[j];
            continue;
        }
        for (int k = 0; k < p; ++k) {
            if (std::fabs(vectors(k, j)) > kNullShare) c.determined[static_cast<std::size_t>(k)] = false;
        }
    }
    for (int k = 0; k < p; ++k) {
        if (scale[k] == 0.0) c.determined[static_cast<std::size_t>(k)] = false;
    }
    const Matrix pseudoInverse = scale.asDiagonal() * inverse * scale.asDiagonal();
    const Vector step = -(pseudoInverse * (jacobian.transpose() * residuals));
    c.step.assign(step.data(), step.data() + p);
    const Matrix covariance = c.reducedCost * pseudoInverse;
    c.matrix.assign(static_cast<std::size_t>(p) * p, std::numeric_limits<double>::quiet_NaN());
    for (int a = 0; a < p; ++a) {
        for (int b = 0; b < p; ++b) {
            if (c.determined[static_cast<std::size_t>(a)] && c.determined[static_cast<std::size_t>(b)])
                c.matrix[static_cast<std::size_t>(a * p + b)] = covariance(a, b);
        }
    }
    return c;
}

}  // namespace vortlan
