// `info`: what a project holds, as text for people or as one JSON object for programs.  The key
// names of the JSON form are documented in docs/cli.md and kept stable.

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/terminal_text.h"
#include "fit/uncertainty.h"
#include "fit/verdict.h"
#include "session/error_text.h"
#include "session/fit_statistics.h"
#include "session/peak_dialog.h"
#include "workspace/acquisition.h"

namespace vortlan::cli {

namespace {

constexpr std::array<const char*, 3> kBackgroundNames = {"shirley", "linear", "tougaard"};
constexpr std::array<const char*, 4> kOperators = {"+", "-", "*", "/"};
constexpr std::array<const char*, 4> kParamNames = {"position", "area", "fwhm", "gl"};

const char* backgroundName(const Region& r) {
    const auto type = static_cast<std::size_t>(r.backgroundType);
    return type < kBackgroundNames.size() ? kBackgroundNames[type] : "unknown";
}

const char* operatorText(short op) {
    return op >= 0 && op < 4 ? kOperators[static_cast<std::size_t>(op)] : "?";
}

// Stored captions are padded with blanks to 20 characters.
std::string trimmedCaption(const Region& r) {
    std::string caption = r.caption.str();
    caption.erase(caption.find_last_not_of(' ') + 1);
    return caption;
}

// After the intensity extents; nothing where the imported file did not name the unit.
std::string unitText(const Region& r) {
    return r.intensityUnit.empty() ? "" : " " + r.intensityUnit;
}

bool fitted(const Region& r) {
    return isTrue(r.backgroundSet);
}

std::string verdictWord(const RegionVerdict& verdict) {
    return verdict.verdict == FitVerdict::Unknown ? "convergence unknown" : fitVerdictWord(verdict);
}

// "converged" stays a boolean, as it always was: true for a converged fit, with flags or without.
void writeVerdict(JsonWriter& json, const RegionVerdict& verdict) {
    json.key("converged");
    if (verdict.verdict == FitVerdict::Unknown) {
        json.null();
    } else {
        json.value(verdict.verdict == FitVerdict::Converged);
    }
    json.key("verdict");
    if (verdict.verdict == FitVerdict::Unknown) {
        json.null();
    } else {
        json.value(fitVerdictWord(verdict));
    }
    json.key("flags").beginArray();
    for (const std::string& flag : fitFlagTexts(verdict)) json.value(flag);
    json.endArray();
    json.key("restarts");
    const std::string restarts = restartsText(verdict.restarts);
    if (restarts.empty()) {
        json.null();
    } else {
        json.value(restarts);
    }
}

// The standard errors of the region's peaks, in slot order, at the values the file holds.
std::vector<PeakErrors> peakErrorsOf(const Workspace& ws, int region, const RegionErrors& found) {
    std::vector<PeakErrors> errors = found.peaks;
    errors.resize(static_cast<std::size_t>(std::max<int>(ws.regions[region].peakCount, 0)));
    return errors;
}

void writeConstraint(JsonWriter& json, const ParamConstraint& c) {
    json.beginObject().key("link");
    if (isTrue(c.linked)) {
        json.beginObject().key("peak").value(static_cast<int>(c.refPeak));
        json.key("op").value(operatorText(c.op)).key("value").value(c.operand).endObject();
    } else {
        json.null();
    }
    json.key("limits");
    if (isTrue(c.limited)) {
        json.beginObject().key("low").value(c.low).key("high").value(c.high).endObject();
    } else {
        json.null();
    }
    json.endObject();
}

// A number where the data determine the error; null for a fixed parameter or one not determined.
void writeStandardError(JsonWriter& json, const StandardError& error) {
    if (error.known()) {
        json.value(static_cast<float>(error.value));
    } else {
        json.null();
    }
}

void writeStandardErrors(JsonWriter& json, const PeakErrors& errors) {
    json.beginObject();
    for (PeakParam param : kPeakParams) {
        json.key(kParamNames[static_cast<std::size_t>(param)]);
        writeStandardError(json, errors.of(param));
    }
    json.key("height");
    writeStandardError(json, errors.height);
    json.endObject();
}

void writePeak(JsonWriter& json, const Workspace& ws, int slot, int peak, const PeakErrors& errors) {
    const Peak& p = ws.peaks[peak];
    json.beginObject();
    json.key("peak").value(peak).key("slot").value(slot + 1).key("type").value(peakTypeText(p.type));
    json.key("position").value(p.position).key("area").value(p.area).key("height").value(p.height);
    json.key("fwhm").value(p.fwhm).key("gl").value(static_cast<int>(p.gl));
    json.key("splitting").value(p.splitting).key("ts").value(p.ts).key("tl").value(p.tl);
    json.key("fixed").beginObject();
    for (PeakParam param : kPeakParams) {
        json.key(kParamNames[static_cast<std::size_t>(param)]).value(isFixed(p, param));
    }
    json.endObject();
    json.key("constraints").beginObject();
    for (PeakParam param : kPeakParams) {
        json.key(kParamNames[static_cast<std::size_t>(param)]);
        writeConstraint(json, ws.constraints[peak].of(param));
    }
    json.endObject();
    json.key("stderr");
    writeStandardErrors(json, errors);
    json.endObject();
}

template <typename Number>
void writeOptional(JsonWriter& json, const std::optional<Number>& value) {
    if (value) {
        json.value(static_cast<float>(*value));
    } else {
        json.null();
    }
}

// What the errors rest on, beside the χ² the region shows: reduced χ² (null when not determined), the
// points and free parameters of the fit, the residual RMS in the data's units, and the free
// parameters' correlation matrix (null where a parameter is not determined).
void writeFitStatistics(JsonWriter& json, const FitStatistics& s) {
    json.beginObject().key("reducedChiSquare");
    writeOptional(json, s.reducedChiSquare);
    json.key("points").value(s.points).key("freeParameters").value(s.freeParameters).key("residualRms");
    writeOptional(json, s.residualRms);
    json.key("parameters").beginArray();
    for (const FreeParameter& p : s.parameters)
        json.beginObject()
            .key("peak")
            .value(p.peak)
            .key("parameter")
            .value(parameterKey(p.param))
            .endObject();
    json.endArray().key("correlation").beginArray();
    for (std::size_t a = 0; a < s.parameters.size(); ++a) {
        json.beginArray();
        for (std::size_t b = 0; b < s.parameters.size(); ++b)
            json.value(static_cast<float>(s.correlationAt(a, b)));
        json.endArray();
    }
    json.endArray().endObject();
}

// What the file says of how the intensities were recorded, and the counts they make.
void writeAcquisition(JsonWriter& json, const Region& r) {
    const Acquisition& a = r.acquisition;
    const CountingScale scale = countingScaleOf(r);
    writeOptional(json.key("dwellTime"), a.dwellTime);
    writeOptional(json.key("scans"), a.scans);
    json.key("transmission").value(!a.transmission.empty());
    writeOptional(json.key("countsPerIntensity"), scale.known() ? std::optional(scale.factor) : std::nullopt);
}

void writeRegion(JsonWriter& json, const Workspace& ws, int region) {
    const Region& r = ws.regions[region];
    json.beginObject();
    json.key("region").value(region + 1).key("caption").value(trimmedCaption(r));
    json.key("points").value(static_cast<int>(r.pointCount));
    json.key("bindingEnergyHigh").value(r.beHigh).key("bindingEnergyLow").value(r.beLow);
    json.key("intensityHigh").value(r.countsHigh).key("intensityLow").value(r.countsLow);
    json.key("intensityUnit");
    if (r.intensityUnit.empty()) {
        json.null();
    } else {
        json.value(r.intensityUnit);
    }
    writeAcquisition(json, r);
    json.key("background");
    if (fitted(r)) {
        json.value(backgroundName(r));
    } else {
        json.null();
    }
    json.key("rangeLow").value(r.rangeLow).key("rangeHigh").value(r.rangeHigh);
    json.key("averagePoints").value(static_cast<int>(r.averagePoints));
    json.key("backgroundParameter").value(r.backgroundParam).key("shift").value(r.shift);
    json.key("chiSquare").value(r.chiSquare);
    writeVerdict(json, heldVerdictOf(ws, region));
    const RegionErrors found = fitted(r) ? standardErrors(ws, region) : RegionErrors{};
    json.key("peaks").beginArray();
    if (fitted(r)) {
        const std::vector<PeakErrors> errors = peakErrorsOf(ws, region, found);
        for (int s = 0; s < r.peakCount; ++s)
            writePeak(json, ws, s, r.peakSlots[s], errors[static_cast<std::size_t>(s)]);
    }
    json.endArray();
    json.key("fitStatistics");
    if (fitted(r)) {
        writeFitStatistics(json, fitStatisticsOf(found));
    } else {
        json.null();
    }
    json.endObject();
}

std::string infoJson(const Workspace& ws) {
    JsonWriter json;
    json.beginObject();
    json.key("description").value(ws.description);
    json.key("totalChiSquare").value(ws.totalChiSquare);
    json.key("instrumentFwhm");
    if (ws.instrumentFwhm) {
        json.value(static_cast<float>(*ws.instrumentFwhm));
    } else {
        json.null();
    }
    json.key("regions").beginArray();
    for (int region = 0; region < kRegionCount; ++region) {
        if (isTrue(ws.regions[region].defined)) writeRegion(json, ws, region);
    }
    json.endArray();
    json.endObject();
    return json.text();
}

std::string number(float value) {
    return shortNumberText(value);
}

std::string fixedText(const Peak& p) {
    std::string text;
    for (PeakParam param : kPeakParams) {
        if (isFixed(p, param))
            text += (text.empty() ? "" : ",") + std::string(kParamNames[static_cast<int>(param)]);
    }
    return text.empty() ? "-" : text;
}

std::string constraintText(const Workspace& ws, int peak) {
    std::string text;
    for (PeakParam param : kPeakParams) {
        const ParamConstraint& c = ws.constraints[peak].of(param);
        const std::string name = kParamNames[static_cast<std::size_t>(param)];
        if (isTrue(c.linked)) {
            text += (text.empty() ? "" : "; ") + name + " = peak " + std::to_string(c.refPeak) + " " +
                    operatorText(c.op) + " " + number(c.operand);
        }
        if (isTrue(c.limited)) {
            text += (text.empty() ? "" : "; ") + name + " within " + number(c.low) + ".." + number(c.high);
        }
    }
    return text;
}

// The peak's standard errors in the order of the table's columns.
std::string errorsText(const PeakErrors& e) {
    return "standard errors: position " + standardErrorText(e.position) + ", area " +
           standardErrorText(e.area) + ", height " + standardErrorText(e.height) + ", FWHM " +
           standardErrorText(e.fwhm) + ", %GL " + standardErrorText(e.gl);
}

void printPeakTable(std::ostream& out, const Workspace& ws, int region) {
    const Region& r = ws.regions[region];
    const std::vector<PeakErrors> errors = peakErrorsOf(ws, region, standardErrors(ws, region));
    // Heights are in per cent of the region's background-subtracted range, not in the data's unit.
    out << "  peak slot type   position       area height (%)     FWHM  %GL   S.O.S.       TS       TL  "
           "fixed\n";
    for (int s = 0; s < r.peakCount; ++s) {
        const int peak = r.peakSlots[s];
        const Peak& p = ws.peaks[peak];
        out << column(std::to_string(peak), 6) << column(std::to_string(s + 1), 5)
            << column(peakTypeText(p.type), 5) << column(number(p.position), 11) << column(number(p.area), 11)
            << column(number(p.height), 11) << column(number(p.fwhm), 9) << column(std::to_string(p.gl), 5)
            << column(number(p.splitting), 9) << column(number(p.ts), 9) << column(number(p.tl), 9) << "  "
            << fixedText(p) << '\n';
        out << "        " << utf8FromLatin1(errorsText(errors[static_cast<std::size_t>(s)])) << '\n';
        const std::string constraints = constraintText(ws, peak);
        if (!constraints.empty()) out << "        " << constraints << '\n';
    }
}

// A line a flag, then what the fit did about them.
void printFlags(std::ostream& out, const RegionVerdict& verdict) {
    for (const std::string& flag : fitFlagTexts(verdict)) out << "  flag: " << flag << '\n';
    const std::string restarts = restartsText(verdict.restarts);
    if (!restarts.empty()) out << "  " << restarts << '\n';
}

void printRegion(std::ostream& out, const Workspace& ws, int region) {
    const Region& r = ws.regions[region];
    out << "Region " << region + 1 << " \"" << trimmedCaption(r) << "\": " << r.pointCount << " points, "
        << number(r.beHigh) << " to " << number(r.beLow) << " eV, intensity " << number(r.countsLow) << " to "
        << number(r.countsHigh) << unitText(r) << '\n';
    if (!fitted(r)) {
        out << "  no background accepted; shift " << number(r.shift) << '\n';
        return;
    }
    const std::string averaging = r.averagePoints > 1
                                      ? "ends averaged over " + std::to_string(r.averagePoints) + " points"
                                      : "no averaging";
    out << "  background " << backgroundName(r) << " from " << number(r.rangeHigh) << " to "
        << number(r.rangeLow) << " eV, " << averaging << ", parameter " << number(r.backgroundParam)
        << ", shift " << number(r.shift) << ", χ² " << number(r.chiSquare) << ", "
        << verdictWord(heldVerdictOf(ws, region)) << '\n';
    printFlags(out, heldVerdictOf(ws, region));
    if (r.peakCount > 0) printPeakTable(out, ws, region);
}

void printInfo(std::ostream& out, const Workspace& ws) {
    if (!ws.description.empty()) out << ws.description << '\n';
    bool any = false;
    for (int region = 0; region < kRegionCount; ++region) {
        if (!isTrue(ws.regions[region].defined)) continue;
        any = true;
        printRegion(out, ws, region);
    }
    if (!any) out << "No region holds data.\n";
    out << "Total χ² " << number(ws.totalChiSquare) << '\n';
    if (ws.instrumentFwhm)
        out << "Instrument FWHM limit " << number(static_cast<float>(*ws.instrumentFwhm)) << " eV\n";
}

}  // namespace

int runInfo(const Arguments& args) {
    CliSession cli;
    openProjectFile(cli, args.positional(0));
    if (args.has("--json")) {
        std::cout << infoJson(cli.workspace());
    } else {
        printInfo(std::cout, cli.workspace());
    }
    return 0;
}

}  // namespace vortlan::cli
