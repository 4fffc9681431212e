#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <optional>
#include <utility>

#include "fit/verdict.h"
#include "python/bindings.h"
#include "python/file_import.h"
#include "session/spectrum_fit.h"
#include "session/startup.h"

namespace vortlan::python {

namespace {

constexpr int kRegion = 0;
constexpr const char* kErrorNames[] = {"position_err", "area_err", "fwhm_err", "gl_err"};

// The fitted range's points, as the fit saw them.
struct FitArrays {
    std::vector<float> energy, counts, background, envelope;
    std::vector<std::vector<float>> peakCurves;  // in slot order
};

struct FileFit {
    SpectrumFit fit;
    std::string blockLabel;
    std::optional<FitArrays> arrays;
};

std::vector<float> rangeValues(const PointArray& values, int count) {
    if (!values.holds(count)) return {};
    return {values.data() + 1, values.data() + 1 + count};
}

FitArrays arraysOf(const Workspace& ws) {
    const Region& r = ws.regions[kRegion];
    FitArrays arrays{rangeValues(r.rangeEnergy, r.rangeCount),
                     rangeValues(r.rangeCounts, r.rangeCount),
                     rangeValues(r.background, r.rangeCount),
                     rangeValues(r.envelope, r.rangeCount),
                     {}};
    for (int slot = 0; slot < r.peakCount; ++slot)
        arrays.peakCurves.push_back(rangeValues(ws.peaks[r.peakSlots[slot]].curve, r.rangeCount));
    return arrays;
}

std::string refusalText(PythonPort& port, const std::string& reason, const std::string& path) {
    std::string text;
    for (const std::string& said : port.takeMessages()) text += (text.empty() ? "" : "\n") + said;
    if (!reason.empty()) text += (text.empty() ? "" : "\n") + reason;
    return text.empty() ? path + ": skipped" : text;
}

// In a session of its own, started as the program starts; throws Refused where a batch would skip.
FileFit fitInSession(const std::string& path, const SpectrumFitSettings& settings, std::optional<int> block,
                     bool arrays) {
    PythonPort port;
    Session session{port};
    startUp(session);
    FileFit result;
    try {
        result.fit = fitSpectrum(session, settings, [&] {
            if (block)
                result.blockLabel = importFileBlock(session, path, *block);
            else
                importWholeFile(session, path);
        });
    } catch (const std::exception& refused) {
        throw Refused(refusalText(port, refused.what(), path));
    }
    if (arrays) result.arrays = arraysOf(session.workspace);
    return result;
}

py::object cell(float value) {
    return std::isnan(value) ? py::object(py::none()) : py::object(py::float_(static_cast<double>(value)));
}

py::array_t<float> array(const std::vector<float>& values) {
    return py::array_t<float>(static_cast<py::ssize_t>(values.size()), values.data());
}

py::array_t<float> matrix(const std::vector<std::vector<float>>& rows, std::size_t columns) {
    py::array_t<float> out({static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(columns)});
    auto view = out.mutable_unchecked<2>();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < columns; ++j) view(i, j) = j < rows[i].size() ? rows[i][j] : 0.0f;
    return out;
}

// The keys and values of the summary's row, in the order of its columns.
py::dict rowDict(const std::string& path, std::optional<int> block, const FileFit& result) {
    const SpectrumFit& fit = result.fit;
    py::dict row;
    row["file"] = path;
    if (block) {
        row["block"] = *block;
        row["block_label"] = result.blockLabel;
    }
    row["chi_square"] = cell(fit.chiSquare);
    double total = 0.0;
    for (const PeakRow& p : fit.peaks) total += p.area;
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const PeakRow& p = fit.peaks[k];
        const std::string prefix = "peak" + std::to_string(k + 1) + "_";
        row[py::str(prefix + "position")] = cell(p.position);
        row[py::str(prefix + "area")] = cell(p.area);
        row[py::str(prefix + "fwhm")] = cell(p.fwhm);
        row[py::str(prefix + "gl")] = p.gl;
        row[py::str(prefix + "share")] =
            cell(total != 0.0 ? static_cast<float>(p.area / total) : std::nanf(""));
        for (std::size_t e = 0; e < p.errors.size(); ++e)
            row[py::str(prefix + kErrorNames[e])] = cell(p.errors[e]);
    }
    for (std::size_t k = 0; fit.hasLevel && k < fit.peaks.size(); ++k) {
        const std::string prefix = "peak" + std::to_string(k + 1) + "_";
        row[py::str(prefix + "atomic_percent")] = cell(fit.peaks[k].atomicPercent);
        row[py::str(prefix + "atomic_percent_err")] = cell(fit.peaks[k].atomicPercentError);
    }
    row["converged"] = fit.converged;
    // One text, as the summary's cell: the row stays a flat table's row.
    row["flags"] = fitFlagsText(fit.flags);
    return row;
}

void addArrays(py::dict& row, const FitArrays& arrays) {
    row["energy"] = array(arrays.energy);
    row["counts"] = array(arrays.counts);
    row["background"] = array(arrays.background);
    row["envelope"] = array(arrays.envelope);
    row["peak_curves"] = matrix(arrays.peakCurves, arrays.energy.size());
}

std::string pathText(const py::object& path) {
    return py::str(py::module_::import("os").attr("fspath")(path));
}

py::dict fitFile(const py::object& pathArgument, const py::object& modelArgument,
                 const std::optional<py::object>& optionsArgument, std::optional<int> block, bool arrays) {
    const std::string path = pathText(pathArgument);
    const SpectrumFitSettings settings{
        pathText(modelArgument), optionsArgument ? pathText(*optionsArgument) : std::string(), {}};
    FileFit result;
    {
        py::gil_scoped_release unlocked;
        result = fitInSession(path, settings, block, arrays);
    }
    py::dict row = rowDict(path, block, result);
    if (result.arrays) addArrays(row, *result.arrays);
    return row;
}

}  // namespace

void bindFitFile(py::module_& module) {
    // Called by vortlan.fit_file, a Python function so that executors can pickle it by its name.
    module.def("_fit_file", &fitFile, py::arg("path"), py::arg("model"), py::arg("options") = py::none(),
               py::arg("block") = py::none(), py::arg("arrays") = false,
               "One spectrum file fitted as a batch fits it; see vortlan.fit_file.");
}

}  // namespace vortlan::python
