#include "python/region_picture.h"

#include <optional>

#include "python/project_session.h"

namespace vortlan::python {

namespace {

// The picture module, or nothing when the module was built without Qt.
std::optional<py::module_> pictureModule() {
    try {
        return py::module_::import("vortlan._pictures");
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_ImportError)) throw;
        return std::nullopt;
    }
}

py::bytes renderPng(const RegionRef& ref, int width, int height, bool residuals, bool colour) {
    if (width <= 0 || height <= 0) throw Refused("a picture needs a positive width and height");
    const auto pictures = pictureModule();
    if (!pictures) throw Refused("pictures are not available");
    const py::capsule workspace(static_cast<const void*>(&ref.project->session().workspace),
                                "vortlan.Workspace");
    try {
        return pictures->attr("png")(workspace, sizeof(Workspace), ref.index, width, height, residuals,
                                     colour);
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_RuntimeError)) throw;
        throw Refused(py::str(error.value()));
    }
}

}  // namespace

void bindRegionPicture(RegionClass& region) {
    region.def("render", &renderPng, py::arg("width") = 800, py::arg("height") = 500,
               py::arg("residuals") = false, py::arg("colour") = true,
               "The region's plot as PNG bytes, drawn as `vortlan-cli render` draws it: width x height\n"
               "pixels, the residual panel under the plot when residuals is true, the peaks in their\n"
               "palette colours when colour is true (black curves otherwise).  Qt is loaded at the first\n"
               "picture.  Raises vortlan.Error(\"pictures are not available\") when the module was built\n"
               "without Qt.");
}

}  // namespace vortlan::python
