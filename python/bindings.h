#pragma once
// The module's parts, each binding its share of the classes the module defines in module.cpp.

#include <pybind11/pybind11.h>

#include "python/handles.h"

namespace vortlan::python {

namespace py = pybind11;

using ProjectClass = py::class_<Project, ProjectPtr>;
using RegionClass = py::class_<RegionRef>;
using PeakClass = py::class_<PeakRef>;

// open, Project.save, import_spectrum, list_blocks, Project.regions, render.
void bindProjects(py::module_& module, ProjectClass& project, RegionClass& region);
// A region's caption, energies, counts, curves as arrays, and set_background.
void bindRegionData(RegionClass& region);
// Peaks: their values, type, fixed flags and constraints, as the peak and constraint dialogs take them.
void bindPeaks(RegionClass& region, PeakClass& peak);
// Region.fit, Project.fit_all, standard errors, the verdict, quantification, exports.
void bindFitting(ProjectClass& project, RegionClass& region);
// fit_file: one spectrum fitted as a batch fits it, as a plain dict.
void bindFitFile(py::module_& module);

}  // namespace vortlan::python
