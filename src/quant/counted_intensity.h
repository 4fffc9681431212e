#pragma once
// How much of a region's recorded intensity its quantification counts: the part of a doublet peak's
// area the region's level measures, and each intensity divided by the analyser's transmission where
// the file records it.

#include <optional>
#include <vector>

#include "quant/core_level.h"
#include "workspace/records.h"

namespace vortlan {

// The file recorded a usable transmission for each of the region's points.
bool recordsTransmission(const Region& region);

// The transmission at each range point (point i at index i - 1), read at the raw point it was copied
// from, or at the centre of the end averages.
std::vector<double> rangeTransmission(const Region& region);

// What a peak's area counts for in its region's amount: the share the level measures (the whole peak
// for a whole level or a singlet; for one spin-orbit component, the doublet's component of that j,
// the main one at the peak's position being j = l + 1/2), each component divided by the
// transmission at its energy when `divideByTransmission` is set.
double peakCoefficient(const Region& region, const Peak& peak, const std::optional<CoreLevel>& level,
                       bool divideByTransmission);

}  // namespace vortlan
