#include "python/bindings.h"

namespace vortlan::python {

void bindProjects(py::module_& module, ProjectClass& project, RegionClass& region) {}

}  // namespace vortlan::python
