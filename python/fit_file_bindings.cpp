#include "python/bindings.h"

namespace vortlan::python {

void bindFitFile(py::module_& module) {}

}  // namespace vortlan::python
