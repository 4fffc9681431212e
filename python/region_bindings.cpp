// A region from Python: its names, its spectrum and curves as NumPy arrays, and its background as the
// background dialog's Accept sets it.

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "python/bindings.h"
#include "python/project_session.h"
#include "session/background_dialog.h"
#include "session/region_operations.h"
#include "workspace/acquisition.h"
#include "workspace/limits.h"

namespace vortlan::python {

namespace {

using FloatArray = py::array_t<float>;

Region& regionOf(const RegionRef& ref) {
    return ref.project->session().workspace.regions[ref.index];
}

// Stored captions are padded with blanks to 20 characters.
std::string captionOf(const RegionRef& ref) {
    std::string caption = regionOf(ref).caption.str();
    caption.erase(caption.find_last_not_of(' ') + 1);
    return caption;
}

// Points 1..count of the array (element 0 holds no data), read-only, on the project's own storage:
// the array keeps the project alive.  Only for the spectrum: only an import or an opened file
// reallocates it, and neither happens to a project Python holds (they make new projects).
FloatArray viewOf(const RegionRef& ref, const PointArray& points, int count) {
    const py::ssize_t n = points.holds(count) && count > 0 ? count : 0;
    FloatArray view({n}, {static_cast<py::ssize_t>(sizeof(float))}, n > 0 ? points.data() + 1 : nullptr,
                    py::cast(ref.project));
    view.attr("flags").attr("writeable") = false;
    return view;
}

// Points 1..count of the array, copied: arrays the fit range or the peaks reallocate.
FloatArray copyOf(const PointArray& points, int count) {
    const py::ssize_t n = points.holds(count) && count > 0 ? count : 0;
    FloatArray copy(n);
    if (n > 0) std::copy(points.data() + 1, points.data() + 1 + n, copy.mutable_data());
    return copy;
}

// The fit range's points, none before a background has been accepted.
int rangeCountOf(const Region& r) {
    return isTrue(r.backgroundSet) ? r.rangeCount : 0;
}

FloatArray rangeCopy(const RegionRef& ref, PointArray Region::*array) {
    const Region& r = regionOf(ref);
    return copyOf(r.*array, rangeCountOf(r));
}

py::dict peakCurves(const RegionRef& ref) {
    const Workspace& ws = ref.project->session().workspace;
    const Region& r = ws.regions[ref.index];
    py::dict curves;
    for (int slot = 0; slot < r.peakCount; ++slot) {
        const int peak = r.peakSlots[slot];
        curves[py::int_(peak)] = copyOf(ws.peaks[peak].curve, rangeCountOf(r));
    }
    return curves;
}

std::string regionText(const RegionRef& ref) {
    const std::string caption = captionOf(ref);
    return "<vortlan.Region " + std::to_string(ref.index + 1) +
           (caption.empty() ? "" : " '" + caption + "'") + ": " + std::to_string(regionOf(ref).pointCount) +
           " points>";
}

// A number as the user would type it into a box: the shortest text that reads back as the value.
std::string boxText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string backgroundTypeText(const std::string& type) {
    if (type == "shirley") return "Shirley";
    if (type == "linear") return "Linear";
    if (type == "tougaard") return "Tougaard";
    throw Refused("unknown background type " + type + "; shirley, linear or tougaard");
}

// The dialog opened on the region, its boxes typed into where a value is given, and Accept clicked.
void setBackground(const RegionRef& ref, const std::optional<std::string>& type, std::optional<double> low,
                   std::optional<double> high, std::optional<int> average, std::optional<double> slope,
                   std::optional<double> b1) {
    const std::optional<std::string> typeText =
        type ? std::optional<std::string>(backgroundTypeText(*type)) : std::nullopt;
    Project& project = *ref.project;
    Session& session = project.session();
    project.port().takeMessages();
    selectRegion(session, ref.index);
    openBackgroundDialog(session);
    BackgroundDialog& d = session.dialogs.background;
    if (typeText) d.BG = *typeText;
    if (low) d.LBE = boxText(*low);
    if (high) d.HBE = boxText(*high);
    if (average) d.AverPt = *average == 1 ? "None" : std::to_string(*average);
    if (slope) d.ShirleySlope = boxText(*slope);
    if (b1) d.TouB1 = boxText(*b1);
    if (!acceptBackground(session)) {
        const std::string why = d.RefusalNote;
        project.port().refuse(why.empty() ? "the background was not accepted" : why);
    }
    warnMessages(project);
    // A value the dialog put back to its default (too large to store) is taken, corrected: the user
    // is told as the dialog tells its user.
    if (!d.RefusalNote.empty()) warn(d.RefusalNote);
}

std::optional<FloatArray> transmissionOf(const RegionRef& ref) {
    const std::vector<float>& t = regionOf(ref).acquisition.transmission;
    if (t.empty()) return std::nullopt;
    FloatArray copy(static_cast<py::ssize_t>(t.size()));
    std::copy(t.begin(), t.end(), copy.mutable_data());
    return copy;
}

}  // namespace

void bindRegionData(RegionClass& region) {
    region.def("__repr__", &regionText);
    region.def_property_readonly(
        "number", [](const RegionRef& ref) { return ref.index + 1; },
        "The region's number as the program shows it, from 1.");
    region.def_property_readonly("caption", &captionOf, "The region's caption (at most 20 characters).");
    region.def_property_readonly(
        "core_level", [](const RegionRef& ref) { return regionOf(ref).coreLevel; },
        "The element and core level the region measures (\"Ti 2p3/2\"); empty when not known.");
    region.def_property_readonly(
        "intensity_unit", [](const RegionRef& ref) { return regionOf(ref).intensityUnit; },
        "The unit of the intensities as the imported file names it; empty when it does not say.");
    region.def_property_readonly(
        "dwell_time", [](const RegionRef& ref) { return regionOf(ref).acquisition.dwellTime; },
        "Seconds on each point in each scan, as the imported file records it; None when it does not.");
    region.def_property_readonly(
        "scans", [](const RegionRef& ref) { return regionOf(ref).acquisition.scans; },
        "The number of scans added into the spectrum, as the imported file records it; None when it\n"
        "does not.");
    region.def_property_readonly(
        "transmission", &transmissionOf,
        "The analyser's transmission at each point of energy, as the imported file records it (a\n"
        "float32 copy); None when it records none.  Neither the plot nor the fit uses it.");
    region.def_property_readonly(
        "counts_per_intensity",
        [](const RegionRef& ref) {
            const CountingScale scale = countingScaleOf(regionOf(ref));
            return scale.known() ? std::optional(scale.factor) : std::nullopt;
        },
        "How many counts one unit of intensity is: 1 when the unit says counts, dwell time x scans for\n"
        "a count rate whose file records both; None when not known (Monte Carlo errors then scale\n"
        "their noise to the fit's residuals).");
    region.def_property_readonly(
        "energy",
        [](const RegionRef& ref) { return viewOf(ref, regionOf(ref).energy, regionOf(ref).pointCount); },
        "Binding energies (eV) of the whole spectrum, highest first: a read-only float32 view of the\n"
        "project's data (no copy), which keeps the project alive.");
    region.def_property_readonly(
        "counts",
        [](const RegionRef& ref) { return viewOf(ref, regionOf(ref).counts, regionOf(ref).pointCount); },
        "Intensities of the whole spectrum, at the points of energy: a read-only float32 view of the\n"
        "project's data (no copy), which keeps the project alive.");
    region.def_property_readonly(
        "range_energy", [](const RegionRef& ref) { return rangeCopy(ref, &Region::rangeEnergy); },
        "Binding energies (eV) of the fit range, highest first: a float32 copy, empty before a\n"
        "background is accepted.");
    region.def_property_readonly(
        "range_counts", [](const RegionRef& ref) { return rangeCopy(ref, &Region::rangeCounts); },
        "Intensities over the fit range: a float32 copy, empty before a background is accepted.");
    region.def_property_readonly(
        "background", [](const RegionRef& ref) { return rangeCopy(ref, &Region::background); },
        "The background over the fit range: a float32 copy, empty before a background is accepted.");
    region.def_property_readonly(
        "envelope", [](const RegionRef& ref) { return rangeCopy(ref, &Region::envelope); },
        "The background plus every peak over the fit range: a float32 copy, empty before a background\n"
        "is accepted.");
    region.def_property_readonly(
        "residual", [](const RegionRef& ref) { return rangeCopy(ref, &Region::residual); },
        "The data less the envelope over the fit range: a float32 copy, empty before a background is\n"
        "accepted.");
    region.def_property_readonly(
        "peak_curves", &peakCurves,
        "Each peak's curve (the peak plus the background) over the fit range, as a\n"
        "dict from the peak's number in the peak table (from 0, as vortlan-cli numbers them) to a\n"
        "float32 copy.");
    region.def(
        "set_background", &setBackground, py::arg("type") = py::none(), py::arg("low") = py::none(),
        py::arg("high") = py::none(), py::arg("average") = py::none(), py::arg("slope") = py::none(),
        py::arg("b1") = py::none(),
        "Sets the fit range and background as the background dialog's Accept does.  type:\n"
        "\"shirley\", \"linear\" or \"tougaard\".  low, high: the range's binding energies (eV);\n"
        "average: the points averaged at its ends (1, 3, 5, 7 or 9); slope: the Shirley linear\n"
        "term; b1: the Tougaard B1.  What is not given keeps what the dialog shows for the region:\n"
        "its accepted settings, or the whole data range.  The peaks keep their areas.  A value the\n"
        "dialog refuses raises vortlan.Error with its message; one it corrects and takes (a number too\n"
        "large to store) gives a warning.");
}

}  // namespace vortlan::python
