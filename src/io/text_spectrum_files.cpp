#include "io/text_spectrum_files.h"

#include <algorithm>
#include <variant>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "base/number_text.h"
#include "io/text_fields.h"
#include "workspace/limits.h"

namespace vortlan {

namespace {

using FreeField = std::variant<double, std::string>;

// Energies kept as read until the order is decided, so that the comparison sees the file's digits.
struct Pairs {
    std::vector<double> energy;
    std::vector<float> counts;
};

std::string textOf(const FreeField& field) {
    if (const auto* text = std::get_if<std::string>(&field)) return *text;
    return shortNumberText(static_cast<float>(std::get<double>(field)));
}

double numberOf(const FreeField& field) {
    if (const auto* value = std::get_if<double>(&field)) return *value;
    throw FieldError("a text where a number should be");
}

// Every value ends up in a single; one beyond its range, or not a number, cannot be stored.
float singleOf(double value) {
    const auto single = toSingle(value);
    if (!single) throw FieldError("a number beyond the range of a single");
    return *single;
}

int shortOf(double value) {
    const auto count = roundHalfEvenToShort(value);
    if (!count) throw FieldError("a count beyond 16 bits");
    return *count;
}

// The number to the right of the text's first "=", or the whole text when it has none.
int countAfterEquals(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) text.remove_prefix(equals + 1);
    const auto value = wholeNumber(text);
    if (!value) throw FieldError("a count that is not a number");
    const int count = shortOf(*value);
    if (count < 0) throw FieldError("a negative count");
    return count;
}

// A region without points could be neither drawn nor fitted.
int pointCountOf(int count) {
    if (count < 1) throw FieldError("a region without points");
    return count;
}

// Pairs listed from high to low binding energy are kept in that order; any other order is turned
// round.
void storePairs(const Pairs& pairs, ImportedSpectrum& spectrum) {
    const std::size_t n = pairs.energy.size();
    const bool asRead = n > 0 && pairs.energy.front() > pairs.energy.back();
    spectrum.energy.resize(n);
    spectrum.counts.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t from = asRead ? i : n - 1 - i;
        spectrum.energy[i] = static_cast<float>(pairs.energy[from]);
        spectrum.counts[i] = pairs.counts[from];
    }
}

// The pair is kept only while there is room for it; the rest are read to reach what follows.
void readPair(FieldReader& in, Pairs& pairs) {
    const double energy = numberOf(in.readFree());
    singleOf(energy);
    const float counts = singleOf(in.readNumber());
    if (pairs.energy.size() >= static_cast<std::size_t>(kMaxPoints)) return;
    pairs.energy.push_back(energy);
    pairs.counts.push_back(counts);
}

void readLeyboldRegion(FieldReader& in, TextRegion& region) {
    in.readText();
    region.spectrum.caption = in.readText();
    const int n = pointCountOf(countAfterEquals(in.readText()));
    region.announcedPoints = n;
    Pairs pairs;
    for (int i = 0; i < n; ++i) readPair(in, pairs);
    storePairs(pairs, region.spectrum);
}

void readPhiRegion(FieldReader& in, TextRegion& region) {
    const FreeField first = in.readFree();
    // The description joins the first two fields as texts; a number in front cannot be joined.
    if (!std::holds_alternative<std::string>(first)) throw FieldError("a description that is a number");
    region.description = std::get<std::string>(first) + " " + in.readText();
    region.spectrum.caption = in.readText();
    in.readShort();
    const double start = numberOf(in.readFree());
    const float step = singleOf(in.readNumber());
    const int n = pointCountOf(shortOf(numberOf(in.readFree())));
    region.announcedPoints = n;
    const int kept = std::min(n, kMaxPoints);
    std::vector<float>& energy = region.spectrum.energy;
    std::vector<float>& counts = region.spectrum.counts;
    for (int i = 0; i < n; ++i) {
        const float value = singleOf(in.readNumber());
        if (i >= kept) continue;
        counts.push_back(value);
        energy.push_back(singleOf(start + static_cast<double>(i) * step));
    }
    in.readShort();
    orientHighEnergyFirst(energy, counts);
}

// Reads regions while `more` says the file has another, never more than there are slots; an error
// ends the reading with the region it happened in kept as unfinished.
template <typename More, typename ReadRegion>
void readRegions(FieldReader& in, MultiRegionText& file, More more, ReadRegion readRegion) {
    while (file.regions.size() < static_cast<std::size_t>(kRegionCount) && more()) {
        file.unfinished.emplace();
        readRegion(in, *file.unfinished);
        file.regions.push_back(std::move(*file.unfinished));
        file.unfinished.reset();
    }
}

// The text from the first line that begins with a number on, with semicolons as commas.  Before the
// first pair, a line of any other kind is a heading; after it, such a line is an error as always.
std::string pairsPart(std::string_view text) {
    std::size_t line = 0;
    while (line < text.size()) {
        const std::size_t first = text.find_first_not_of(" \t", line);
        if (first != std::string_view::npos && beginsLikeNumber(text.substr(first))) break;
        const std::size_t end = text.find('\n', line);
        line = end == std::string_view::npos ? text.size() : end + 1;
    }
    std::string pairs(text.substr(line));
    std::replace(pairs.begin(), pairs.end(), ';', ',');
    return pairs;
}

}  // namespace

MultiRegionText readLeyboldText(std::string_view text) {
    MultiRegionText file;
    FieldReader in{std::string(text)};
    try {
        file.description = textOf(in.readFree());
        int count = countAfterEquals(in.readText());
        const auto more = [&count] { return count-- > 0; };
        readRegions(in, file, more, readLeyboldRegion);
    } catch (const FieldError&) {
        file.failed = true;
    }
    return file;
}

MultiRegionText readPhiText(std::string_view text) {
    MultiRegionText file;
    FieldReader in{std::string(text)};
    try {
        const auto more = [&in] { return !in.atEnd(); };
        readRegions(in, file, more, readPhiRegion);
    } catch (const FieldError&) {
        file.failed = true;
    }
    return file;
}

AsciiText readAsciiText(std::string_view text) {
    AsciiText file;
    FieldReader in(pairsPart(text));
    Pairs pairs;
    try {
        while (!in.atEnd()) {
            readPair(in, pairs);
            if (pairs.energy.size() == static_cast<std::size_t>(kMaxPoints)) {
                file.reachedLimit = true;
                break;
            }
        }
    } catch (const FieldError&) {
        file.failed = true;
        return file;
    }
    storePairs(pairs, file.spectrum);
    return file;
}

}  // namespace vortlan
