#include "quant/measurements.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

std::size_t Measurements::add(const std::vector<double>& blockValues, const std::vector<double>& block,
                              const std::vector<bool>& blockKnown) {
    const std::size_t first = values.size();
    const std::size_t added = blockValues.size();
    const std::size_t n = first + added;
    std::vector<double> grown(n * n, 0.0);
    for (std::size_t a = 0; a < first; ++a) std::copy_n(&covariance[a * first], first, &grown[a * n]);
    for (std::size_t a = 0; a < added; ++a)
        std::copy_n(&block[a * added], added, &grown[(first + a) * n + first]);
    values.insert(values.end(), blockValues.begin(), blockValues.end());
    known.insert(known.end(), blockKnown.begin(), blockKnown.end());
    covariance = std::move(grown);
    return first;
}

std::optional<double> spreadOf(const Derived& f, const Measurements& m) {
    const std::size_t n = m.size();
    std::vector<double> slope(n, 0.0);
    std::vector<double> x = m.values;
    const double value = f(x);
    for (std::size_t i = 0; i < n; ++i) {
        const double variance = m.covariance[i * n + i];
        if (m.known[i] && variance <= 0.0) continue;
        const double h = 1e-6 * std::max({std::fabs(x[i]), std::sqrt(std::max(variance, 0.0)), 1e-30});
        x[i] = m.values[i] + h;
        const double up = f(x);
        x[i] = m.values[i] - h;
        const double down = f(x);
        x[i] = m.values[i];
        slope[i] = (up - down) / (2.0 * h);
        if (!m.known[i] && std::fabs(slope[i] * h) > 1e-12 * std::fabs(value)) return std::nullopt;
    }
    double variance = 0.0;
    for (std::size_t a = 0; a < n; ++a) {
        if (slope[a] == 0.0 || !m.known[a]) continue;
        for (std::size_t b = 0; b < n; ++b) {
            if (m.known[b]) variance += slope[a] * slope[b] * m.covariance[a * n + b];
        }
    }
    if (!(variance >= 0.0) || !std::isfinite(variance)) return std::nullopt;
    return std::sqrt(variance);
}

}  // namespace vortlan
