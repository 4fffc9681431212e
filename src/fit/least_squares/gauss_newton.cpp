#include "fit/least_squares/gauss_newton.h"

#include <Eigen/Dense>

namespace vortlan {

namespace {

using Vector = Eigen::VectorXd;
using Matrix = Eigen::MatrixXd;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Of each diagonal element: enough to keep a nearly flat direction still, too little to shorten a
// step along a determined one.
constexpr double kTraceDamping = 1e-9;

}  // namespace

std::optional<std::vector<double>> gaussNewtonPoint(const ResidualFunction& f, const std::vector<double>& x) {
    const int n = f.residualCount();
    const int p = f.variableCount();
    if (p == 0 || static_cast<int>(x.size()) != p) return std::nullopt;
    Vector residuals(n);
    RowMajorMatrix jacobian(n, p);
    if (!f.evaluate(x.data(), residuals.data(), jacobian.data()) || !jacobian.allFinite()) return std::nullopt;
    Matrix normal = Matrix::Zero(p, p);
    normal.selfadjointView<Eigen::Lower>().rankUpdate(jacobian.transpose());
    for (int k = 0; k < p; ++k) normal(k, k) *= 1.0 + kTraceDamping;
    const Vector step = -normal.selfadjointView<Eigen::Lower>().ldlt().solve(jacobian.transpose() * residuals);
    if (!step.allFinite()) return std::nullopt;
    std::vector<double> point = x;
    for (int k = 0; k < p; ++k) point[static_cast<std::size_t>(k)] += step[k];
    return point;
}

}  // namespace vortlan
