// `quantify`: the atomic concentrations of a project's regions and of their peaks, as a table for
// people, as CSV, or as one JSON object.  The options change the project's quantification settings
// for this run only; the project is never written.

#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include "base/number_text.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/terminal_text.h"
#include "fit/verdict.h"
#include "quant/analyser.h"
#include "session/quantification.h"

namespace vortlan::cli {

namespace {

const std::string kNotDetermined = "not determined";

// A number typed for one of the settings, or a usage error saying what it must be.
double settingNumber(const Arguments& args, std::string_view option, bool positive) {
    const std::string text = *args.value(option);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = !text.empty() && error == std::errc() && end == text.data() + text.size();
    if (!whole || !std::isfinite(value) || (positive && value <= 0.0)) {
        throw UsageError("quantify: " + std::string(option) + " must be " +
                         (positive ? "a positive number" : "a number") + ", not \"" + text + "\"");
    }
    return value;
}

// The settings the command line changes, read before the project is opened.
struct SettingChanges {
    std::optional<double> sourceEnergy, imfpExponent, transmissionExponent;
    std::optional<QuantArea> area;
};

std::optional<double> optionalNumber(const Arguments& args, std::string_view option, bool positive) {
    if (!args.has(option)) return std::nullopt;
    return settingNumber(args, option, positive);
}

SettingChanges settingChanges(const Arguments& args) {
    SettingChanges changes{optionalNumber(args, "--source-energy", true),
                           optionalNumber(args, "--imfp-exponent", false),
                           optionalNumber(args, "--transmission-exponent", false), std::nullopt};
    if (const auto area = args.choice("--area", {"auto", "peaks", "background"}))
        changes.area = quantAreaNamed(*area);
    return changes;
}

// The exponent options given, as typed: what a refusal of the exponents names.
std::string exponentOptions(const Arguments& args) {
    std::string named;
    for (const char* option : {"--imfp-exponent", "--transmission-exponent"}) {
        if (!args.has(option)) continue;
        named += (named.empty() ? "" : " ") + std::string(option) + " " + *args.value(option);
    }
    return named;
}

// Exponents that make a factor 0 or infinite would make every atomic per cent 0, 100 or not a number.
void refuseUnusableExponents(const Arguments& args, const Workspace& ws) {
    const auto refusal = exponentRefusal(ws, ws.quantSettings);
    if (!refusal) return;
    const std::string given = exponentOptions(args);
    if (given.empty()) throw CommandFailed("quantify: the project's exponents: " + *refusal);
    throw UsageError("quantify: " + given + ": " + *refusal);
}

void applyChanges(const SettingChanges& changes, QuantSettings& settings) {
    settings.sourceEnergy = changes.sourceEnergy.value_or(settings.sourceEnergy);
    settings.imfpExponent = changes.imfpExponent.value_or(settings.imfpExponent);
    settings.transmissionExponent = changes.transmissionExponent.value_or(settings.transmissionExponent);
    settings.area = changes.area.value_or(settings.area);
}

// Captions and labels are stored padded with blanks.
std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(std::string(" \0", 2)) + 1);
    return text;
}

std::string rowName(const QuantRow& row) {
    const std::string name = utf8FromLatin1(trimmed(row.name));
    if (row.peak < 0) return std::to_string(row.region + 1) + "  " + name;
    return "     peak " + std::to_string(row.peak) + (name.empty() ? "" : " " + name);
}

std::string leftColumn(const std::string& text, std::size_t width) {
    const std::size_t shown = shownWidth(text);
    return shown + 1 >= width ? text + " " : text + std::string(width - shown, ' ');
}

std::string plusMinus(const std::optional<double>& error, std::string (*digits)(double)) {
    return error ? "± " + digits(*error) : kNotDetermined;
}

std::string percentText(double value) {
    return patternNumberText(value, "#0.00");
}

std::string factorText(double value) {
    return significantNumberText(value, 4);
}

std::string areaText(double value) {
    return shortNumberText(static_cast<float>(value));
}

constexpr std::size_t kNameWidth = 22, kLevelWidth = 10, kAreaWidth = 10, kErrorWidth = 15, kFactorWidth = 8,
                      kCorrectedWidth = 11, kPercentWidth = 8;

void printHeading(std::ostream& out) {
    out << leftColumn("Region / peak", kNameWidth) << leftColumn("Level", kLevelWidth)
        << column("Area", kAreaWidth) << column("±1σ", kErrorWidth) << column("Factor", kFactorWidth)
        << column("Corrected", kCorrectedWidth) << column("At.%", kPercentWidth) << column("±1σ", kErrorWidth)
        << "  From\n";
}

// A row not detected has no atomic per cent: the limit it stays below stands in its place.
std::string percentCell(const QuantRow& row) {
    if (row.sharesTheTotal()) return percentText(row.atomicPercent);
    return row.upperLimitPercent ? "< " + percentText(*row.upperLimitPercent) : "";
}

std::string percentErrorCell(const QuantRow& row) {
    if (row.leftOut) return "left out";
    return row.detected ? plusMinus(row.atomicPercentError, percentText) : "not detected";
}

void printRow(std::ostream& out, const QuantRow& row, const std::string& from) {
    const bool regionRow = row.peak < 0;
    out << leftColumn(rowName(row), kNameWidth) << leftColumn(regionRow ? row.level : "", kLevelWidth)
        << column(areaText(row.area), kAreaWidth)
        << column(plusMinus(row.areaError, twoDigitNumberText), kErrorWidth)
        << column(regionRow ? factorText(row.factor) : "", kFactorWidth)
        << column(areaText(row.correctedArea), kCorrectedWidth) << column(percentCell(row), kPercentWidth)
        << column(percentErrorCell(row), kErrorWidth);
    if (!from.empty()) out << "  " << from;
    out << '\n';
}

// Which noise a background-subtracted area's ± comes from, after the area's name.
std::string fromText(const QuantRegion& region) {
    const std::string area = quantAreaName(region.areaUsed);
    if (region.areaUsed != QuantArea::Background) return area;
    return area + " (± from " + areaNoiseText(region.noise) + ")";
}

// What the table says beside its rows: regions not detected, the transmission, and the like.
void printNotes(std::ostream& out, const Quantification& table) {
    for (const std::string& note : quantificationNotes(table)) out << utf8FromLatin1(note) << '\n';
}

void printExcluded(std::ostream& out, const QuantRegion& region) {
    out << leftColumn(rowName(region.row), kNameWidth) << leftColumn(region.row.level, kLevelWidth)
        << "not counted: " << region.excluded << '\n';
}

// Which settings made the numbers, and where a file's own source energy took the setting's place.
void printSettings(std::ostream& out, const Workspace& ws, const QuantSettings& s) {
    out << "Source energy " << shortNumberText(static_cast<float>(s.sourceEnergy))
        << " eV where the file records none";
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = ws.regions[region];
        if (isTrue(r.defined) && r.sourceEnergy && *r.sourceEnergy != s.sourceEnergy)
            out << "; region " << region + 1 << "'s file records "
                << shortNumberText(static_cast<float>(*r.sourceEnergy)) << " eV";
    }
    out << "\nIMFP exponent m " << shortNumberText(static_cast<float>(s.imfpExponent))
        << ", transmission exponent n " << shortNumberText(static_cast<float>(s.transmissionExponent))
        << "; area: ";
    switch (s.area) {
        case QuantArea::Peaks:
            out << "the peaks'\n";
            return;
        case QuantArea::Background:
            out << "background-subtracted\n";
            return;
        case QuantArea::Auto:
            break;
    }
    out << "the peaks', background-subtracted in a region without peaks\n";
}

void printTable(std::ostream& out, const Workspace& ws, const Quantification& table) {
    if (table.regions.empty()) {
        out << "No region holds data.\n";
    } else {
        printHeading(out);
    }
    for (const QuantRegion& region : table.regions) {
        if (!region.counted()) {
            printExcluded(out, region);
            continue;
        }
        printRow(out, region.row, fromText(region));
        for (const QuantRow& component : region.components) printRow(out, component, "");
    }
    printNotes(out, table);
    printSettings(out, ws, table.settings);
}

void numberOrNull(JsonWriter& json, const std::optional<double>& value) {
    if (value) {
        json.value(static_cast<float>(*value));
    } else {
        json.null();
    }
}

void stringOrNull(JsonWriter& json, const std::string& text) {
    if (text.empty()) {
        json.null();
    } else {
        json.value(utf8FromLatin1(text));
    }
}

// Whether the row stands out of its noise, its limits when it does not, and what else it says.
void writeDetection(JsonWriter& json, const QuantRegion& region, const QuantRow& row) {
    json.key("detected").value(row.detected);
    json.key("leftOut").value(row.leftOut);
    json.key("flags").beginArray();
    for (const FitFlag& flag : row.flags) json.value(fitFlagText(flag));
    json.endArray();
    json.key("upperLimitArea");
    numberOrNull(json, row.detected ? std::nullopt : std::optional(row.upperLimitArea));
    json.key("upperLimitAtomicPercent");
    numberOrNull(json, row.detected ? std::nullopt : row.upperLimitPercent);
    json.key("notes").beginArray();
    for (const std::string& note : quantRowNotes(region, row)) json.value(utf8FromLatin1(note));
    json.endArray();
}

// The numbers of a row; all null for a region not counted, the atomic per cent null for a row not
// detected.
void writeNumbers(JsonWriter& json, const QuantRow& row, bool counted) {
    const auto known = [&](double value) { return counted ? std::optional<double>(value) : std::nullopt; };
    json.key("area");
    numberOrNull(json, known(row.area));
    json.key("areaError");
    numberOrNull(json, counted ? row.areaError : std::nullopt);
    json.key("factor");
    numberOrNull(json, known(row.factor));
    json.key("correctedArea");
    numberOrNull(json, known(row.correctedArea));
    json.key("atomicPercent");
    numberOrNull(json, row.sharesTheTotal() ? known(row.atomicPercent) : std::nullopt);
    json.key("atomicPercentError");
    numberOrNull(json, counted ? row.atomicPercentError : std::nullopt);
}

void writeRegion(JsonWriter& json, const Workspace& ws, const QuantRegion& region) {
    const QuantRow& row = region.row;
    json.beginObject();
    json.key("region").value(row.region + 1).key("caption").value(trimmed(row.name));
    json.key("level");
    if (row.level.empty()) {
        json.null();
    } else {
        json.value(row.level);
    }
    json.key("sourceEnergy")
        .value(static_cast<float>(regionSourceEnergy(ws.regions[row.region], ws.quantSettings)));
    json.key("excluded");
    if (region.counted()) {
        json.null();
    } else {
        json.value(region.excluded);
    }
    json.key("areaUsed");
    if (region.counted()) {
        json.value(quantAreaName(region.areaUsed));
    } else {
        json.null();
    }
    writeNumbers(json, row, region.counted());
    if (region.counted()) {
        json.key("noise").value(areaNoiseName(region.noise));
        json.key("transmissionDivided").value(region.transmissionDivided);
        json.key("wholeDoubletCounted").value(region.wholeDoubletCounted);
    }
    json.key("backgroundNote");
    stringOrNull(json, region.backgroundNote);
    writeDetection(json, region, row);
    json.key("components").beginArray();
    for (const QuantRow& component : region.components) {
        json.beginObject().key("peak").value(component.peak).key("label").value(trimmed(component.name));
        writeNumbers(json, component, true);
        writeDetection(json, region, component);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

std::string quantificationJson(const Workspace& ws, const Quantification& table) {
    const QuantSettings& s = table.settings;
    JsonWriter json;
    json.beginObject();
    json.key("settings").beginObject();
    json.key("sourceEnergy").value(static_cast<float>(s.sourceEnergy));
    json.key("imfpExponent").value(static_cast<float>(s.imfpExponent));
    json.key("transmissionExponent").value(static_cast<float>(s.transmissionExponent));
    json.key("area").value(quantAreaName(s.area));
    json.endObject();
    json.key("transmission").value(transmissionUseName(table.transmission));
    json.key("notes").beginArray();
    for (const std::string& note : quantificationNotes(table)) json.value(utf8FromLatin1(note));
    json.endArray();
    json.key("regions").beginArray();
    for (const QuantRegion& region : table.regions) writeRegion(json, ws, region);
    json.endArray();
    json.endObject();
    return json.text();
}

}  // namespace

int runQuantify(const Arguments& args) {
    if (args.has("--json") && args.has("--csv"))
        throw UsageError("quantify: --json and --csv exclude each other");
    const SettingChanges changes = settingChanges(args);
    CliSession cli;
    openProjectFile(cli, args.positional(0));
    Workspace& ws = cli.workspace();
    applyChanges(changes, ws.quantSettings);
    refuseUnusableExponents(args, ws);
    const Quantification table = quantify(ws);
    if (args.has("--json")) {
        std::cout << quantificationJson(ws, table);
    } else if (args.has("--csv")) {
        std::cout << utf8FromLatin1(quantificationText(table, ','));
    } else {
        printTable(std::cout, ws, table);
    }
    if (table.empty()) std::cerr << "vortlan-cli: no region could be quantified\n";
    return 0;
}

}  // namespace vortlan::cli
