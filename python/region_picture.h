#pragma once
// Region.render: a region's picture as PNG bytes, drawn as `vortlan-cli render` draws it.

#include "python/bindings.h"

namespace vortlan::python {

void bindRegionPicture(RegionClass& region);

}  // namespace vortlan::python
