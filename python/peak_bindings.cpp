#include "python/bindings.h"

namespace vortlan::python {

void bindPeaks(RegionClass& region, PeakClass& peak) {}

}  // namespace vortlan::python
