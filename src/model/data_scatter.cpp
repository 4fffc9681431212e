#include "model/data_scatter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/region_curves.h"

namespace vortlan {

namespace {

// The median of |z| for a standard normal z.
constexpr double kMedianAbsoluteNormal = 0.6744897501960817;

// The fourth difference, which a cubic leaves at nothing.
constexpr std::array<double, 5> kStencil = {1.0, -4.0, 6.0, -4.0, 1.0};

}  // namespace

std::optional<double> pointScatterScale(const Region& r) {
    const int first = r.indexAtHigh;
    const int last = r.indexAtHigh + r.rangeCount - 1;
    if (r.rangeCount < static_cast<int>(kStencil.size()) || first < 1 || last > r.pointCount ||
        !r.counts.holds(r.pointCount))
        return std::nullopt;
    // d = Σ c[k] y[i + k] has variance s² Σ c[k]² w[i + k].  A fourth difference leaves the curvature
    // of a line far below the noise, and its median, unlike its mean square, is not moved by the few
    // points under a line too sharp for it.
    std::vector<double> standardised;
    for (int i = first; i + static_cast<int>(kStencil.size()) - 1 <= last; ++i) {
        double d = 0.0;
        double weight = 0.0;
        for (std::size_t k = 0; k < kStencil.size(); ++k) {
            const double y = r.counts[i + static_cast<int>(k)];
            d += kStencil[k] * y;
            weight += kStencil[k] * kStencil[k] * statisticWeight(y);
        }
        standardised.push_back(std::fabs(d) / std::sqrt(weight));
    }
    const auto middle = standardised.begin() + static_cast<std::ptrdiff_t>(standardised.size() / 2);
    std::nth_element(standardised.begin(), middle, standardised.end());
    const double scale = *middle / kMedianAbsoluteNormal;
    return scale * scale;
}

}  // namespace vortlan
