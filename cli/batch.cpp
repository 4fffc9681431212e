// `batch`: one model fitted to many spectra.  Each data file gets a session of its own, as if the
// program had been started afresh for it: import into region 1, load the model, accept its
// background, optimise the region, write the results.  A file that fails is reported and skipped.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/pictures.h"
#include "cli/spectrum_import.h"
#include "fit/uncertainty.h"
#include "io/csv_text.h"
#include "io/file_replace.h"
#include "session/quantification.h"
#include "session/background_dialog.h"
#include "session/exports.h"
#include "session/project.h"
#include "session/region_parameters.h"
#include "session/spectrum_commands.h"

namespace vortlan::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kRegion = 0;
constexpr PictureSize kPictureSize{800, 500};
const char* const kBackgroundTexts[] = {"Shirley", "Linear", "Tougaard"};

struct FittedPeak {
    float position = 0, area = 0, fwhm = 0;
    int gl = 0;
    PeakErrors errors;
    // The peak's share of the region in at.%, where the region names its core level.
    std::optional<double> atomicPercent, atomicPercentError;
};

struct FittedFile {
    std::string file;
    float chiSquare = 0;
    bool hasLevel = false;
    std::vector<FittedPeak> peaks;  // in slot order
};

struct BatchSettings {
    std::string model;
    std::string options;  // empty: the working directory's default.opa
    std::string format;
    fs::path outDir;
    std::string level;  // canonical; empty: the level the import names, if any
};

void acceptModelBackground(Session& session) {
    const Region& r = currentRegionOf(session.workspace);
    openBackgroundDialog(session);
    BackgroundDialog& d = session.dialogs.background;
    // The range typed in full: a limit rounded to the box's seven digits could fall outside the data.
    d.LBE = exactNumberText(r.rangeLow);
    d.HBE = exactNumberText(r.rangeHigh);
    if (r.backgroundType >= 0 && r.backgroundType < 3) d.BG = kBackgroundTexts[r.backgroundType];
    if (!acceptBackground(session)) throw CommandFailed("the background dialog refused the model's range");
}

void requireWritten(bool written, const fs::path& path) {
    if (!written) throw CommandFailed("cannot write " + path.string());
}

// Without `pictures` the results are written without their picture.
void writeResults(CliSession& cli, const fs::path& base, const Pictures* pictures) {
    Session& session = cli.session;
    const auto writeWith = [&](const char* extension, bool (*writer)(Session&)) {
        const fs::path path = base.string() + extension;
        session.workspace.fileName = path.string();
        if (!writer(session)) throw CommandFailed();
    };
    writeWith(".xps", saveProject);
    writeWith(".par", exportPeakParameters);
    writeWith(".dat", exportSpectrum);
    if (!pictures) return;
    const fs::path picture = base.string() + ".png";
    requireWritten(
        pictures->save(cli.workspace(), kRegion, picture.string(), PictureLayout::Screen, kPictureSize),
        picture);
}

// The fitted region's peaks in the table.  It is the only region counted: the others a multi-region
// file fills have no accepted background.
std::vector<QuantRow> fittedRegionComponents(const Workspace& ws) {
    for (const QuantRegion& region : quantify(ws).regions) {
        if (region.row.region == kRegion && region.counted()) return region.components;
    }
    return {};
}

void addAtomicPercents(const Workspace& ws, FittedFile& result) {
    for (const QuantRow& row : fittedRegionComponents(ws)) {
        const auto peak = std::find_if(result.peaks.begin(), result.peaks.end(),
                                       [&](const FittedPeak& p) { return p.errors.peak == row.peak; });
        if (peak == result.peaks.end()) continue;
        peak->atomicPercent = row.atomicPercent;
        peak->atomicPercentError = row.atomicPercentError;
    }
}

FittedFile fitFile(const BatchSettings& settings, const Pictures* pictures, const std::string& file,
                   const std::string& name, const std::string& label) {
    CliSession cli;
    Session& session = cli.session;
    if (!settings.options.empty()) readOptionsFile(cli, settings.options);
    cli.port.describeRun(label);
    selectRegionButton(cli, kRegion);
    importSpectrum(cli, settings.format, file);
    // A multi-region file fills the regions after the first as well; the model goes on the first.
    selectRegionButton(cli, kRegion);
    cli.workspace().fileName = settings.model;
    if (!loadRegionParameters(session)) throw CommandFailed();
    if (!settings.level.empty()) cli.workspace().regions[kRegion].coreLevel = settings.level;
    acceptModelBackground(session);
    optimiseRegionCommand(session);
    writeResults(cli, settings.outDir / name, pictures);

    const Workspace& ws = cli.workspace();
    const Region& r = ws.regions[kRegion];
    const RegionErrors errors = standardErrors(ws, kRegion);
    FittedFile result{file, r.chiSquare, !r.coreLevel.empty(), {}};
    for (std::size_t s = 0; s < errors.peaks.size(); ++s) {
        const Peak& p = ws.peaks[errors.peaks[s].peak];
        result.peaks.push_back({p.position, p.area, p.fwhm, p.gl, errors.peaks[s], {}, {}});
    }
    if (result.hasLevel) addAtomicPercents(ws, result);
    return result;
}

// Empty where the parameter was fixed or the data do not determine it.
std::string errorCell(const StandardError& error) {
    return error.known() ? exactNumberText(static_cast<float>(error.value)) : "";
}

std::string optionalCell(const std::optional<double>& value) {
    return value ? exactNumberText(static_cast<float>(*value)) : "";
}

// After every peak's own columns, so that the columns of a summary without levels keep their places.
std::string atomicPercentHeadings(std::size_t peaks) {
    std::string text;
    for (std::size_t k = 1; k <= peaks; ++k) {
        const std::string p = "peak" + std::to_string(k) + "_";
        text += "," + p + "atomic_percent," + p + "atomic_percent_err";
    }
    return text;
}

std::string atomicPercentCells(const FittedFile& f, std::size_t peaks) {
    std::string text;
    for (std::size_t k = 0; k < peaks; ++k) {
        if (k >= f.peaks.size()) {
            text += ",,";
            continue;
        }
        const FittedPeak& p = f.peaks[k];
        text += "," + optionalCell(p.atomicPercent) + "," + optionalCell(p.atomicPercentError);
    }
    return text;
}

std::string summaryText(const std::vector<FittedFile>& files) {
    std::size_t peaks = 0;
    for (const FittedFile& f : files) peaks = std::max(peaks, f.peaks.size());
    const bool anyLevel =
        std::any_of(files.begin(), files.end(), [](const FittedFile& f) { return f.hasLevel; });
    std::string text = "file,chi_square";
    for (std::size_t k = 1; k <= peaks; ++k) {
        const std::string p = "peak" + std::to_string(k) + "_";
        text += "," + p + "position," + p + "area," + p + "fwhm," + p + "gl," + p + "share," + p +
                "position_err," + p + "area_err," + p + "fwhm_err," + p + "gl_err";
    }
    if (anyLevel) text += atomicPercentHeadings(peaks);
    text += '\n';
    for (const FittedFile& f : files) {
        double total = 0.0;
        for (const FittedPeak& p : f.peaks) total += p.area;
        text += csvField(f.file) + "," + exactNumberText(f.chiSquare);
        for (std::size_t k = 0; k < peaks; ++k) {
            if (k >= f.peaks.size()) {
                text += ",,,,,,,,,";
                continue;
            }
            const FittedPeak& p = f.peaks[k];
            text += "," + exactNumberText(p.position) + "," + exactNumberText(p.area) + "," +
                    exactNumberText(p.fwhm) + "," + std::to_string(p.gl) + ",";
            if (total != 0.0) text += exactNumberText(static_cast<float>(p.area / total));
            for (PeakParam param : kPeakParams) text += "," + errorCell(p.errors.of(param));
        }
        if (anyLevel) text += atomicPercentCells(f, peaks);
        text += '\n';
    }
    return text;
}

// The data file's name without its extension, or with it where two data files would otherwise share
// a name (c1s.vms and c1s.txt give c1s.vms.xps and c1s.txt.xps).
std::vector<std::string> outputNames(const std::vector<std::string>& files) {
    std::map<std::string, int> stems;
    for (const std::string& file : files) ++stems[fs::path(file).stem().string()];
    std::vector<std::string> names;
    for (const std::string& file : files) {
        const fs::path path(file);
        names.push_back(stems[path.stem().string()] > 1 ? path.filename().string() : path.stem().string());
    }
    return names;
}

void reportSkipped(const std::string& file, const std::string& reason) {
    std::cerr << "vortlan-cli: " << file << ": skipped" << (reason.empty() ? "" : ": " + reason) << '\n';
}

// The level every file's region measures, as --line names it; refused as `element` refuses it.
std::string batchLevel(const Arguments& args) {
    const std::optional<std::string> line = args.value("--line");
    return line ? canonicalCoreLevel(*line) : std::string();
}

}  // namespace

int runBatch(const Arguments& args) {
    BatchSettings settings{args.required("--model"), args.value("--options").value_or(""),
                           args.choice("--format", importFormatNames()).value_or("auto"),
                           args.required("--out"), batchLevel(args)};
    if (!std::ifstream(settings.model)) throw CommandFailed("cannot read " + settings.model);
    std::error_code error;
    fs::create_directories(settings.outDir, error);
    if (error) throw CommandFailed("cannot make " + settings.outDir.string() + ": " + error.message());
    bool complete = true;
    std::optional<Pictures> pictures;
    try {
        pictures.emplace();
    } catch (const CommandFailed& failure) {
        std::cerr << "vortlan-cli: " << failure.what() << "; the batch writes no .png files\n";
        complete = false;
    }
    installInterruptHandler();

    const std::vector<std::string>& files = args.positionals();
    const std::vector<std::string> names = outputNames(files);
    std::vector<FittedFile> fitted;
    std::set<std::string> used;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (interruptRequested()) {
            std::cerr << "vortlan-cli: batch stopped after " << i << " of " << files.size() << " files\n";
            complete = false;
            break;
        }
        const std::string& file = files[i];
        if (!used.insert(names[i]).second) {
            reportSkipped(file, "another data file has the same name");
            complete = false;
            continue;
        }
        const std::string label =
            "[" + std::to_string(i + 1) + "/" + std::to_string(files.size()) + "] " + names[i];
        try {
            fitted.push_back(fitFile(settings, pictures ? &*pictures : nullptr, file, names[i], label));
        } catch (const CommandFailed& failure) {
            reportSkipped(file, failure.what());
            complete = false;
        }
    }
    const fs::path summary = settings.outDir / "summary.csv";
    if (!replaceFile(summary.string(), summaryText(fitted)))
        throw CommandFailed("cannot write " + summary.string());
    return complete ? 0 : 1;
}

}  // namespace vortlan::cli
