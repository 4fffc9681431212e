#include "fit/least_squares/covariance.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vortlan {

namespace {

using Vector = Eigen::VectorXd;
using Matrix = Eigen::MatrixXd;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using ConstRowMajorMap = Eigen::Map<const RowMajorMatrix>;

// Directions along which the scaled normal matrix is this much weaker than its strongest are taken
// as not determined by the data: their variance would be noise of the arithmetic.
constexpr double kConditionLimit = 1e-10;
// A variable with this much of such a direction in it is not determined either.
constexpr double kNullShare = 0.1;

bool matches(const HeldInputs& held, int residuals) {
    const auto size = static_cast<std::size_t>(residuals) * static_cast<std::size_t>(held.count);
    const bool sharedInRange =
        std::all_of(held.sharedNoise.begin(), held.sharedNoise.end(), [&](const HeldInputs::SharedNoise& s) {
            return s.residual >= 0 && s.residual < residuals && s.input >= 0 && s.input < held.count;
        });
    return held.count > 0 && held.residualSlopes.size() == size && sharedInRange &&
           held.covariance.size() ==
               static_cast<std::size_t>(held.count) * static_cast<std::size_t>(held.count);
}

// Mᵀ U for the sparse U of the shared noise: M's rows times the covariances, by input.
template <typename Rows>
Matrix timesSharedNoise(const Rows& m, const HeldInputs& held) {
    Matrix product = Matrix::Zero(m.cols(), held.count);
    for (const HeldInputs::SharedNoise& s : held.sharedNoise)
        product.col(s.input) += s.covariance * m.row(s.residual).transpose();
    return product;
}

// What the held inputs do to the result, with A = (JᵀJ)⁻¹, G = -A JᵀD the result's slopes with
// respect to the inputs and H = -A JᵀU the covariance of the result's own noise with them (U the shared
// noise): they add
// G V Gᵀ + H Gᵀ + G Hᵀ to its covariance, and A J_qᵀ J_q A comes off for the rows q that have no noise
// of their own.  They also leave their noise in the residuals: with I - P the projection the fit
// leaves residuals in, E Σr² = σ² (tr((I - P)(I - Q)) + tr(Dᵀ(I - P)D V) + 2 tr(Dᵀ(I - P)U)), Q the
// quiet rows; dividing Σr² by that, not by N - p, keeps the inputs' noise from being counted twice.
struct HeldEffect {
    Matrix share;
    double degrees = 0;  // what Σr² is divided by for σ²
};

HeldEffect heldEffect(const Matrix& inverseNormal, const RowMajorMatrix& jacobian, const HeldInputs& held) {
    const auto n = jacobian.rows();
    const auto p = jacobian.cols();
    HeldEffect effect;
    effect.degrees = static_cast<double>(n - p);
    Matrix quiet = Matrix::Zero(p, p);
    for (int row : held.withoutOwnNoise) {
        if (row < 0 || row >= n) continue;
        quiet += jacobian.row(row).transpose() * jacobian.row(row);
        effect.degrees -= 1.0 - jacobian.row(row) * inverseNormal * jacobian.row(row).transpose();
    }
    const ConstRowMajorMap slopes(held.residualSlopes.data(), n, held.count);
    const ConstRowMajorMap inputs(held.covariance.data(), held.count, held.count);
    const Matrix jd = jacobian.transpose() * slopes;
    const Matrix g = -inverseNormal * jd;
    const Matrix h = -inverseNormal * timesSharedNoise(jacobian, held);
    const Matrix hg = h * g.transpose();
    effect.share = g * inputs * g.transpose() + hg + hg.transpose() - inverseNormal * quiet * inverseNormal;
    const Matrix leftBySlopes = slopes.transpose() * slopes + jd.transpose() * g;
    const Matrix leftByShared = timesSharedNoise(slopes, held) + jd.transpose() * h;
    effect.degrees += leftBySlopes.cwiseProduct(inputs.transpose()).sum() + 2.0 * leftByShared.trace();
    return effect;
}

std::vector<double> determinedEntries(const Matrix& m, const std::vector<bool>& determined) {
    const auto p = static_cast<int>(determined.size());
    std::vector<double> entries(static_cast<std::size_t>(p) * p, std::numeric_limits<double>::quiet_NaN());
    for (int a = 0; a < p; ++a) {
        for (int b = 0; b < p; ++b) {
            if (determined[static_cast<std::size_t>(a)] && determined[static_cast<std::size_t>(b)])
                entries[static_cast<std::size_t>(a * p + b)] = m(a, b);
        }
    }
    return entries;
}

}  // namespace

std::optional<Covariance> covarianceAt(const ResidualFunction& f, const std::vector<double>& x,
                                       const HeldInputs& held) {
    const int n = f.residualCount();
    const int p = f.variableCount();
    if (p == 0 || n <= p || static_cast<int>(x.size()) != p) return std::nullopt;
    Vector residuals(n);
    RowMajorMatrix jacobian(n, p);
    if (!f.evaluate(x.data(), residuals.data(), jacobian.data()) || !jacobian.allFinite())
        return std::nullopt;

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
    const Matrix inverseNormal = scale.asDiagonal() * inverse * scale.asDiagonal();
    const Vector step = -(inverseNormal * (jacobian.transpose() * residuals));
    c.step.assign(step.data(), step.data() + p);
    HeldEffect effect{Matrix::Zero(p, p), static_cast<double>(n - p)};
    if (matches(held, n)) effect = heldEffect(inverseNormal, jacobian, held);
    c.noiseScale = effect.degrees > 0.0 ? residuals.squaredNorm() / effect.degrees : c.reducedCost;
    c.matrix = determinedEntries(c.noiseScale * (inverseNormal + effect.share), c.determined);
    c.heldShare = determinedEntries(c.noiseScale * effect.share, c.determined);
    return c;
}

}  // namespace vortlan
