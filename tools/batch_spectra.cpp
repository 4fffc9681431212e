#include "batch_spectra.h"

namespace vortlan::synthetic {

const std::vector<Component>& batchC1sComponents() {
    static const std::vector<Component> components{
        {"C-C/C-H", singlet(284.8f, 30000.0f, 1.10f, 25)},
        {"C-O", singlet(286.5f, 9000.0f, 1.20f, 20)},
        {"C=O", singlet(288.2f, 4500.0f, 1.30f, 30)},
        {"O-C=O", singlet(289.6f, 3000.0f, 1.30f, 25)},
    };
    return components;
}

RegionRecipe batchC1sRecipe(int i) {
    RegionRecipe r;
    r.beHigh = 295.0;
    r.step = 0.05;
    r.points = 301;
    r.backgroundLow = 2000;
    r.stepHeight = 600;
    r.slopePerEv = 0;
    // The variation and the noise draw from seeds of their own, so that neither repeats the other.
    const auto seed = static_cast<std::uint32_t>(i);
    FixedRandom variation(2 * seed + 17001);
    r.seed = 2 * seed + 17002;
    for (Component c : batchC1sComponents()) {
        c.shape.position += static_cast<float>(0.16 * (variation.uniform() - 0.5));  // ±0.08 eV
        c.shape.area *= static_cast<float>(0.9 + 0.2 * variation.uniform());       // ±10 %
        r.components.push_back(c);
    }
    return r;
}

}  // namespace vortlan::synthetic
