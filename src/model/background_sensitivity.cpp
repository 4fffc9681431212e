#include "model/background_sensitivity.h"

#include <algorithm>
#include <cmath>

#include "model/backgrounds.h"

namespace vortlan {

namespace {

using Slopes = std::vector<double>;  // over range points 1 .. n, element 0 the first

bool drawable(const Region& r) {
    const int n = r.rangeCount;
    return n >= 2 && r.rangeEnergy.holds(n) && r.rangeCounts.holds(n) && r.baseLine.holds(n) &&
           r.background.holds(n) && r.pointCount >= 1 && r.counts.holds(r.pointCount) && r.indexAtHigh >= 1 &&
           r.indexAtHigh + n - 1 <= r.pointCount && r.indexAtLow >= 1 && r.indexAtLow <= r.pointCount;
}

// As averageEndPoints makes the average around a raw point.
std::vector<std::pair<int, double>> windowShares(const Region& r, int centre) {
    const int width = std::max<int>(r.averagePoints, 1);
    const int half = width / 2;
    std::vector<std::pair<int, double>> shares;
    for (int k = -half; k <= half; ++k) {
        const int index = std::clamp(centre + k, 1, static_cast<int>(r.pointCount));
        if (!shares.empty() && shares.back().first == index) {
            shares.back().second += 1.0 / width;
        } else {
            shares.emplace_back(index, 1.0 / width);
        }
    }
    return shares;
}

// The straight line from the first average to the last: a point moves with the nearer end the more.
std::pair<Slopes, Slopes> straightLineSlopes(int n) {
    Slopes first(static_cast<std::size_t>(n)), last(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / (n - 1);
        first[static_cast<std::size_t>(i)] = -(1.0 - t);
        last[static_cast<std::size_t>(i)] = -t;
    }
    first.front() += 1.0;
    last.back() += 1.0;
    return {first, last};
}

// Tougaard's background is L + B1 Σ_d w_d (y_{i+d} - L) with L the last average: it does not see the
// first, and moves with the last by 1 - B1 Σ w_d over the points whose data stay where they are.
std::pair<Slopes, Slopes> tougaardSlopes(const Region& r) {
    const int n = r.rangeCount;
    const std::vector<double> weight = tougaardLossWeights(r);
    Slopes first(static_cast<std::size_t>(n), 0.0), last(static_cast<std::size_t>(n), 0.0);
    first.front() = 1.0;
    double weights = 0.0;  // Σ w_d for d = 1 .. n - i - 1
    for (int i = n - 1; i >= 1; --i) {
        last[static_cast<std::size_t>(i - 1)] = -(1.0 - r.backgroundParam * weights);
        weights += weight[static_cast<std::size_t>(n - i)];
    }
    return {first, last};
}

// Shirley's background is the fixed point of v = a - k C v - s m, k = (a_1 - n s) / (C v)_1, with
// a = data - L, L the last average, (C v)_i = step Σ_{j=i}^{n-1} v_j, m_i = n - i, and data -
// background = v.  Differentiating the fixed point: (I + k C) dv = da - dk c, dk = (da_1 - k (C dv)_1)
// / c_1 with c = C v; I + k C is triangular, so each end costs two passes over the range rather than
// the background's thirty.
class ShirleyTangent {
  public:
    explicit ShirleyTangent(const Region& r) : n_(r.rangeCount), step_(energyStep(r)) {
        Slopes v(static_cast<std::size_t>(n_));
        for (int i = 1; i <= n_; ++i)
            v[static_cast<std::size_t>(i - 1)] = static_cast<double>(r.rangeCounts[i]) - r.background[i];
        c_ = integrated(v);
        const double a1 = static_cast<double>(r.rangeCounts[1]) - r.baseLine[n_];
        k_ = (a1 - n_ * static_cast<double>(r.backgroundParam)) / c_.front();
        q_ = solved(c_);
    }

    bool usable() const { return std::isfinite(k_) && std::isfinite(q_.front()) && step_ != 0.0; }

    // The net slopes for a change da of a = data - L.
    Slopes netSlope(const Slopes& da) const {
        const Slopes p = solved(da);
        const double dk = (da.front() - k_ * sumBelowFirst(p)) / (c_.front() - k_ * sumBelowFirst(q_));
        Slopes dv(p.size());
        for (std::size_t i = 0; i < p.size(); ++i) dv[i] = p[i] - dk * q_[i];
        return dv;
    }

  private:
    // (C x)_1: the integral from the first point to the last.
    double sumBelowFirst(const Slopes& x) const { return step_ * sumTo(x, n_ - 1); }

    static double sumTo(const Slopes& x, int count) {
        double sum = 0.0;
        for (int j = 0; j < count; ++j) sum += x[static_cast<std::size_t>(j)];
        return sum;
    }

    Slopes integrated(const Slopes& x) const {
        Slopes c(x.size(), 0.0);
        double sum = 0.0;
        for (int i = n_ - 2; i >= 0; --i) {
            sum += x[static_cast<std::size_t>(i)];
            c[static_cast<std::size_t>(i)] = step_ * sum;
        }
        return c;
    }

    // x with (I + k C) x = rhs, from the last point back.
    Slopes solved(const Slopes& rhs) const {
        Slopes x(rhs.size());
        x.back() = rhs.back();
        const double kh = k_ * step_;
        double later = 0.0;  // Σ x_j for j after i, up to n - 1
        for (int i = n_ - 2; i >= 0; --i) {
            x[static_cast<std::size_t>(i)] = (rhs[static_cast<std::size_t>(i)] - kh * later) / (1.0 + kh);
            later += x[static_cast<std::size_t>(i)];
        }
        return x;
    }

    int n_;
    double step_;
    Slopes c_;
    double k_ = 0.0;
    Slopes q_;
};

std::pair<Slopes, Slopes> shirleySlopes(const Region& r) {
    const ShirleyTangent tangent(r);
    if (!tangent.usable()) return straightLineSlopes(r.rangeCount);
    const auto n = static_cast<std::size_t>(r.rangeCount);
    Slopes firstChange(n, 0.0), lastChange(n, -1.0);
    firstChange.front() = 1.0;
    lastChange.back() = 0.0;  // the last point is the average, always L above L
    std::pair<Slopes, Slopes> slopes{tangent.netSlope(firstChange), tangent.netSlope(lastChange)};
    const auto finite = [](const Slopes& s) {
        return std::all_of(s.begin(), s.end(), [](double v) { return std::isfinite(v); });
    };
    // A step with almost nothing above it to follow has no tangent worth the name.
    if (!finite(slopes.first) || !finite(slopes.second)) return straightLineSlopes(r.rangeCount);
    return slopes;
}

std::pair<Slopes, Slopes> netSlopes(const Region& r) {
    if (risesTowardLowEnergy(r)) return straightLineSlopes(r.rangeCount);
    switch (static_cast<BackgroundType>(r.backgroundType)) {
        case BackgroundType::Shirley:
            return shirleySlopes(r);
        case BackgroundType::Tougaard:
            return tougaardSlopes(r);
        case BackgroundType::Linear:
            break;
    }
    return straightLineSlopes(r.rangeCount);
}

}  // namespace

std::vector<EndAverageInput> endAverageInputs(const Region& r) {
    if (!drawable(r)) return {};
    auto [first, last] = netSlopes(r);
    return {EndAverageInput{windowShares(r, r.indexAtHigh), std::move(first)},
            EndAverageInput{windowShares(r, r.indexAtLow), std::move(last)}};
}

int rawIndexOfRangePoint(const Region& r, int rangePoint) {
    return r.indexAtHigh + rangePoint - 1;
}

}  // namespace vortlan
