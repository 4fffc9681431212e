#pragma once
// Spectra in plain text: the exports of Leybold instruments (several regions, each with its caption
// and its energy/intensity pairs), of PHI instruments (region records with a start energy, a step and
// the intensities) and two-column binding-energy/intensity files.  Energies are binding energies.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/imported_spectrum.h"

namespace vortlan {

// One region as the file gives it.
struct TextRegion {
    std::optional<std::string> description;  // PHI records carry one each
    std::optional<int> announcedPoints;      // 1..32767; at most the first 5000 points are kept
    ImportedSpectrum spectrum;               // highest binding energy first
};

// The regions of a Leybold or PHI file, at most ten: a program with ten region slots never reads
// further.  When an error ends the reading, `unfinished` holds what was read of the region it
// happened in, if it happened inside one.
struct MultiRegionText {
    std::optional<std::string> description;  // the Leybold file's
    std::vector<TextRegion> regions;
    std::optional<TextRegion> unfinished;
    bool failed = false;
};

MultiRegionText readLeyboldText(std::string_view text);
MultiRegionText readPhiText(std::string_view text);

// Two-column text: header lines before the first pair are passed over when they do not begin with a
// number, and a pair's values may be separated by blanks, tabs, commas or semicolons.  Reading stops
// after 5000 pairs.
struct AsciiText {
    ImportedSpectrum spectrum;  // highest binding energy first; empty when `failed`
    bool reachedLimit = false;  // 5000 pairs were read
    bool failed = false;
};

AsciiText readAsciiText(std::string_view text);

}  // namespace vortlan
