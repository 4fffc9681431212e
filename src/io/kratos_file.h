#pragma once
// The text export of a Kratos instrument (.des): a spectrum in kinetic energy with the photon energy
// that converts it, and, when the instrument's software fitted it, the fitted region: its range, its
// background and up to ten components.  The file is scanned for landmark texts, not parsed by lines.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/imported_spectrum.h"

namespace vortlan {

struct KratosComponent {
    std::string label;
    short gl = 0;  // 0 for a Gaussian shape, 100 for a Lorentzian, else the mixing in parentheses
    float position = 0;
    float height = 0;
    float fwhm = 0;
};

struct KratosRegion {
    short sourceNumber = 0;
    std::string caption;
    float rangeLow = 0;
    float rangeHigh = 0;
    short backgroundType = 0;  // Shirley when the file names it in capitals, else linear
    std::vector<KratosComponent> components;
};

enum class KratosFault {
    None,
    Malformed,          // a landmark or a data line missing, or a value out of range
    TooManyComponents,  // more components than a region has peak slots
};

// What was read, in the order of the file; after a fault only the items before it are filled.
struct KratosFile {
    std::optional<int> announcedPoints;  // the number of points the file gives, 1..32767
    std::optional<std::string> comment;
    float photonEnergy = 0;
    std::optional<KratosRegion> region;
    ImportedSpectrum spectrum;  // at most the first 5000 points, highest binding energy first
    KratosFault fault = KratosFault::None;
};

KratosFile readKratosFile(std::string_view text);

}  // namespace vortlan
