#include "io/kratos_file.h"

#include <algorithm>
#include <array>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "workspace/limits.h"
#include "workspace/records.h"

namespace vortlan {

namespace {

constexpr int kRegionValueCount = 12;
constexpr int kComponentValueCount = 27;

struct FormatError {
    KratosFault fault;
};

[[noreturn]] void malformed() {
    throw FormatError{KratosFault::Malformed};
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// One position in the file that moves forward from landmark to landmark.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    // Moves just past the next occurrence of the pattern; without one, stays and answers false.
    bool passOptional(std::string_view pattern) {
        const std::size_t at = text_.find(pattern, position_);
        if (at == std::string_view::npos) return false;
        position_ = at + pattern.size();
        return true;
    }

    void pass(std::string_view pattern) {
        if (!passOptional(pattern)) malformed();
    }

    void restart() { position_ = 0; }

    bool atEnd() const { return position_ >= text_.size(); }

    // Up to the line feed, which is consumed.  The carriage return of a CR LF file is not part of
    // the text: it would end up in captions and labels.
    std::string restOfLine() {
        std::size_t end = text_.find('\n', position_);
        if (end == std::string_view::npos) end = text_.size();
        std::string_view line = text_.substr(std::min(position_, end), end - std::min(position_, end));
        position_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return std::string(line);
    }

    std::string valueAfterEquals() {
        pass("=");
        return restOfLine();
    }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
};

float singleOf(std::string_view text) {
    const auto value = toSingle(leadingNumber(text));
    if (!value) malformed();
    return *value;
}

short shortOf(std::string_view text) {
    const auto value = roundHalfEvenToShort(leadingNumber(text));
    if (!value) malformed();
    return *value;
}

short glOfShape(std::string_view shape) {
    if (shape.find("Gau") != std::string_view::npos) return 0;
    if (shape.find("Lo") != std::string_view::npos) return 100;
    const std::size_t open = shape.find('(');
    const std::size_t close = shape.find(')');
    std::string_view inside;
    if (open != std::string_view::npos && close != std::string_view::npos && close > open) {
        inside = shape.substr(open + 1, close - open - 1);
    }
    const short gl = shortOf(inside);
    if (gl < 0 || gl > 100) malformed();
    return gl;
}

template <std::size_t N>
std::array<std::string, N> valuesAfterEquals(Scanner& in) {
    std::array<std::string, N> values;
    for (std::string& value : values) value = in.valueAfterEquals();
    return values;
}

KratosComponent readComponent(Scanner& in) {
    const auto v = valuesAfterEquals<kComponentValueCount>(in);
    KratosComponent c;
    c.label = v[0];
    c.gl = glOfShape(v[1]);
    c.position = singleOf(v[12]);
    c.height = singleOf(v[18]);
    c.fwhm = singleOf(v[24]);
    return c;
}

KratosRegion readRegion(Scanner& in) {
    in.passOptional("=");
    const auto v = valuesAfterEquals<kRegionValueCount>(in);
    KratosRegion region;
    region.sourceNumber = shortOf(v[0]);
    region.caption = v[1];
    region.rangeLow = singleOf(v[3]);
    region.rangeHigh = singleOf(v[4]);
    const bool shirley = v[7].find("SHI") != std::string::npos;
    region.backgroundType = static_cast<short>(shirley ? BackgroundType::Shirley : BackgroundType::Linear);
    const short count = shortOf(v[11]);
    if (count < 0) malformed();
    if (count > kPeaksPerRegion) throw FormatError{KratosFault::TooManyComponents};
    in.passOptional("=");
    for (int k = 0; k < count; ++k) region.components.push_back(readComponent(in));
    return region;
}

// "  KE intensity": blanks before the kinetic energy, a blank after it.
void readDataLine(Scanner& in, float photonEnergy, float& energy, float& counts) {
    if (in.atEnd()) malformed();
    const std::string line = in.restOfLine();
    const auto first = std::find_if_not(line.begin(), line.end(), isBlank);
    const auto separator = std::find_if(first, line.end(), isBlank);
    if (first == separator || separator == line.end()) malformed();
    const float kinetic = singleOf(std::string_view(&*first, static_cast<std::size_t>(separator - first)));
    const auto binding = toSingle(static_cast<double>(photonEnergy) - kinetic);
    if (!binding) malformed();
    energy = *binding;
    counts = singleOf(std::string_view(line).substr(static_cast<std::size_t>(separator - line.begin()) + 1));
}

// Every announced line is read, so that a file shorter than it says is found out; the points beyond
// 5000 are not kept.
void readPoints(Scanner& in, int n, float photonEnergy, ImportedSpectrum& spectrum) {
    const int kept = std::min(n, kMaxPoints);
    spectrum.energy.assign(static_cast<std::size_t>(kept), 0.0f);
    spectrum.counts.assign(static_cast<std::size_t>(kept), 0.0f);
    float energy = 0.0f;
    float counts = 0.0f;
    for (int i = 0; i < n; ++i) {
        readDataLine(in, photonEnergy, energy, counts);
        if (i >= kept) continue;
        spectrum.energy[static_cast<std::size_t>(i)] = energy;
        spectrum.counts[static_cast<std::size_t>(i)] = counts;
    }
    // A scan towards lower kinetic energy would otherwise leave the fit range and the backgrounds,
    // which start at the high binding-energy end, without a range to work on.
    orientHighEnergyFirst(spectrum.energy, spectrum.counts);
}

void readInto(Scanner& in, KratosFile& file) {
    in.pass("Dataset:");
    in.restOfLine();
    in.pass("Object name:");
    in.restOfLine();
    in.pass("# ord");
    const short n = shortOf(in.valueAfterEquals());
    // A region without points could be neither drawn nor fitted.
    if (n < 1) malformed();
    file.announcedPoints = n;

    if (in.passOptional("Comment")) {
        file.comment = in.valueAfterEquals();
    } else {
        in.restart();
    }
    in.pass("energy");
    file.photonEnergy = singleOf(in.valueAfterEquals());

    if (in.passOptional("Regions")) {
        file.region = readRegion(in);
        file.spectrum.caption = file.region->caption;
    } else {
        in.restart();
    }
    // The intensity column's heading, which every export has, names the unit.
    in.pass("(Counts)");
    file.spectrum.intensityUnit = "counts";
    in.restOfLine();
    readPoints(in, n, file.photonEnergy, file.spectrum);
}

}  // namespace

KratosFile readKratosFile(std::string_view text) {
    KratosFile file;
    Scanner in(text);
    try {
        readInto(in, file);
    } catch (const FormatError& error) {
        file.fault = error.fault;
    }
    return file;
}

}  // namespace vortlan
