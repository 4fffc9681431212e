// Fits, their results and the exports from Python.  A fit runs with the GIL released; Ctrl+C plays the
// fitting window's "Stop Fitting" and, once the fit has returned with its result so far, is raised.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "fit/drivers.h"
#include "fit/monte_carlo.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "python/bindings.h"
#include "python/dialog_steps.h"
#include "quant/analyser.h"
#include "session/fit_statistics.h"
#include "session/options_dialog.h"
#include "session/quantification.h"
#include "session/spectrum_commands.h"

namespace vortlan::python {

namespace {

// Python looks for Ctrl+C only when it holds the GIL; a fit gives it the chance this often.
constexpr auto kSignalCheckInterval = std::chrono::milliseconds(50);

// While it lives, the Port of the work looks for a pending signal at the fit's yields.  The exception a
// signal handler raised (KeyboardInterrupt for Ctrl+C) is kept until the fit has returned; until then
// the stop is requested again at every yield, since the optimisers look at it only at their checks.
class InterruptWatch {
  public:
    explicit InterruptWatch(const WorkingMark& work) : session_(work.session()), port_(work.port()) {
        port_.onYield = [this] { onYield(); };
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    ~InterruptWatch() {
        port_.onYield = nullptr;
        // Only when raiseKept was never reached (a C++ exception left the fit): the GIL is held here.
        Py_XDECREF(type_);
        Py_XDECREF(value_);
        Py_XDECREF(trace_);
    }

    // Whether a signal handler has raised an exception: looked for now and then, from a thread that
    // does not hold the GIL.
    bool interrupted() {
        lookForSignals();
        return type_ != nullptr;
    }

    // With the GIL held: the exception the signal handler raised, if any, raised now.
    void raiseKept() {
        if (!type_) return;
        PyErr_Restore(std::exchange(type_, nullptr), std::exchange(value_, nullptr),
                      std::exchange(trace_, nullptr));
        throw py::error_already_set();
    }

  private:
    void onYield() {
        lookForSignals();
        if (type_) requestStop(session_.workspace);
    }

    void lookForSignals() {
        const auto now = std::chrono::steady_clock::now();
        if (type_ || now - checked_ < kSignalCheckInterval) return;
        checked_ = now;
        py::gil_scoped_acquire gil;
        if (PyErr_CheckSignals() != 0) PyErr_Fetch(&type_, &value_, &trace_);
    }

    Session& session_;
    PythonPort& port_;
    std::chrono::steady_clock::time_point checked_ = std::chrono::steady_clock::now();
    PyObject* type_ = nullptr;
    PyObject* value_ = nullptr;
    PyObject* trace_ = nullptr;
};

// A message the program said during the work: the work was refused or failed.
void refuseIfSaid(Project& project) {
    if (!project.port().messages.empty()) project.port().refuse("");
}

// Runs the work on the project's session with the GIL released and Ctrl+C watched; then raises what
// Ctrl+C raised, or what the program said.
void runFitting(Project& project, const std::function<void(Session&)>& work) {
    {
        const WorkingMark mark(project);
        InterruptWatch watch(mark);
        {
            py::gil_scoped_release release;
            work(mark.session());
        }
        watch.raiseKept();
    }
    refuseIfSaid(project);
}

// Applies the options dialog as filled; its first refusal raises vortlan.Error.
void applyOptions(Project& project) {
    if (!applyOptionsDialog(project.session()))
        project.port().refuse("the options dialog refused the values");
}

// Overrides typed into the options dialog: "trials" (of the method in use), "tolerance" (per cent) and
// "line_shape" ("sum" or "product").
void applyOverrides(Project& project, const py::dict& overrides) {
    Session& session = project.session();
    loadOptionsDialog(session);
    OptionsDialog& d = session.dialogs.options;
    for (const auto& [key, value] : overrides) {
        const std::string name = py::str(key);
        if (name == "trials") {
            if (d.UseLM) throw py::value_error("Levenberg-Marquardt has no trials to set");
            (d.UseNewton ? d.NewtonTrial : d.SearchTrial) = std::to_string(value.cast<int>());
        } else if (name == "tolerance") {
            d.TolVal = boxText(value.cast<double>(), "tolerance");
        } else if (name == "line_shape") {
            const std::string shape = py::str(value);
            if (shape != "sum" && shape != "product")
                throw py::value_error("line_shape is \"sum\" or \"product\", not \"" + shape + "\"");
            d.GLSum = shape == "sum";
            d.GLProduct = !d.GLSum;
            d.GLSum ? clickGLSum(session) : clickGLProduct(session);
        } else {
            throw py::value_error("the fit options are trials, tolerance and line_shape, not \"" + name +
                                  "\"");
        }
    }
    applyOptions(project);
}

// An option file as "Load Parameters" reads it; the project's own file name stays.
void readOptions(Project& project, const std::string& path) {
    Workspace& ws = project.session().workspace;
    const std::string projectFile = std::exchange(ws.fileName, path);
    const bool read = readOptionFile(project.session());
    ws.fileName = projectFile;
    if (!read) project.port().refuse("Error in reading file");
}

void chooseMethod(Project& project, const std::string& method) {
    if (!chooseMethodNamed(project.session(), method))
        throw py::value_error("a fit method is lm, newton or search, not \"" + method + "\"");
}

// The option file first, then the method, then the overrides, which may set the trials of that method.
// What they set stays the project's fit options, as the options dialog keeps them.
void setFitOptions(Project& project, const std::optional<std::string>& method, const py::object& options) {
    if (py::isinstance<py::str>(options)) readOptions(project, options.cast<std::string>());
    if (method) chooseMethod(project, *method);
    if (py::isinstance<py::dict>(options)) {
        applyOverrides(project, options.cast<py::dict>());
    } else if (!options.is_none() && !py::isinstance<py::str>(options)) {
        throw py::type_error("options is the path of an option file or a dict of overrides");
    }
    beginCommand(project);
}

void fitRegion(const RegionRef& region, const std::optional<std::string>& method, const py::object& options) {
    Project& project = *region.project;
    beginCommand(project);
    selectFittedRegion(project, region.index);
    setFitOptions(project, method, options);
    runFitting(project, optimiseRegionCommand);
}

void fitAll(Project& project, const std::optional<std::string>& method, const py::object& options) {
    beginCommand(project);
    const Workspace& ws = project.session().workspace;
    bool anyFitted = false;
    for (const Region& r : ws.regions)
        anyFitted = anyFitted || (isTrue(r.defined) && isTrue(r.backgroundSet));
    if (!anyFitted) throw Refused("no region has an accepted background");
    setFitOptions(project, method, options);
    runFitting(project, optimiseAllCommand);
}

py::object errorValue(const StandardError& error) {
    return error.known() ? py::object(py::float_(error.value)) : py::none();
}

py::dict standardErrorsOf(const RegionRef& region) {
    const Workspace& ws = region.project->session().workspace;
    const Region& r = ws.regions.at(region.index);
    py::dict result;
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet)) return result;
    for (const PeakErrors& errors : standardErrors(ws, region.index).peaks) {
        py::dict peak;
        for (PeakParam param : kPeakParams)
            peak[kParamNames[static_cast<std::size_t>(param)]] = errorValue(errors.of(param));
        peak["height"] = errorValue(errors.height);
        result[py::int_(errors.peak)] = peak;
    }
    return result;
}

py::object optionalValue(const std::optional<double>& value) {
    return value ? py::object(py::float_(*value)) : py::none();
}

py::dict fitStatisticsOfRegion(const RegionRef& region) {
    const Workspace& ws = region.project->session().workspace;
    const Region& r = ws.regions.at(region.index);
    py::dict result;
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet)) return result;
    const FitStatistics s = fitStatisticsOf(standardErrors(ws, region.index));
    result["reduced_chi_square"] = optionalValue(s.reducedChiSquare);
    result["points"] = s.points;
    result["free_parameters"] = s.freeParameters;
    result["residual_rms"] = optionalValue(s.residualRms);
    py::list parameters;
    for (const FreeParameter& p : s.parameters)
        parameters.append(py::make_tuple(p.peak, parameterKey(p.param)));
    result["parameters"] = parameters;
    const auto count = static_cast<py::ssize_t>(s.parameters.size());
    py::array_t<double> correlation({count, count});
    std::copy(s.correlation.begin(), s.correlation.end(), correlation.mutable_data());
    result["correlation"] = correlation;
    return result;
}

const RegionVerdict& heldVerdict(const RegionRef& region) {
    return heldVerdictOf(region.project->session().workspace, region.index);
}

py::object verdictOf(const RegionRef& region) {
    const RegionVerdict& held = heldVerdict(region);
    if (held.verdict == FitVerdict::Unknown) return py::none();
    return py::str(fitVerdictWord(held));
}

py::object restartsOf(const RegionRef& region) {
    const std::string text = restartsText(heldVerdict(region).restarts);
    return text.empty() ? py::object(py::none()) : py::object(py::str(text));
}

// The function a long export asks whether to stop.
using StopCheck = std::function<bool()>;

// An export command of the spectrum window on the region, to `path`; the project's file name stays.
// Ctrl+C during a long one (a report with Monte Carlo replicas) stops it: nothing is written and
// KeyboardInterrupt is raised.
void exportRegion(const RegionRef& region, const std::string& path, bool needsBackground,
                  const std::function<bool(Session&, const StopCheck&)>& command) {
    Project& project = *region.project;
    beginCommand(project);
    needsBackground ? selectFittedRegion(project, region.index) : selectDataRegion(project, region.index);
    const std::string projectFile = std::exchange(project.session().workspace.fileName, path);
    bool written = false;
    {
        const WorkingMark mark(project);
        InterruptWatch watch(mark);
        {
            py::gil_scoped_release release;
            written = command(mark.session(), [&] { return watch.interrupted(); });
        }
        mark.session().workspace.fileName = projectFile;
        watch.raiseKept();
    }
    if (!written) project.port().refuse("Error in writing file");
    beginCommand(project);  // "Data file exported" is no news here
}

// The quantification settings a call may change for itself.
struct QuantChanges {
    std::optional<double> sourceEnergy, imfpExponent, transmissionExponent;
    std::optional<std::string> area;
};

QuantArea areaNamed(const std::string& name) {
    if (const std::optional<QuantArea> area = quantAreaNamed(name)) return *area;
    throw py::value_error("area is \"auto\", \"peaks\" or \"background\", not \"" + name + "\"");
}

QuantSettings changedSettings(QuantSettings settings, const QuantChanges& changes) {
    if (changes.sourceEnergy) {
        if (!(*changes.sourceEnergy > 0) || !std::isfinite(*changes.sourceEnergy))
            throw py::value_error("source_energy must be a positive number");
        settings.sourceEnergy = *changes.sourceEnergy;
    }
    for (const auto& [change, setting, name] :
         {std::tuple{changes.imfpExponent, &settings.imfpExponent, "imfp_exponent"},
          std::tuple{changes.transmissionExponent, &settings.transmissionExponent,
                     "transmission_exponent"}}) {
        if (!change) continue;
        if (!std::isfinite(*change)) throw py::value_error(std::string(name) + " must be a number");
        *setting = *change;
    }
    if (changes.area) settings.area = areaNamed(*changes.area);
    return settings;
}

std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(std::string(" \0", 2)) + 1);
    return text;
}

py::object optionalNumber(const std::optional<double>& value) {
    return value ? py::object(py::float_(*value)) : py::none();
}

// The numbers of a row; None for a region not counted.
void putNumbers(py::dict& entry, const QuantRow& row, bool counted) {
    const auto known = [counted](double value) {
        return counted ? py::object(py::float_(value)) : py::none();
    };
    entry["area"] = known(row.area);
    entry["area_error"] = counted ? optionalNumber(row.areaError) : py::none();
    entry["factor"] = known(row.factor);
    entry["corrected_area"] = known(row.correctedArea);
    entry["atomic_percent"] = row.sharesTheTotal() ? known(row.atomicPercent) : py::none();
    entry["atomic_percent_error"] = counted ? optionalNumber(row.atomicPercentError) : py::none();
}

// Whether the row stands out of its noise, its limits when it does not, and what else it says.
void putDetection(py::dict& entry, const QuantRegion& region, const QuantRow& row) {
    entry["detected"] = row.detected;
    entry["left_out"] = row.leftOut;
    py::list flags;
    for (const FitFlag& flag : row.flags) flags.append(fitFlagText(flag));
    entry["flags"] = flags;
    entry["upper_limit_area"] = row.detected ? py::none() : py::object(py::float_(row.upperLimitArea));
    entry["upper_limit_percent"] = row.detected ? py::none() : optionalNumber(row.upperLimitPercent);
    py::list notes;
    for (const std::string& note : quantRowNotes(region, row)) notes.append(latin1Text(note));
    entry["notes"] = notes;
}

py::dict regionEntry(const Workspace& ws, const QuantSettings& settings, const QuantRegion& region) {
    const QuantRow& row = region.row;
    py::dict entry;
    entry["region"] = row.region + 1;
    entry["caption"] = latin1Text(trimmed(row.name));
    entry["level"] = row.level.empty() ? py::none() : py::object(py::str(row.level));
    entry["source_energy"] = regionSourceEnergy(ws.regions[row.region], settings);
    entry["excluded"] = region.counted() ? py::none() : py::object(py::str(region.excluded));
    entry["area_used"] = region.counted() ? py::object(py::str(quantAreaName(region.areaUsed))) : py::none();
    putNumbers(entry, row, region.counted());
    entry["noise"] = region.counted() ? py::object(py::str(areaNoiseName(region.noise))) : py::none();
    entry["transmission_divided"] = region.transmissionDivided;
    entry["whole_doublet_counted"] = region.wholeDoubletCounted;
    entry["background_note"] =
        region.backgroundNote.empty() ? py::none() : py::object(py::str(region.backgroundNote));
    putDetection(entry, region, row);
    py::list components;
    for (const QuantRow& component : region.components) {
        py::dict peak;
        peak["peak"] = component.peak;
        peak["label"] = latin1Text(trimmed(component.name));
        putNumbers(peak, component, true);
        putDetection(peak, region, component);
        components.append(peak);
    }
    entry["components"] = components;
    return entry;
}

py::list quantifyProject(Project& project, const QuantChanges& changes) {
    Workspace& ws = project.session().workspace;
    const QuantSettings kept = ws.quantSettings;
    const QuantSettings settings = changedSettings(kept, changes);
    if (const auto refusal = exponentRefusal(ws, settings)) throw py::value_error(*refusal);
    ws.quantSettings = settings;
    Quantification table;
    try {
        table = quantify(ws);
    } catch (...) {
        ws.quantSettings = kept;
        throw;
    }
    ws.quantSettings = kept;
    py::list rows;
    for (const QuantRegion& region : table.regions) rows.append(regionEntry(ws, table.settings, region));
    return rows;
}

}  // namespace

void bindFitting(ProjectClass& project, RegionClass& region) {
    constexpr const char* kOptionsDoc =
        "method is \"lm\", \"newton\" or \"search\" (None: the one the fit options choose).  options is the\n"
        "path of an option file (.opa), read as \"Load Parameters\" reads it, or a dict of overrides:\n"
        "{\"trials\": n (of the method in use), \"tolerance\": per cent, \"line_shape\": \"sum\" | "
        "\"product\"}.\n"
        "The method and options chosen stay the project's fit options.  The GIL is released while fitting;\n"
        "Ctrl+C stops the fit as \"Stop Fitting\" does and raises KeyboardInterrupt, the result so far "
        "kept.\n"
        "A fit the program refuses raises vortlan.Error with its message.";
    region.def(
        "fit", &fitRegion, py::arg("method") = py::none(), py::arg("options") = py::none(),
        (std::string("Fits the region's peaks, as \"Optimise Region\" does.\n") + kOptionsDoc).c_str());
    project.def("fit_all", &fitAll, py::arg("method") = py::none(), py::arg("options") = py::none(),
                (std::string("Fits every region with an accepted background, as \"Optimise All\" does.\n") +
                 kOptionsDoc)
                    .c_str());
    region.def_property_readonly(
        "chi_square",
        [](const RegionRef& self) {
            return self.project->session().workspace.regions.at(self.index).chiSquare;
        },
        "The region's fit statistic χ², as its chi box shows it.");
    region.def_property_readonly(
        "verdict", &verdictOf,
        "\"converged\", \"converged, with flags\", \"still improving\" or \"stopped\" for the last fit, or\n"
        "None when the region has not been fitted since it was changed.");
    region.def_property_readonly(
        "flags", [](const RegionRef& self) { return fitFlagTexts(heldVerdict(self)); },
        "What the last fit found wrong with its peaks, one text a flag (\"peak 3: narrower than the data\n"
        "step\"); empty when nothing, or when the verdict no longer holds.");
    region.def_property_readonly(
        "restarts", &restartsOf,
        "What the last fit did about flagged peaks (\"peak 3 restarted 2 times; kept the best\"), or None.");
    region.def(
        "standard_errors", &standardErrorsOf,
        "The standard errors of the peaks at their present values: {peak number: {\"position\", \"area\",\n"
        "\"fwhm\", \"gl\", \"height\"}}, each a float, or None for a fixed parameter or one the data do not\n"
        "determine.  Empty for a region without an accepted background.");
    region.def(
        "fit_statistics", &fitStatisticsOfRegion,
        "What the standard errors rest on, beside chi_square (Σr²/N, as the chi box shows it):\n"
        "{\"reduced_chi_square\": Σr²/(N - p) of the weighted residuals (None with nothing free or no more\n"
        "points than free parameters), \"points\": N and \"free_parameters\": p of the fit the errors come\n"
        "from (every region tied into it), \"residual_rms\": the root mean square of data - envelope over\n"
        "the fit range, in the data's units, \"parameters\": [(peak, \"position\" | \"area\" | \"fwhm\" |\n"
        "\"gl\")] the free parameters, \"correlation\": their correlation matrix as a NumPy array (NaN where "
        "a\n"
        "parameter is not determined)}.  Empty for a region without an accepted background.");
    region.def(
        "export_dat",
        [](const RegionRef& self, const std::string& path) {
            exportRegion(self, path, false,
                         [](Session& s, const StopCheck&) { return exportSpectrumCommand(s); });
        },
        py::arg("path"),
        "Writes the region as \"Export (Spectrum)\" does; a failed write leaves any old file as it was.");
    region.def(
        "export_par",
        [](const RegionRef& self, const std::string& path) {
            exportRegion(self, path, true,
                         [](Session& s, const StopCheck&) { return exportPeakParametersCommand(s); });
        },
        py::arg("path"), "Writes the peak parameters as \"Export (Peak Parameters)\" does.");
    region.def(
        "export_report",
        [](const RegionRef& self, const std::string& path, int monteCarlo) {
            if (monteCarlo < 0 || monteCarlo > kMaxReplicas)
                throw py::value_error("monte_carlo is 0 to " + std::to_string(kMaxReplicas) + " replicas");
            exportRegion(self, path, true, [monteCarlo](Session& s, const StopCheck& stop) {
                return exportFitReportCommand(s, monteCarlo, stop);
            });
        },
        py::arg("path"), py::arg("monte_carlo") = 0,
        "Writes the fit report (CSV) as \"Export (Fit Report)\" does, with that many Monte Carlo replicas\n"
        "fitted for its error columns (0: none).  Ctrl+C stops the replicas: nothing is written and\n"
        "KeyboardInterrupt is raised.");
    project.def(
        "quantify",
        [](Project& self, std::optional<double> sourceEnergy, std::optional<double> imfpExponent,
           std::optional<double> transmissionExponent, std::optional<std::string> area) {
            return quantifyProject(self, {sourceEnergy, imfpExponent, transmissionExponent, area});
        },
        py::arg("source_energy") = py::none(), py::arg("imfp_exponent") = py::none(),
        py::arg("transmission_exponent") = py::none(), py::arg("area") = py::none(),
        "The atomic concentrations of the regions and their peaks, one dict per region holding data:\n"
        "region, caption, level, source_energy, excluded (why it is not counted, or None), area_used,\n"
        "area, area_error, factor, corrected_area, atomic_percent, atomic_percent_error and components\n"
        "(one dict per peak: peak, label and the same numbers).  A number the data do not determine is\n"
        "None.  detected is False for an area below three times its uncertainty: atomic_percent is then\n"
        "None, upper_limit_area its area plus 3 sigma and upper_limit_percent the at.% that would have\n"
        "beside the detected regions; a region not detected is left out of the sum.  left_out is True for a\n"
        "peak its fit flags (flags, their texts) as outside the range or at a physical bound, whose area\n"
        "its region then does not count.  noise says where a\n"
        "region's area_error comes from (\"fit_errors\", \"counts\", \"counts_from_rate\",\n"
        "\"fit_residuals\", \"data_scatter\"), transmission_divided whether its intensities were divided\n"
        "by the analyser's transmission its file records, whole_doublet_counted whether one spin-orbit\n"
        "component's level holds a background-subtracted area of both, background_note the background\n"
        "drawn where it is not the type accepted (or None), notes what the row says beyond its numbers.\n"
        "The settings given (source_energy in eV, imfp_exponent, transmission_exponent, area\n"
        "\"auto\" | \"peaks\" | \"background\") hold for this call only; exponents that make a region's\n"
        "factor 0 or infinite raise ValueError saying which region.");
}

}  // namespace vortlan::python
