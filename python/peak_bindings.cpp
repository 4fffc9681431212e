// Peaks from Python: every change goes through the peak dialog or the constraint dialog as a user
// would make it, so that the same checks refuse and the same corrections apply.

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <pybind11/stl.h>

#include "base/number_text.h"
#include "model/peak_shapes.h"
#include "python/bindings.h"
#include "python/dialog_steps.h"
#include "session/constraint_dialog.h"
#include "session/peak_dialog.h"
#include "session/spectrum_commands.h"

namespace vortlan::python {

namespace {

constexpr std::array<const char*, 4> kOperators = {"+", "-", "*", "/"};

// The Python name of a peak type and the letter the dialog's type list shows for it.
struct TypeName {
    const char* python;
    const char* dialog;
};
constexpr std::array<TypeName, 4> kTypeNames = {{{"singlet", "s"}, {"p", "p"}, {"d", "d"}, {"f", "f"}}};

std::string dialogTypeOf(const std::string& name) {
    for (const TypeName& type : kTypeNames) {
        if (name == type.python) return type.dialog;
    }
    throw py::value_error("a peak type is singlet, p, d or f, not \"" + name + "\"");
}

std::string pythonTypeOf(short type) {
    const std::string letter = peakTypeText(type);
    for (const TypeName& name : kTypeNames) {
        if (letter == name.dialog) return name.python;
    }
    return "singlet";
}

// Opens the peak, lets `fill` type into the dialog, and accepts it.
void editPeak(const PeakRef& peak, const std::function<void(PeakDialog&)>& fill) {
    Project& project = *peak.project;
    beginCommand(project);
    openPeak(peak);
    fill(project.session().dialogs.peak);
    acceptPeak(project);
}

void setBox(const PeakRef& peak, std::string PeakDialog::*box, double value, const char* what) {
    const std::string text = boxText(value, what);
    editPeak(peak, [&](PeakDialog& d) { d.*box = text; });
}

int& checkOf(PeakDialog& d, PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return d.ChkPos;
        case PeakParam::Area:
            return d.ChkArea;
        case PeakParam::Fwhm:
            return d.ChkFWHM;
        case PeakParam::Gl:
            break;
    }
    return d.ChkGL;
}

void setFixed(const PeakRef& peak, const std::map<std::string, bool>& flags) {
    std::array<std::optional<bool>, 4> wanted;
    for (const auto& [name, fixed] : flags) wanted[static_cast<std::size_t>(paramNamed(name))] = fixed;
    editPeak(peak, [&](PeakDialog& d) {
        for (PeakParam param : kPeakParams) {
            if (const auto fixed = wanted[static_cast<std::size_t>(param)])
                checkOf(d, param) = *fixed ? 1 : 0;
        }
    });
}

py::dict fixedFlags(const PeakRef& peak) {
    const Peak& p = definedPeak(peak);
    py::dict flags;
    for (PeakParam param : kPeakParams)
        flags[kParamNames[static_cast<std::size_t>(param)]] = isFixed(p, param);
    return flags;
}

// The dialog has no height box: the area that gives the height with the peak's present shape is typed
// instead, as the command-line tool does.
void setHeight(const PeakRef& peak, double height) {
    boxText(height, "height");
    Project& project = *peak.project;
    const Workspace& ws = project.session().workspace;
    const Peak& p = definedPeak(peak);
    const float area = areaFromHeight(lineFormOf(ws.options), static_cast<float>(height), p.fwhm, p.gl,
                                      p.type, p.ts, p.tl, ws.regions.at(p.region).heightUnit);
    setBox(peak, &PeakDialog::AreaVal, area, "the area for that height");
}

void setTail(const PeakRef& peak, const std::pair<double, double>& tail) {
    const std::string ts = boxText(tail.first, "ts");
    const std::string tl = boxText(tail.second, "tl");
    editPeak(peak, [&](PeakDialog& d) {
        d.TSVal = ts;
        d.TLVal = tl;
    });
}

// The constraint dialog of one parameter, filled by `fill` and accepted; then the peak dialog's Accept
// carries the new relation to the peak's value at once.
void editConstraint(const PeakRef& peak, const std::string& name,
                    const std::function<void(ConstraintDialog&)>& fill) {
    const PeakParam param = paramNamed(name);
    Project& project = *peak.project;
    Session& session = project.session();
    beginCommand(project);
    openPeak(peak);
    openConstraintEditor(session, param);
    fill(session.dialogs.constraint);
    if (!acceptConstraintEdit(session)) {
        const std::vector<std::string> said = project.port().takeMessages();
        session.port.hideWindow(Window::Constraint);
        cancelPeakDialog(session);
        project.port().messages = said;
        project.port().refuse("the constraint dialog refused the values");
    }
    acceptPeak(project);
}

int referenceNumber(const PeakRef& peak, const py::object& reference) {
    if (py::isinstance<PeakRef>(reference)) {
        const PeakRef& ref = reference.cast<const PeakRef&>();
        if (ref.project != peak.project)
            throw py::value_error("the reference peak belongs to another project");
        return ref.index;
    }
    return reference.cast<int>();
}

void tie(const PeakRef& peak, const std::string& param, const py::object& reference, const std::string& op,
         double operand) {
    if (std::find(kOperators.begin(), kOperators.end(), op) == kOperators.end())
        throw py::value_error("a tie's operator is +, -, * or /, not \"" + op + "\"");
    const std::string ref = std::to_string(referenceNumber(peak, reference));
    const std::string value = boxText(operand, "operand");
    editConstraint(peak, param, [&](ConstraintDialog& d) {
        d.Use = 1;
        d.RefPeak = ref;
        d.ArgType = op;
        d.Arg = value;
    });
}

void limit(const PeakRef& peak, const std::string& param, double low, double high) {
    const std::string lowText = boxText(low, "low");
    const std::string highText = boxText(high, "high");
    editConstraint(peak, param, [&](ConstraintDialog& d) {
        d.Range = 1;
        d.Low = lowText;
        d.High = highText;
    });
}

py::object linkOf(const ParamConstraint& c) {
    if (!isTrue(c.linked)) return py::none();
    py::dict link;
    link["peak"] = static_cast<int>(c.refPeak);
    link["op"] = c.op >= 0 && c.op < 4 ? kOperators[static_cast<std::size_t>(c.op)] : "+";
    link["operand"] = c.operand;
    return link;
}

py::dict constraintsOf(const PeakRef& peak) {
    definedPeak(peak);
    const PeakConstraints& all = peak.project->session().workspace.constraints[peak.index];
    py::dict result;
    for (PeakParam param : kPeakParams) {
        const ParamConstraint& c = all.of(param);
        py::dict entry;
        entry["tie"] = linkOf(c);
        entry["limits"] = isTrue(c.limited) ? py::object(py::make_tuple(c.low, c.high)) : py::none();
        result[kParamNames[static_cast<std::size_t>(param)]] = entry;
    }
    return result;
}

// "Add Peak", then the new peak's dialog filled and accepted.  A value the dialog refuses deletes the
// new peak again, so that a refused call leaves the region as it was.
PeakRef addPeak(const RegionRef& region, std::optional<double> position, std::optional<double> area,
                std::optional<double> fwhm, std::optional<double> gl, const std::string& type,
                std::optional<double> splitting) {
    const std::string typeLetter = dialogTypeOf(type);
    const auto typed = [](std::optional<double> value, const char* what) {
        return value ? std::optional<std::string>(boxText(*value, what)) : std::nullopt;
    };
    const auto positionText = typed(position, "position"), areaText = typed(area, "area"),
               fwhmText = typed(fwhm, "fwhm"), glText = typed(gl, "gl"),
               splittingText = typed(splitting, "splitting");
    Project& project = *region.project;
    Session& session = project.session();
    beginCommand(project);
    selectFittedRegion(project, region.index);
    if (!addPeak(session)) {
        const bool regionFull = session.workspace.regions[region.index].peakCount >= kPeaksPerRegion;
        throw Refused(regionFull ? regionName(region.index) + " already holds 10 peaks"
                                 : "all 51 peaks are in use");
    }
    const PeakRef peak = PeakRef::to(region.project, session.workspace.currentPeak);
    PeakDialog& d = session.dialogs.peak;
    if (positionText) d.PosVal = *positionText;
    if (areaText) d.AreaVal = *areaText;
    if (fwhmText) d.FWHMVal = *fwhmText;
    if (glText) d.GLVal = *glText;
    if (splittingText) d.SplittingVal = *splittingText;
    d.PeakType = typeLetter;
    acceptPeakDialog(session);
    if (project.port().window(Window::Peak).visible) {
        const std::vector<std::string> said = project.port().takeMessages();
        deletePeakFromDialog(session);
        project.port().messages = said;
        project.port().refuse("the peak dialog refused the values");
    }
    warnMessages(project);
    return peak;
}

void deletePeak(const RegionRef& region, const PeakRef& peak) {
    if (peak.project != region.project || definedPeak(peak).region != region.index)
        throw py::value_error("peak " + std::to_string(peak.index) + " is not a peak of " +
                              regionName(region.index));
    beginCommand(*peak.project);
    openPeak(peak);
    deletePeakFromDialog(peak.project->session());
    ++peak.project->peakDeletions[static_cast<std::size_t>(peak.index)];
    warnMessages(*peak.project);
}

py::list peaksOf(const RegionRef& region) {
    const Region& r = region.project->session().workspace.regions.at(region.index);
    py::list peaks;
    for (int slot = 0; slot < r.peakCount; ++slot)
        peaks.append(PeakRef::to(region.project, r.peakSlots[slot]));
    return peaks;
}

std::string labelOf(const Peak& p) {
    std::string label = p.label.str();
    label.erase(label.find_last_not_of(std::string(" \0", 2)) + 1);
    return label;
}

// A property read from the peak's record and written through one box of the peak dialog.
template <typename Value>
void boxProperty(PeakClass& peak, const char* name, Value Peak::*field, std::string PeakDialog::*box,
                 const char* doc) {
    peak.def_property(
        name, [field](const PeakRef& self) { return definedPeak(self).*field; },
        [box, name](const PeakRef& self, double value) { setBox(self, box, value, name); }, doc);
}

}  // namespace

void bindPeaks(RegionClass& region, PeakClass& peak) {
    region.def_property_readonly("peaks", &peaksOf,
                                 "The region's peaks (Peak), in the order of their slots.");
    region.def(
        "add_peak", &addPeak, py::arg("position") = py::none(), py::arg("area") = py::none(),
        py::arg("fwhm") = py::none(), py::arg("gl") = py::none(), py::arg("type") = "singlet",
        py::arg("splitting") = py::none(),
        "Adds a peak as \"Add Peak\" does (at the centre of the fit range, 50 height units high), then\n"
        "types the values given into its peak dialog and accepts it.  type is \"singlet\", \"p\", \"d\"\n"
        "or \"f\".  Returns the new Peak.  The region needs an accepted background; a value the peak\n"
        "dialog refuses raises vortlan.Error with its message and adds no peak.");
    region.def("delete_peak", &deletePeak, py::arg("peak"),
               "Deletes one of the region's peaks, as \"Delete Peak\" does.");

    peak.def_property_readonly(
        "number", [](const PeakRef& self) { return self.index; },
        "The peak's number in the peak table, as its button shows it.");
    peak.def_property_readonly(
        "region",
        [](const PeakRef& self) {
            return RegionRef{self.project, definedPeak(self).region};
        },
        "The Region the peak belongs to.");
    peak.def_property_readonly(
        "label", [](const PeakRef& self) { return latin1Text(labelOf(definedPeak(self))); },
        "The peak's label.");
    boxProperty(peak, "position", &Peak::position, &PeakDialog::PosVal, "Binding energy of the peak (eV).");
    boxProperty(peak, "fwhm", &Peak::fwhm, &PeakDialog::FWHMVal,
                "Full width at half maximum (eV); must be > 0.");
    boxProperty(peak, "area", &Peak::area, &PeakDialog::AreaVal, "The peak's area.");
    boxProperty(
        peak, "gl", &Peak::gl, &PeakDialog::GLVal,
        "%GL, 0 (Gaussian) to 100 (Lorentzian); a value between whole numbers is rounded as the dialog "
        "rounds it.");
    boxProperty(peak, "splitting", &Peak::splitting, &PeakDialog::SplittingVal,
                "Spin-orbit splitting of a p, d or f doublet (eV).");
    peak.def_property(
        "height", [](const PeakRef& self) { return definedPeak(self).height; }, &setHeight,
        "The peak's height in per cent of the region's background-subtracted intensity range; setting it\n"
        "sets the area that gives this height with the peak's shape.");
    peak.def_property(
        "type", [](const PeakRef& self) { return pythonTypeOf(definedPeak(self).type); },
        [](const PeakRef& self, const std::string& type) {
            const std::string letter = dialogTypeOf(type);
            editPeak(self, [&](PeakDialog& d) { d.PeakType = letter; });
        },
        "\"singlet\", or the doublet \"p\", \"d\" or \"f\".");
    peak.def_property(
        "tail",
        [](const PeakRef& self) {
            const Peak& p = definedPeak(self);
            return std::make_pair(p.ts, p.tl);
        },
        &setTail,
        "The asymmetric tail as (ts, tl).  A value beyond the tail's range (ts 0..1, tl 0.01..200) is kept "
        "at the range's end, as the peak dialog keeps it.");
    peak.def_property("fixed", &fixedFlags, &setFixed,
                      "Which parameters the fits leave alone, as a dict {\"position\": bool, \"area\": ..., "
                      "\"fwhm\": ..., \"gl\": ...}; setting a dict changes the flags it names.");
    for (PeakParam param : kPeakParams) {
        const std::string name = kParamNames[static_cast<std::size_t>(param)];
        peak.def_property(("fix_" + name).c_str(),
                          [param](const PeakRef& self) { return isFixed(definedPeak(self), param); },
                          [name](const PeakRef& self, bool fixed) {
                              setFixed(self, {{name, fixed}});
                          },
                          ("Whether the fits leave the " + name + " alone.").c_str());
    }
    peak.def_property_readonly("constraints", &constraintsOf,
                               "The constraints of each parameter: {\"position\": {\"tie\": {\"peak\", "
                               "\"op\", \"operand\"} or None, "
                               "\"limits\": (low, high) or None}, ...}.");
    peak.def(
        "tie", &tie, py::arg("param"), py::arg("reference_peak"), py::arg("op") = "+",
        py::arg("operand") = 0.0,
        "Ties the parameter to the reference peak's: param = reference's param <op> operand, as the\n"
        "constraint dialog sets it.  reference_peak is a Peak or a peak number.  A reference the dialog\n"
        "refuses (a missing peak, the peak itself, a circle of ties, *0 or /0) raises vortlan.Error.");
    peak.def(
        "untie",
        [](const PeakRef& self, const std::string& param) {
            editConstraint(self, param, [](ConstraintDialog& d) { d.Use = 0; });
        },
        py::arg("param"), "Drops the parameter's tie to another peak; its limits stay.");
    peak.def("limit", &limit, py::arg("param"), py::arg("low"), py::arg("high"),
             "Keeps the parameter within low..high in the fits, as the constraint dialog's range; limits\n"
             "the dialog refuses raise vortlan.Error with its message.");
    peak.def(
        "unlimit",
        [](const PeakRef& self, const std::string& param) {
            editConstraint(self, param, [](ConstraintDialog& d) { d.Range = 0; });
        },
        py::arg("param"), "Removes the parameter's limits.");
    peak.def("__repr__", [](const PeakRef& self) {
        const Peak& p = self.project->session().workspace.peaks.at(self.index);
        const std::string where =
            isTrue(p.defined) ? " at " + shortNumberText(p.position) + " eV" : " (deleted)";
        return "<vortlan.Peak " + std::to_string(self.index) + where + ">";
    });
}

}  // namespace vortlan::python
