#pragma once
// The C 1s series the batch benchmarks fit: spectrum i of a series is the same oxidised carbon surface
// (four components on a Shirley-type step, 301 points from 295 to 280 eV) with its peaks moved and
// scaled a little and noise of its own, all from seeds fixed by i, so a series of any length starts
// with the same spectra.

#include "synthetic_spectrum.h"

namespace vortlan::synthetic {

// The series' spectrum i (from 0).
RegionRecipe batchC1sRecipe(int i);

// The nominal components, which the model starts from.
const std::vector<Component>& batchC1sComponents();

}  // namespace vortlan::synthetic
