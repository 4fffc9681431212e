#include "quant/counted_intensity.h"

#include "model/background_sensitivity.h"
#include "model/peak_shapes.h"
#include "workspace/acquisition.h"

namespace vortlan {

namespace {

// The shares of a peak's area at its position (the main component) and at position + splitting.
struct ComponentShares {
    double main = 1.0;
    double other = 0.0;
};

ComponentShares componentShares(const Peak& peak, const std::optional<CoreLevel>& level) {
    if (peak.type == static_cast<short>(PeakType::Singlet)) return {};
    const double main = mainShare(peak.type);
    if (!level || level->isWhole()) return {main, 1.0 - main};
    if (level->twiceJ == 2 * level->l + 1) return {main, 0.0};
    return {0.0, 1.0 - main};
}

// A peak's energy in the frame of the region's points.
double transmissionNear(const Region& r, double position) {
    return transmissionAt(r, position + r.shift).value_or(1.0);
}

}  // namespace

bool recordsTransmission(const Region& r) {
    return r.pointCount >= 1 && static_cast<int>(r.acquisition.transmission.size()) == r.pointCount;
}

std::vector<double> rangeTransmission(const Region& r) {
    std::vector<double> transmission;
    if (!recordsTransmission(r)) return transmission;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const int raw = rawIndexOfRangePoint(r, i);
        if (raw < 1 || raw > r.pointCount) return {};
        transmission.push_back(r.acquisition.transmission[static_cast<std::size_t>(raw - 1)]);
    }
    return transmission;
}

double peakCoefficient(const Region& r, const Peak& peak, const std::optional<CoreLevel>& level,
                       bool divideByTransmission) {
    const ComponentShares shares = componentShares(peak, level);
    // A whole peak counts exactly once, not as the sum of two rounded shares.
    if (!divideByTransmission)
        return shares.other == 0.0 || shares.main == 0.0 ? shares.main + shares.other : 1.0;
    double coefficient = shares.main / transmissionNear(r, peak.position);
    if (shares.other != 0.0)
        coefficient +=
            shares.other / transmissionNear(r, static_cast<double>(peak.position) + peak.splitting);
    return coefficient;
}

}  // namespace vortlan
