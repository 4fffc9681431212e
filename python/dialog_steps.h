#pragma once
// The steps the peak bindings and the fit bindings share: what a user does in the windows before a
// command (choosing the region, opening a peak, typing a number), and turning what the program then
// says into vortlan.Error.

#include <array>
#include <string>

#include <pybind11/pybind11.h>

#include "python/handles.h"
#include "python/project_session.h"

namespace vortlan::python {

namespace py = pybind11;

// Begins a command: what the program said before is no part of its answer.
void beginCommand(Project& project);

// The region made current, or vortlan.Error when it holds no data or no accepted background.
void selectDataRegion(Project& project, int region);
void selectFittedRegion(Project& project, int region);

// The peak's record; vortlan.Error when the peak table no longer holds it.
const Peak& definedPeak(const PeakRef& peak);

// A click on the peak's button: its region becomes current and the peak dialog opens on it.
void openPeak(const PeakRef& peak);
// The peak dialog's "Accept".  A value the dialog refuses leaves the peak as it was (the dialog is
// cancelled) and raises vortlan.Error with the program's message; a value it corrects ("TS above 1:
// kept 1") and what the program said meanwhile become Python warnings.
void acceptPeak(Project& project);

// A number as typed into a box: the shortest text that reads back as the same double.  Infinity and
// NaN are no number a box can take: ValueError.
std::string boxText(double value, const char* what);

// The parameters' Python names, in stored order: position, area, fwhm, gl.
inline constexpr std::array<const char*, 4> kParamNames = {"position", "area", "fwhm", "gl"};
// The parameter a Python name names; ValueError for any other name.
PeakParam paramNamed(const std::string& name);

// Text of the core (Latin-1) as a Python str.
py::str latin1Text(const std::string& text);

}  // namespace vortlan::python
