#include "io/vamas_file.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <sstream>

#include "io/imported_spectrum.h"
#include "io/text_fields.h"
#include "workspace/acquisition.h"
#include "workspace/intensity_unit.h"

namespace vortlan {

VamasError::VamasError(Kind kind)
    : std::runtime_error(std::string(kind == Kind::NotVamas ? kNotVamasMessage : kVamasReadErrorMessage)),
      kind_(kind) {}

namespace {

// The techniques whose blocks name a sputtering ion, as ISO 14976 spells them.
// clang-format off
const std::initializer_list<std::string_view> kTechniquesWithSputteringIon = {
    "FABMS", "FABMS energy spec",  // ISO 14976
    "ISS",
    "SIMS", "SIMS energy spec",  // ISO 14976
    "SNMS", "SNMS energy spec"};  // ISO 14976
// clang-format on

// The block parameters by the numbers that the header's inclusion or exclusion list uses.  Groups
// of lines that belong together (a beam width x and y, a linescan's six coordinates) count as one.
enum Parameter : int {
    kBlockIdentifier = 1,
    kSampleIdentifier,
    kYear,
    kMonth,
    kDay,
    kHours,
    kMinutes,
    kSeconds,
    kHoursAheadOfGmt,
    kBlockComment,
    kTechnique,
    kCoordinates,
    kExperimentalValues,
    kSourceLabel,
    kSputteringIon,
    kSourceEnergy,
    kSourceStrength,
    kBeamWidth,
    kFieldOfView,
    kLinescan,
    kIncidenceAngle,
    kSourceAzimuth,
    kAnalyserMode,
    kPassEnergy,
    kDifferentialWidth,
    kMagnification,
    kWorkFunction,
    kTargetBias,
    kAnalysisWidth,
    kTakeOffAngles,
    kSpeciesLabel,
    kTransition,
    kAbscissa,
    kCorrespondingVariables,
    kSignalMode,
    kCollectionTime,
    kScanCount,
    kTimeCorrection,
    kSputteringSource,
    kSampleTilt,
    kSampleRotation,
    kAdditionalParameters,
    kParameterCount = kAdditionalParameters
};

[[noreturn]] void malformed() {
    throw VamasError(VamasError::Kind::Malformed);
}

bool oneOf(std::string_view text, std::initializer_list<std::string_view> choices) {
    return std::find(choices.begin(), choices.end(), text) != choices.end();
}

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    return lower;
}

bool mentionsBindingEnergy(std::string_view label) {
    return lowerCase(label).find("binding") != std::string::npos;
}

// Instruments write "d" (dimensionless) for counts as often as "c"; their label then tells counts
// from a ratio or a derived signal.
std::string intensityUnitOf(std::string_view label, std::string_view unit) {
    if (unit == "c") return "counts";
    if (!unit.empty() && unit != "d") return intensityUnitText(unit);
    const std::string lower = lowerCase(label);
    if (lower.find("count") != std::string::npos || lower == "cps") return intensityUnitText(label);
    return {};
}

std::optional<double> positive(std::optional<double> value) {
    if (value && *value > 0.0) return value;
    return std::nullopt;
}

// Scans are whole and at least one; anything else records no number of scans.
std::optional<int> scanCount(std::optional<double> value) {
    constexpr double kMostScans = 1e9;
    if (!value || *value < 1.0 || *value > kMostScans || *value != std::floor(*value)) return std::nullopt;
    return static_cast<int>(*value);
}

// One field a line; a read past the end of the file is a malformed file.  NUL bytes are dropped; lines
// may end in LF or CR LF.
class Lines {
  public:
    explicit Lines(std::istream& in) : in_(in) {}

    std::string line() {
        std::string text;
        if (!std::getline(in_, text)) malformed();
        consumed_ += text.size() + (in_.eof() ? 0 : 1);
        std::erase(text, '\0');
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return text;
    }
    std::string label() { return trimmed(line()); }
    void skip(int count) {
        for (int i = 0; i < count; ++i) line();
    }
    double number() {
        const auto value = finiteNumber();
        if (!value) malformed();
        return *value;
    }
    // A field whose value the spectrum does not depend on: text that is not a number is no damage.
    std::optional<double> finiteNumber() {
        const auto value = wholeNumber(line());
        if (!value || !std::isfinite(*value) || std::fabs(*value) > FLT_MAX) return std::nullopt;
        return value;
    }
    int count(int largest = kLargestVamasCount) {
        const double value = number();
        if (value < 0.0 || value > largest || value != std::floor(value)) malformed();
        return static_cast<int>(value);
    }
    // The bytes read so far, line ends included.
    std::uint64_t consumed() const { return consumed_; }

  private:
    std::istream& in_;
    std::uint64_t consumed_ = 0;
};

bool hasMode(const VamasLayout& layout, std::initializer_list<std::string_view> modes) {
    return oneOf(layout.experimentMode, modes);
}

void readFirstLine(Lines& in) {
    std::string first;
    do {
        try {
            first = in.line();
        } catch (const VamasError&) {
            throw VamasError(VamasError::Kind::NotVamas);
        }
    } while (trimmed(first).empty());
    if (first.find("VAMAS") == std::string::npos) throw VamasError(VamasError::Kind::NotVamas);
}

// A positive count lists the parameters that the later blocks include, a negative one those they leave
// out; a left-out parameter keeps the first block's value.
std::vector<bool> readInclusionList(Lines& in) {
    const double entries = in.number();
    if (entries != std::floor(entries) || std::fabs(entries) > static_cast<int>(kParameterCount)) malformed();
    const bool listed = entries > 0;
    std::vector<bool> included(kParameterCount + 1, entries <= 0);
    for (int i = 0; i < static_cast<int>(std::fabs(entries)); ++i) {
        const int parameter = in.count(kParameterCount);
        if (parameter < 1) malformed();
        included[parameter] = listed;
    }
    return included;
}

VamasLayout readHeader(Lines& in) {
    readFirstLine(in);
    in.skip(4);           // institution, instrument model, operator, experiment
    in.skip(in.count());  // comment lines
    VamasLayout h;
    h.experimentMode = in.label();
    if (!hasMode(h, {"MAP", "MAPDP", "MAPSV", "MAPSVDP", "NORM", "SDP", "SDPSV", "SEM"})) malformed();
    h.scanMode = in.label();
    // A map has no energy axis to put a spectrum on.
    if (!oneOf(h.scanMode, {"REGULAR", "IRREGULAR"})) malformed();
    if (hasMode(h, {"MAP", "MAPDP", "NORM", "SDP"})) in.skip(1);  // number of spectral regions
    if (hasMode(h, {"MAP", "MAPDP"})) in.skip(3);  // analysis positions, discrete x and y coordinates
    h.experimentalVariables = in.count();
    in.skip(2 * h.experimentalVariables);  // label and units of each
    h.included = readInclusionList(in);
    in.skip(in.count());  // manually entered items
    const int experimentUpgradeEntries = in.count();
    h.blockUpgradeEntries = in.count();
    in.skip(experimentUpgradeEntries);
    h.blockCount = in.count();
    return h;
}

class BlockReader {
  public:
    BlockReader(Lines& in, const VamasLayout& header, const VamasBlock* first)
        : in_(in), header_(header), first_(first) {
        if (first) inheritParameters(*first);
    }

    VamasBlock read() {
        readIdentity();
        readSource();
        readAnalyser();
        readSignal();
        readValues();
        return std::move(block_);
    }

  private:
    // Everything but the points, which are the block's own.
    void inheritParameters(const VamasBlock& first) {
        block_.identifier = first.identifier;
        block_.sample = first.sample;
        block_.technique = first.technique;
        block_.species = first.species;
        block_.transition = first.transition;
        block_.sourceEnergy = first.sourceEnergy;
        block_.abscissaLabel = first.abscissaLabel;
        block_.abscissaStart = first.abscissaStart;
        block_.abscissaIncrement = first.abscissaIncrement;
        block_.variableLabels = first.variableLabels;
        block_.intensityUnit = first.intensityUnit;
        block_.acquisition.dwellTime = first.acquisition.dwellTime;
        block_.acquisition.scans = first.acquisition.scans;
    }

    bool has(Parameter p) const { return !first_ || header_.included[p]; }
    bool modeIn(std::initializer_list<std::string_view> modes) const { return hasMode(header_, modes); }
    bool techniqueIn(std::initializer_list<std::string_view> techniques) const {
        return oneOf(block_.technique, techniques);
    }

    void readIdentity() {
        if (has(kBlockIdentifier)) block_.identifier = in_.label();
        if (has(kSampleIdentifier)) block_.sample = in_.label();
        for (int p = kYear; p <= kHoursAheadOfGmt; ++p) {
            if (has(static_cast<Parameter>(p))) in_.skip(1);
        }
        if (has(kBlockComment)) in_.skip(in_.count());
        if (has(kTechnique)) block_.technique = in_.label();
        if (has(kCoordinates) && modeIn({"MAP", "MAPDP"})) in_.skip(2);
        if (has(kExperimentalValues)) in_.skip(header_.experimentalVariables);
    }

    void readSource() {
        if (has(kSourceLabel)) in_.skip(1);
        const bool sputteringMode = modeIn({"MAPDP", "MAPSVDP", "SDP", "SDPSV"});
        if (has(kSputteringIon) && (sputteringMode || techniqueIn(kTechniquesWithSputteringIon))) {
            in_.skip(3);  // atomic number, atoms per particle, charge
        }
        if (has(kSourceEnergy)) block_.sourceEnergy = in_.number();
        if (has(kSourceStrength)) in_.skip(1);
        if (has(kBeamWidth)) in_.skip(2);
        if (has(kFieldOfView) && modeIn({"MAP", "MAPDP", "MAPSV", "MAPSVDP", "SEM"})) in_.skip(2);
        if (has(kLinescan) && modeIn({"MAPSV", "MAPSVDP", "SEM"})) in_.skip(6);
        if (has(kIncidenceAngle)) in_.skip(1);
        if (has(kSourceAzimuth)) in_.skip(1);
    }

    void readAnalyser() {
        if (has(kAnalyserMode)) in_.skip(1);
        if (has(kPassEnergy)) in_.skip(1);
        if (has(kDifferentialWidth) && block_.technique == "AES diff") in_.skip(1);
        if (has(kMagnification)) in_.skip(1);
        if (has(kWorkFunction)) in_.skip(1);
        if (has(kTargetBias)) in_.skip(1);
        if (has(kAnalysisWidth)) in_.skip(2);
        if (has(kTakeOffAngles)) in_.skip(2);
        if (has(kSpeciesLabel)) block_.species = in_.label();
        if (has(kTransition)) {
            block_.transition = in_.label();
            in_.skip(1);  // charge of the detected particle
        }
        if (header_.scanMode == "REGULAR" && has(kAbscissa)) {
            block_.abscissaLabel = in_.label();
            in_.skip(1);  // units
            block_.abscissaStart = in_.number();
            block_.abscissaIncrement = in_.number();
        }
        if (has(kCorrespondingVariables)) readCorrespondingVariables();
    }

    // An irregular scan's first variable is its abscissa; the intensity is the variable after it.
    void readCorrespondingVariables() {
        const std::size_t intensity = header_.scanMode == "REGULAR" ? 0 : 1;
        block_.variableLabels.assign(in_.count(), std::string());
        block_.intensityUnit.clear();
        for (std::size_t v = 0; v < block_.variableLabels.size(); ++v) {
            block_.variableLabels[v] = in_.label();
            const std::string unit = in_.label();
            if (v == intensity) block_.intensityUnit = intensityUnitOf(block_.variableLabels[v], unit);
        }
    }

    void readSignal() {
        if (has(kSignalMode)) in_.skip(1);
        if (has(kCollectionTime)) block_.acquisition.dwellTime = positive(in_.finiteNumber());
        if (has(kScanCount)) block_.acquisition.scans = scanCount(in_.finiteNumber());
        if (has(kTimeCorrection)) in_.skip(1);
        if (has(kSputteringSource) &&
            techniqueIn({"AES diff", "AES dir", "EDX", "ELS", "UPS", "XPS", "XRF"}) &&
            modeIn({"MAPDP", "MAPSVDP", "SDP", "SDPSV"})) {
            in_.skip(7);  // energy, current, width x and y, incidence, azimuth, mode
        }
        if (has(kSampleTilt)) in_.skip(2);
        if (has(kSampleRotation)) in_.skip(1);
        if (has(kAdditionalParameters)) in_.skip(3 * in_.count());  // label, units, value
        in_.skip(header_.blockUpgradeEntries);
    }

    void readValues() {
        const int valueCount = in_.count();
        const int variables = static_cast<int>(block_.variableLabels.size());
        const bool regular = header_.scanMode == "REGULAR";
        if (valueCount > 0 && (variables < (regular ? 1 : 2) || valueCount % variables != 0)) malformed();
        in_.skip(2 * variables);  // least and greatest value of each
        std::vector<double> values(static_cast<std::size_t>(valueCount));
        for (double& v : values) v = in_.number();
        if (!regular && variables > 0) block_.abscissaLabel = block_.variableLabels.front();
        if (valueCount > 0) placePoints(values, variables, regular);
    }

    // The points as binding energies, with the block's own source energy for a kinetic-energy axis.
    void placePoints(const std::vector<double>& values, int variables, bool regular) {
        const bool binding = mentionsBindingEnergy(block_.abscissaLabel);
        const std::optional<std::size_t> transmission = transmissionVariable(regular);
        const std::size_t points = values.size() / static_cast<std::size_t>(variables);
        for (std::size_t i = 0; i < points; ++i) {
            const double* point = &values[i * static_cast<std::size_t>(variables)];
            double energy = 0.0;
            if (!regular) {
                energy = binding ? point[0] : block_.sourceEnergy - point[0];
            } else if (binding) {
                energy = block_.abscissaStart + static_cast<double>(i) * block_.abscissaIncrement;
            } else {
                energy = (block_.sourceEnergy - block_.abscissaStart) +
                         static_cast<double>(i) * -block_.abscissaIncrement;
            }
            if (!std::isfinite(static_cast<float>(energy))) malformed();
            block_.energy.push_back(static_cast<float>(energy));
            block_.counts.push_back(static_cast<float>(regular ? point[0] : point[1]));
            if (transmission)
                block_.acquisition.transmission.push_back(static_cast<float>(point[*transmission]));
        }
        const float firstEnergy = block_.energy.front();
        orientHighEnergyFirst(block_.energy, block_.counts);
        block_.reversed = block_.energy.front() != firstEnergy;
        std::vector<float>& t = block_.acquisition.transmission;
        if (block_.reversed) std::reverse(t.begin(), t.end());
        // A transmission of 0 would divide an intensity by nothing: such a column is not kept.
        if (!acquisitionFits(block_.acquisition, static_cast<int>(block_.energy.size()))) t.clear();
    }

    // The first corresponding variable after the intensity whose label names the transmission.
    std::optional<std::size_t> transmissionVariable(bool regular) const {
        const std::vector<std::string>& labels = block_.variableLabels;
        for (std::size_t v = regular ? 1 : 2; v < labels.size(); ++v) {
            if (lowerCase(labels[v]).find("transmission") != std::string::npos) return v;
        }
        return std::nullopt;
    }

    Lines& in_;
    const VamasLayout& header_;
    const VamasBlock* first_;
    VamasBlock block_;
};

VamasBlock withoutPoints(const VamasBlock& block) {
    VamasBlock parameters = block;
    parameters.energy.clear();
    parameters.counts.clear();
    parameters.acquisition.transmission.clear();
    parameters.reversed = false;
    return parameters;
}

// Every block in the order of the file to `take`, with the byte where it starts.  Once a block cannot
// be read the place of the next one is lost: reading ends there and the result is true (damaged),
// unless no block stands before it, which leaves nothing to import (VamasError).
template <typename Take>
bool readBlocks(Lines& in, const VamasLayout& layout, Take take) {
    VamasBlock first;
    for (int b = 0; b < layout.blockCount; ++b) {
        const std::uint64_t offset = in.consumed();
        VamasBlock block;
        try {
            block = BlockReader(in, layout, b == 0 ? nullptr : &first).read();
        } catch (const VamasError&) {
            if (b == 0) throw;
            return true;
        }
        if (b == 0) first = withoutPoints(block);
        take(std::move(block), offset);
    }
    return false;
}

}  // namespace

VamasFile parseVamas(std::string text) {
    std::istringstream stream(std::move(text));
    Lines in(stream);
    const VamasLayout layout = readHeader(in);
    VamasFile file;
    file.damaged = readBlocks(
        in, layout, [&](VamasBlock&& block, std::uint64_t) { file.blocks.push_back(std::move(block)); });
    return file;
}

VamasBlockSummary summarizeBlock(const VamasBlock& b) {
    VamasBlockSummary s{b.species, b.transition, b.technique, static_cast<int>(b.energy.size())};
    if (!b.energy.empty()) {
        const auto [low, high] = std::minmax_element(b.energy.begin(), b.energy.end());
        s.energyHigh = *high;
        s.energyLow = *low;
    }
    return s;
}

std::vector<VamasBlockSummary> summarizeBlocks(const VamasFile& file) {
    std::vector<VamasBlockSummary> summaries;
    for (const VamasBlock& b : file.blocks) summaries.push_back(summarizeBlock(b));
    return summaries;
}

VamasIndex indexVamas(std::istream& in, const std::function<void(const VamasBlockSummary&)>& onBlock) {
    Lines lines(in);
    VamasIndex index;
    index.layout = readHeader(lines);
    index.damaged = readBlocks(lines, index.layout, [&](VamasBlock&& block, std::uint64_t offset) {
        if (index.offsets.empty()) index.first = withoutPoints(block);
        index.offsets.push_back(offset);
        onBlock(summarizeBlock(block));
    });
    return index;
}

VamasIndex indexVamas(std::istream& in) {
    std::vector<VamasBlockSummary> blocks;
    VamasIndex index = indexVamas(in, [&](const VamasBlockSummary& block) { blocks.push_back(block); });
    index.blocks = std::move(blocks);
    return index;
}

VamasBlock readVamasBlock(std::istream& in, const VamasIndex& index, std::size_t block) {
    const std::uint64_t offset = index.offsets.at(block);
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    if (!in) malformed();
    Lines lines(in);
    return BlockReader(lines, index.layout, block == 0 ? nullptr : &index.first).read();
}

}  // namespace vortlan
