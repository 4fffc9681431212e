// Projects from Python: opened, saved, started from an imported spectrum; the blocks of a VAMAS file;
// the project's regions and fit options.

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "io/vamas_file.h"
#include "python/bindings.h"
#include "python/project_session.h"
#include "python/region_picture.h"
#include "session/file_imports.h"
#include "session/import_vamas.h"
#include "session/instrument_limit.h"
#include "session/project.h"
#include "session/region_operations.h"
#include "workspace/limits.h"

namespace vortlan::python {

namespace {

namespace fs = std::filesystem;

// The value a float shows as where the tool writes it (its shortest text), so that 295.95 reads as
// 295.95 and not as the float's exact 295.950012...
double shownValue(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    double shown = value;
    std::from_chars(text, end, shown);
    return shown;
}

ProjectPtr openProjectFile(const fs::path& file) {
    const std::string path = file.string();
    ProjectPtr project = startProject();
    project->session().workspace.fileName = path;
    if (!openProject(project->session())) project->port().refuse("cannot open " + path);
    // A project opened without its additions is still the user's project: the notice is a warning.
    warnMessages(*project);
    return project;
}

void saveProjectFile(Project& project, const fs::path& path) {
    project.session().workspace.fileName = path.string();
    if (!saveProject(project.session())) project.port().refuse("cannot save " + path.string());
    warnMessages(project);
}

bool isImportFormat(const std::string& format) {
    for (const char* name : {"vamas", "kratos", "leybold", "phi", "ascii", "auto"}) {
        if (format == name) return true;
    }
    return false;
}

// The spectrum window's import of the format into region 1 (and the following regions for the
// formats that carry several), or the chosen VAMAS block (from 1) as the block chooser takes it.
bool importInto(Session& session, const std::string& format, std::optional<int> block) {
    if (block) return importVamasBlock(session, *block - 1);
    return importFormat(session, format);
}

ProjectPtr importSpectrumFile(const fs::path& file, std::string format, std::optional<int> block) {
    const std::string path = file.string();
    if (!isImportFormat(format))
        throw Refused("unknown format " + format + "; vamas, kratos, leybold, phi, ascii or auto");
    if (format == "auto") {
        const auto sniffed = sniffedFileFormat(path);
        if (const auto* reason = std::get_if<std::string>(&sniffed)) throw Refused(*reason);
        format = std::get<std::string_view>(sniffed);
    }
    if (block && format != "vamas") throw Refused("a block is chosen only in a VAMAS file");
    ProjectPtr project = startProject();
    selectRegion(project->session(), 0);
    project->session().workspace.fileName = path;
    if (!importInto(project->session(), format, block)) project->port().refuse("cannot import " + path);
    warnMessages(*project);
    return project;
}

py::list blockList(const fs::path& file) {
    const std::string path = file.string();
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Refused("cannot read " + path);
    VamasIndex index;
    try {
        index = indexVamas(in);
    } catch (const VamasError& error) {
        throw Refused(path + ": " + error.what());
    }
    py::list blocks;
    for (std::size_t k = 0; k < index.blocks.size(); ++k) {
        const VamasBlockSummary& b = index.blocks[k];
        py::dict row;
        row["block"] = k + 1;
        row["species"] = b.species;
        row["transition"] = b.transition;
        row["technique"] = b.technique;
        row["points"] = b.points;
        row["energy_high"] = shownValue(b.energyHigh);
        row["energy_low"] = shownValue(b.energyLow);
        const std::string why = whyNotImportable(b);
        row["left_out"] = why.empty() ? py::object(py::none()) : py::object(py::str(why));
        blocks.append(row);
        if (!why.empty()) warn(path + ": block " + std::to_string(k + 1) + " left out: " + why);
    }
    if (index.damaged) {
        const std::string said = path + ": block " + std::to_string(index.blocks.size() + 1) +
                                 " cannot be read; the file announces " +
                                 std::to_string(index.layout.blockCount) + " blocks";
        warn(said);
    }
    return blocks;
}

std::string projectText(const ProjectPtr& project) {
    int regions = 0;
    for (const Region& r : project->session().workspace.regions) regions += isTrue(r.defined) ? 1 : 0;
    return "<vortlan.Project: " + std::to_string(regions) + (regions == 1 ? " region>" : " regions>");
}

py::list regionsWithData(const ProjectPtr& project) {
    py::list regions;
    for (int index = 0; index < kRegionCount; ++index) {
        if (isTrue(project->session().workspace.regions[index].defined))
            regions.append(RegionRef{project, index});
    }
    return regions;
}

// The method by the names vortlan-cli gives them; the records keep 0 search, 1 Newton.
const char* methodName(float flag) {
    if (flag == kLeastSquaresMethodFlag) return "lm";
    if (flag == 1) return "newton";
    return "search";
}

py::dict optionsOf(Project& project) {
    const FitOptions& o = project.session().workspace.options;
    py::dict options;
    options["method"] = methodName(o.methodFlag);
    options["search_trials"] = o.searchTrials;
    options["newton_trials"] = o.newtonTrials;
    options["tolerance"] = shownValue(o.tolerance);
    options["gl_form"] = isTrue(o.glSum) ? "sum" : "product";
    return options;
}

}  // namespace

void bindProjects(py::module_& module, ProjectClass& project, RegionClass& region) {
    module.def(
        "open", &openProjectFile, py::arg("path"),
        "Opens a project file as \"Open XPS\" does.  A project whose additions (intensity units, core\n"
        "levels, quantification settings) cannot be read opens without them, with a warning; a file\n"
        "that cannot be read raises vortlan.Error with the program's message.");
    module.def(
        "import_spectrum", &importSpectrumFile, py::arg("path"), py::arg("format") = "auto",
        py::arg("block") = py::none(),
        "A new project holding the spectrum imported from the file, as the spectrum window's import\n"
        "does, into region 1 (and the following regions for the formats that carry several).\n"
        "format: \"vamas\", \"kratos\", \"leybold\", \"phi\", \"ascii\", or \"auto\" for the format the\n"
        "file's beginning follows.  block: for a VAMAS file, the block to import, numbered from 1 as\n"
        "list_blocks numbers them, whatever its technique; None imports the first XPS block.\n"
        "Raises vortlan.Error with the program's message when the import is refused.");
    module.def("list_blocks", &blockList, py::arg("path"),
               "The blocks of a VAMAS file as the block chooser lists them: a list of dicts with block\n"
               "(from 1), species, transition, technique, points, energy_high and energy_low (binding\n"
               "energies, eV) and left_out (None, or why the block is no spectrum to import, with a\n"
               "warning).  A damaged block ends the list, with a warning.");

    project.def(py::init(&startProject),
                "An empty project, started as the program starts: its fit options are those of\n"
                "\"default.opa\" in the working directory, or the built-in ones.");
    project.def("save", &saveProjectFile, py::arg("path"),
                "Writes the project as \"Save XPS\" does.  The file is replaced whole or not at all: a\n"
                "failed save raises vortlan.Error and leaves the previous file intact.");
    project.def("__repr__", &projectText);
    project.def_property_readonly("regions", &regionsWithData,
                                  "The regions that hold data, in the order of their numbers.");
    project.def("region", &regionWithData, py::arg("number"),
                "The region numbered as the program numbers them (1 to 10); vortlan.Error when it holds\n"
                "no data.");
    project.def_property_readonly(
        "options", &optionsOf,
        "The fit options, a copy as a dict: method (\"lm\", \"newton\" or \"search\"),\n"
        "search_trials, newton_trials, tolerance (a fraction) and gl_form (\"sum\"\n"
        "or \"product\" of the Gaussian and Lorentzian parts).");
    project.def_property(
        "instrument_fwhm", [](const ProjectPtr& self) { return self->session().workspace.instrumentFwhm; },
        [](const ProjectPtr& self, std::optional<double> fwhm) {
            if (!setInstrumentFwhm(self->session(), fwhm)) self->port().refuse("the limit was refused");
        },
        "The narrowest FWHM (eV) a fit gives any peak, the instrument's resolution; None (the default)\n"
        "lets the spacing of the data bound a width instead.  Saved with the project.");
    bindRegionPicture(region);
}

}  // namespace vortlan::python
