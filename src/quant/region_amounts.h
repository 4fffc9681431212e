#pragma once
// How a counted region's amounts are made from its measurements, and the noise its
// background-subtracted area is measured with.

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "quant/quantification.h"

namespace vortlan {

// The noise of a background-subtracted area: its kind, and the scale s² of a recorded value's
// variance s² × |value| (none when the data cannot give it).
struct BackgroundNoise {
    AreaNoise kind = AreaNoise::Counts;
    std::optional<double> scale;
};

// Counts where the unit or the acquisition gives them; otherwise the scatter of the fit's residuals
// when the region has peaks, else the data's own.
BackgroundNoise backgroundNoiseOf(const Region& region, const RegionFit& fit);

// One counted region: where its measurements lie and how its amounts are made from them.
//   Peaks:      measurements A_k (its peaks' areas);  region = Σ c_k A_k,  peak k = c_k A_k.
//   Background: measurements B, A_k;  region = B,  peak k = B · c_k A_k / Σ c_j A_j.
// c_k is the part of peak k's area the region's level measures, divided by the transmission where
// the table divides by it; B is the background-subtracted area, likewise divided point by point.
// The sums run over the peaks not left out; a peak left out keeps its own part as its amount.
struct CountedRegion {
    std::size_t quantIndex = 0;  // into the table's regions
    QuantArea area = QuantArea::Peaks;
    double factor = 1;
    std::size_t first = 0;  // of its measurements
    std::vector<int> peaks;
    std::vector<double> coefficients;
    std::vector<std::vector<FitFlag>> flags;  // each peak's
    std::vector<bool> leftOut;

    double peakPart(std::size_t k, const std::vector<double>& x) const {
        return coefficients[k] * x[first + peakOffset() + k];
    }
    double peaksSum(const std::vector<double>& x) const {
        double sum = 0.0;
        for (std::size_t k = 0; k < peaks.size(); ++k) {
            if (!leftOut[k]) sum += peakPart(k, x);
        }
        return sum;
    }
    double regionAmount(const std::vector<double>& x) const {
        return area == QuantArea::Peaks ? peaksSum(x) : x[first];
    }
    double peakAmount(std::size_t k, const std::vector<double>& x) const {
        if (area == QuantArea::Peaks || leftOut[k]) return peakPart(k, x);
        const double sum = peaksSum(x);
        return sum == 0.0 ? 0.0 : x[first] * peakPart(k, x) / sum;
    }
    bool everyPeakLeftOut() const {
        return !peaks.empty() && std::all_of(leftOut.begin(), leftOut.end(), [](bool out) { return out; });
    }
    std::size_t peakOffset() const { return area == QuantArea::Peaks ? 0 : 1; }
};

}  // namespace vortlan
