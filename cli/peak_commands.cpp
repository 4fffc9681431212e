// The commands that fit: the background dialog, adding, constraining and deleting peaks, and the
// optimisations.  Each fills the window model as a user fills the window, then presses its button.

#include <algorithm>
#include <array>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "base/number_reading.h"
#include "base/number_text.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/error_table.h"
#include "fit/monte_carlo.h"
#include "model/peak_shapes.h"
#include "session/background_dialog.h"
#include "session/constraint_dialog.h"
#include "session/instrument_limit.h"
#include "session/options_dialog.h"
#include "session/peak_dialog.h"
#include "session/spectrum_commands.h"

namespace vortlan::cli {

namespace {

// "--instrument-fwhm W", or "none" to let the data's step bound a width again.
void setInstrumentLimit(CliSession& cli, const std::string& text) {
    const std::optional<double> fwhm =
        text == "none" ? std::nullopt : std::optional<double>(leadingNumber(text));
    if (!setInstrumentFwhm(cli.session, fwhm)) throw CommandFailed();
}

const std::vector<std::string_view> kParamChoices = {"position", "area", "fwhm", "gl"};

PeakParam paramOf(std::string_view name) {
    if (name == "area") return PeakParam::Area;
    if (name == "fwhm") return PeakParam::Fwhm;
    if (name == "gl") return PeakParam::Gl;
    return PeakParam::Position;
}

std::string backgroundText(std::string_view type) {
    if (type == "linear") return "Linear";
    if (type == "tougaard") return "Tougaard";
    return "Shirley";
}

// The background dialog refuses by correcting a box and beeping; the tool names the boxes corrected.
void reportCorrections(const BackgroundDialog& typed, const BackgroundDialog& shown) {
    const std::pair<const std::string BackgroundDialog::*, const char*> boxes[] = {
        {&BackgroundDialog::LBE, "--low"},
        {&BackgroundDialog::HBE, "--high"},
        {&BackgroundDialog::AverPt, "--average"},
        {&BackgroundDialog::BG, "--type"},
        {&BackgroundDialog::ShirleySlope, "--slope"},
        {&BackgroundDialog::TouB1, "--b1"}};
    std::string corrected;
    for (const auto& [box, option] : boxes) {
        if (typed.*box != shown.*box)
            corrected += std::string(corrected.empty() ? "" : ", ") + option + " " + typed.*box;
    }
    // Nothing corrected: the recomputation met a fault, and its message has said so.
    if (corrected.empty()) throw CommandFailed();
    throw CommandFailed("the background dialog refused " + corrected);
}

void acceptTypedBackground(Session& session) {
    const BackgroundDialog typed = session.dialogs.background;
    if (!acceptBackground(session)) reportCorrections(typed, session.dialogs.background);
}

// The Tougaard "Optimise" writes the background area when it gets through.
void optimiseTougaardBackground(Session& session) {
    session.dialogs.background.Area.clear();
    optimiseTougaard(session);
    if (session.dialogs.background.Area.empty()) throw CommandFailed("the Tougaard optimisation was refused");
}

// The peak dialog's Accept hides the dialog; a refused value leaves it open after its message.
void acceptPeak(CliSession& cli) {
    acceptPeakDialog(cli.session);
    if (cli.port.isShown(Window::Peak)) throw CommandFailed();
}

std::array<int, 4> fixChecks(const std::string& list) {
    std::array<int, 4> checks{};
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item == "none" || item.empty()) continue;
        if (std::find(kParamChoices.begin(), kParamChoices.end(), item) == kParamChoices.end())
            throw UsageError("add-peak: --fix takes position, area, fwhm and gl, or none");
        checks[static_cast<std::size_t>(paramOf(item))] = 1;
    }
    return checks;
}

// The area that gives the peak the height (in height units) with its stored shape.
std::string areaForHeight(CliSession& cli, float height) {
    const Workspace& ws = cli.workspace();
    const Peak& p = ws.peaks[ws.currentPeak];
    return exactNumberText(areaFromHeight(lineFormOf(ws.options), height, p.fwhm, p.gl, p.type, p.ts, p.tl,
                                          currentRegionOf(ws).heightUnit));
}


std::vector<int> fittedRegions(const Workspace& ws) {
    std::vector<int> regions;
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = ws.regions[region];
        if (isTrue(r.defined) && isTrue(r.backgroundSet)) regions.push_back(region);
    }
    return regions;
}

// After the fit, and after its result is written: a stopped fit is not worth the replicas' time.
void printMonteCarloErrors(const Workspace& ws, const std::vector<int>& regions, int replicas) {
    if (interruptRequested()) {
        std::cerr << "vortlan-cli: the fit was stopped; no Monte Carlo errors\n";
        return;
    }
    for (int region : regions) printErrorComparison(std::cout, ws, region, replicas);
}

}  // namespace

int runBackground(const Arguments& args) {
    const auto type = args.choice("--type", {"shirley", "linear", "tougaard"});
    const auto average = args.choice("--average", {"1", "3", "5", "7", "9"});
    const bool optimise = args.has("--optimise");
    if (optimise && type == "linear")
        throw UsageError("background: a linear background has nothing to optimise");
    const int region = args.region();
    const std::string output = args.required("-o");

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    selectRegionButton(cli, region);
    requireData(cli, region);
    Session& session = cli.session;
    openBackgroundDialog(session);
    BackgroundDialog& d = session.dialogs.background;
    if (const auto low = args.value("--low")) d.LBE = *low;
    if (const auto high = args.value("--high")) d.HBE = *high;
    if (type) d.BG = backgroundText(*type);
    if (average) d.AverPt = *average == "1" ? "None" : *average;
    if (const auto slope = args.value("--slope")) d.ShirleySlope = *slope;
    if (const auto b1 = args.value("--b1")) d.TouB1 = *b1;

    acceptTypedBackground(session);
    if (optimise) {
        if (d.BG == "Shirley") {
            if (!optimiseShirleySlope(session))
                throw CommandFailed("the Shirley optimisation found no slope that keeps the background below the data");
            // The slope found is in the box; accepting it carries it into the curves.
            acceptTypedBackground(session);
        } else if (d.BG == "Tougaard") {
            optimiseTougaardBackground(session);
        } else {
            throw CommandFailed("a linear background has nothing to optimise");
        }
    }
    saveProjectFile(cli, output);
    return 0;
}

int runAddPeak(const Arguments& args) {
    if (args.has("--area") && args.has("--height"))
        throw UsageError("add-peak: give --area or --height, not both");
    const auto type = args.choice("--type", {"s", "p", "d", "f"});
    const bool fixGiven = args.has("--fix");
    const std::array<int, 4> checks = fixGiven ? fixChecks(*args.value("--fix")) : std::array<int, 4>{};
    const int region = args.region();
    const std::string output = args.required("-o");

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    selectRegionButton(cli, region);
    requireBackground(cli, region);
    Session& session = cli.session;
    if (!addPeak(session)) {
        const bool regionFull = currentRegionOf(cli.workspace()).peakCount >= kPeaksPerRegion;
        throw CommandFailed(regionFull ? regionName(region) + " already holds 10 peaks"
                                       : "all 51 peaks are in use");
    }
    const int peak = cli.workspace().currentPeak;
    PeakDialog& d = session.dialogs.peak;
    if (const auto v = args.value("--position")) d.PosVal = *v;
    if (const auto v = args.value("--fwhm")) d.FWHMVal = *v;
    if (const auto v = args.value("--area")) d.AreaVal = *v;
    if (const auto v = args.value("--gl")) d.GLVal = *v;
    if (type) d.PeakType = *type;
    if (const auto v = args.value("--splitting")) d.SplittingVal = *v;
    if (const auto v = args.value("--ts")) d.TSVal = *v;
    if (const auto v = args.value("--tl")) d.TLVal = *v;
    if (fixGiven) {
        d.ChkPos = checks[static_cast<std::size_t>(PeakParam::Position)];
        d.ChkArea = checks[static_cast<std::size_t>(PeakParam::Area)];
        d.ChkFWHM = checks[static_cast<std::size_t>(PeakParam::Fwhm)];
        d.ChkGL = checks[static_cast<std::size_t>(PeakParam::Gl)];
    }
    acceptPeak(cli);
    if (const auto height = args.value("--height")) {
        // The dialog has no height box: the area that gives the height is typed in a second round.
        openPeakButton(cli, peak);
        d.AreaVal = areaForHeight(cli, static_cast<float>(leadingNumber(*height)));
        acceptPeak(cli);
    }
    saveProjectFile(cli, output);
    std::cout << peak << '\n';
    return 0;
}

int runConstrain(const Arguments& args) {
    const int peak = args.peak();
    args.required("--param");
    const PeakParam param = paramOf(*args.choice("--param", kParamChoices));
    const auto op = args.choice("--op", {"+", "-", "*", "/"});
    if (args.has("--unlink") && args.has("--ref"))
        throw UsageError("constrain: give --ref or --unlink, not both");
    if (args.has("--no-limits") && (args.has("--low") || args.has("--high")))
        throw UsageError("constrain: give --low and --high or --no-limits, not both");
    const std::string output = args.required("-o");

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    openPeakButton(cli, peak);
    Session& session = cli.session;
    openConstraintEditor(session, param);
    ConstraintDialog& d = session.dialogs.constraint;
    if (const auto ref = args.value("--ref")) {
        d.Use = 1;
        d.RefPeak = *ref;
    }
    if (args.has("--unlink")) d.Use = 0;
    if (op) d.ArgType = *op;
    if (const auto v = args.value("--value")) d.Arg = *v;
    if (args.has("--low") || args.has("--high")) d.Range = 1;
    if (const auto v = args.value("--low")) d.Low = *v;
    if (const auto v = args.value("--high")) d.High = *v;
    if (args.has("--no-limits")) d.Range = 0;
    if (!acceptConstraintEdit(session)) throw CommandFailed();
    // Accepting the peak dialog carries the new relation to the peak's value at once.
    acceptPeak(cli);
    saveProjectFile(cli, output);
    return 0;
}

int runDeletePeak(const Arguments& args) {
    const int peak = args.peak();
    const std::string output = args.required("-o");
    CliSession cli;
    openProjectFile(cli, args.positional(0));
    openPeakButton(cli, peak);
    deletePeakFromDialog(cli.session);
    saveProjectFile(cli, output);
    return 0;
}

int runFit(const Arguments& args) {
    const int modes =
        (args.has("--region") ? 1 : 0) + (args.has("--all") ? 1 : 0) + (args.has("--peak") ? 1 : 0);
    if (modes != 1) throw UsageError("fit: give one of --region, --all and --peak");
    if (args.has("--param") && !args.has("--peak")) throw UsageError("fit: --param goes with --peak");
    const auto region = args.optionalRegion();
    const int peak = args.has("--peak") ? args.peak() : -1;
    const auto param = args.choice("--param", kParamChoices);
    const auto method = args.choice("--method", {"lm", "newton", "search"});
    const int replicas = args.integer("--monte-carlo", 0, kMaxReplicas).value_or(0);
    const std::string output = args.required("-o");

    CliSession cli;
    openProjectFile(cli, args.positional(0));
    if (const auto options = args.value("--options")) readOptionsFile(cli, *options);
    Session& session = cli.session;
    if (method) chooseMethodNamed(session, *method);
    if (const auto limit = args.value("--instrument-fwhm")) setInstrumentLimit(cli, *limit);
    cli.port.printVerdicts(true);
    installInterruptHandler();
    std::vector<int> regions;
    if (region) {
        selectRegionButton(cli, *region);
        requireBackground(cli, *region);
        optimiseRegionCommand(session);
        regions = {*region};
    } else if (peak >= 0) {
        openPeakButton(cli, peak);
        regions = {cli.workspace().peaks[peak].region};
        if (param) {
            optimiseParameterFromDialog(session, paramOf(*param));
        } else {
            // "Optimise Peak" takes the whole dialog first; values it cannot take end it here.
            if (!storePeakDialog(session)) throw CommandFailed();
            optimisePeakFromDialog(session);
        }
    } else {
        regions = fittedRegions(cli.workspace());
        if (regions.empty()) throw CommandFailed("no region has an accepted background");
        optimiseAllCommand(session);
    }
    saveProjectFile(cli, output);
    if (replicas > 0) printMonteCarloErrors(cli.workspace(), regions, replicas);
    return 0;
}

}  // namespace vortlan::cli
