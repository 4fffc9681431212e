#include "python/bindings.h"

namespace vortlan::python {

void bindFitting(ProjectClass& project, RegionClass& region) {}

}  // namespace vortlan::python
