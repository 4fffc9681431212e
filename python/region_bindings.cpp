#include "python/bindings.h"

namespace vortlan::python {

void bindRegionData(RegionClass& region) {}

}  // namespace vortlan::python
