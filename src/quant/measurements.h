#pragma once
// The measured numbers a quantification is made of (peak areas, background-subtracted areas) with
// their covariance, and the spread of any number made from them.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace vortlan {

// Block-diagonal, one block per region, since regions are measured independently.
struct Measurements {
    std::vector<double> values;
    std::vector<double> covariance;  // values × values, row-major
    std::vector<bool> known;         // false where the data do not determine a value's spread

    std::size_t size() const { return values.size(); }

    // Appends a region's values, their covariance block and which of them it determines; returns
    // where its first value lies.
    std::size_t add(const std::vector<double>& blockValues, const std::vector<double>& block,
                    const std::vector<bool>& blockKnown);
};

// A number made from the measurements: an amount, a corrected area, an atomic per cent.
using Derived = std::function<double(const std::vector<double>&)>;

// The ±1σ of a derived number by linear propagation, its slopes taken by central differences (the
// numbers are sums and ratios of the measurements, smooth wherever they are defined).  None when it
// depends on a value whose spread is not determined.
std::optional<double> spreadOf(const Derived& f, const Measurements& m);

}  // namespace vortlan
