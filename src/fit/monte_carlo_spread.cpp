#include "fit/monte_carlo_spread.h"

#include <algorithm>
#include <cmath>

namespace vortlan {

namespace {

// The fractions of a normal distribution below its mean less and plus one standard deviation.
constexpr double kLowerFraction = 0.15865525393145707;
constexpr double kUpperFraction = 0.8413447460685429;

double percentileOfSorted(const std::vector<double>& sorted, double fraction) {
    const double at = fraction * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (at - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

}  // namespace

StandardError standardDeviationOf(const std::vector<double>& values) {
    const std::size_t n = values.size();
    if (n < 2) return {StandardError::Kind::NotDetermined, 0.0};
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(n);
    double squares = 0.0;
    for (double v : values) squares += (v - mean) * (v - mean);
    return {StandardError::Kind::Value, std::sqrt(squares / static_cast<double>(n - 1))};
}

StandardError halfCentralRangeOf(std::vector<double> values) {
    if (values.size() < 2) return {StandardError::Kind::NotDetermined, 0.0};
    std::sort(values.begin(), values.end());
    const double spread =
        percentileOfSorted(values, kUpperFraction) - percentileOfSorted(values, kLowerFraction);
    return {StandardError::Kind::Value, spread / 2.0};
}

}  // namespace vortlan
