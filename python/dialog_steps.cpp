#include "python/dialog_steps.h"

#include <charconv>
#include <cmath>

#include "session/peak_dialog.h"
#include "session/region_operations.h"

namespace vortlan::python {

void beginCommand(Project& project) {
    project.port().takeMessages();
}

void selectDataRegion(Project& project, int region) {
    if (!isTrue(project.session().workspace.regions.at(region).defined))
        throw Refused(regionName(region) + " holds no data");
    selectRegion(project.session(), region);
}

void selectFittedRegion(Project& project, int region) {
    selectDataRegion(project, region);
    if (!isTrue(project.session().workspace.regions[region].backgroundSet))
        throw Refused(regionName(region) + " has no accepted background");
}

const Peak& definedPeak(const PeakRef& peak) {
    const Workspace& ws = peak.project->session().workspace;
    if (peak.index < 0 || peak.index >= kPeakCount || !isTrue(ws.peaks[peak.index].defined) ||
        peak.deletions != peak.project->peakDeletions[static_cast<std::size_t>(peak.index)])
        throw Refused("peak " + std::to_string(peak.index) + " is not defined");
    return ws.peaks[peak.index];
}

void openPeak(const PeakRef& peak) {
    const Peak& p = definedPeak(peak);
    Session& session = peak.project->session();
    const Region& r = session.workspace.regions.at(p.region);
    int slot = 0;
    while (slot < r.peakCount && r.peakSlots[slot] != peak.index) ++slot;
    if (slot == r.peakCount) throw Refused("peak " + std::to_string(peak.index) + " is not defined");
    selectRegion(session, p.region);
    openPeakDialog(session, peakButtonIndex(p.region, slot));
}

void acceptPeak(Project& project) {
    acceptPeakDialog(project.session());
    if (!project.port().window(Window::Peak).visible) {
        const std::string& note = project.session().dialogs.peak.RefusalNote;
        if (!note.empty()) project.port().messages.push_back(note);
        warnMessages(project);
        return;
    }
    const std::vector<std::string> said = project.port().takeMessages();
    cancelPeakDialog(project.session());
    project.port().takeMessages();
    project.port().messages = said;
    project.port().refuse("the peak dialog refused the values");
}

std::string boxText(double value, const char* what) {
    if (!std::isfinite(value)) throw py::value_error(std::string(what) + " must be a finite number");
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

PeakParam paramNamed(const std::string& name) {
    for (PeakParam param : kPeakParams) {
        if (name == kParamNames[static_cast<std::size_t>(param)]) return param;
    }
    throw py::value_error("a peak parameter is position, area, fwhm or gl, not \"" + name + "\"");
}

py::str latin1Text(const std::string& text) {
    PyObject* decoded = PyUnicode_DecodeLatin1(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
    if (!decoded) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

}  // namespace vortlan::python
