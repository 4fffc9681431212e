// The `vortlan` Python module.

#include "python/bindings.h"

PYBIND11_MODULE(_vortlan, module) {
    using namespace vortlan::python;
    module.doc() = "Vortlan's fitting engine: projects, spectra, peaks, fits and quantification.";
    py::register_exception<Refused>(module, "Error");
    ProjectClass project(module, "Project", "A project: up to ten regions, their peaks and the fit options.");
    RegionClass region(module, "Region", "One region of a project: a spectrum, its background and its peaks.");
    PeakClass peak(module, "Peak", "One peak of a region.");
    bindProjects(module, project, region);
    bindRegionData(region);
    bindPeaks(region, peak);
    bindFitting(project, region);
    bindFitFile(module);
}
