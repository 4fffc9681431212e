#pragma once
// The region parameter file (".rpa"): the fit model of one region -- its fit range, its background
// choice and its peaks with their constraint records -- without the spectrum, to be applied to another
// region measured over the same energies.
//
// Current layout: the 29-byte version text, peakCount, rangeCount, backgroundSet and backgroundType
// (shorts), rangeHigh and rangeLow (singles), then for every peak of the region in increasing peak
// index its version-4 Peak record followed by its PeakConstraints record.
//
// Older layout, without version text: peakCount and rangeCount as tagged numbers, backgroundSet and
// backgroundType as shorts, rangeHigh as a single, rangeLow as a tagged number, then the peak entries
// with version-3 Peak records.  A tagged number is a 16-bit type code followed by the value in the
// width of that type.

#include <istream>
#include <string>
#include <string_view>

#include "io/binary_io.h"
#include "io/records_io.h"
#include "workspace/records.h"

namespace vortlan {

inline constexpr std::string_view kRegionParametersVersion = "VORTLAN 4.0 Region Parameters";

// The type codes of the older layout's tagged numbers.
enum class TaggedType : std::int16_t { Short = 2, Long = 3, Single = 4, Double = 5 };

struct RegionParameterHeader {
    PeakLayout layout = PeakLayout::Version4;
    short peakCount = 0;
    short rangeCount = 0;
    short backgroundSet = 0;
    short backgroundType = 0;
    float rangeHigh = 0;
    float rangeLow = 0;

    friend bool operator==(const RegionParameterHeader&, const RegionParameterHeader&) = default;
};

struct RegionParameterEntry {
    Peak peak;
    PeakConstraints constraints;
};

// The whole file for the region, in the current layout.
std::string encodeRegionParameters(const Workspace& workspace, int region);

// Reads the header of either layout from the stream's position and leaves the stream at the first
// peak entry.  Besides a short file, a tagged number of an unknown type or one that does not fit its
// field, a peak count beyond 0..10, a negative range count and an unknown background type are read
// failures.  The range count is not compared with any region here.
RegionParameterHeader readRegionParameterHeader(std::istream& in);

// One peak entry, links as stored.  A peak type beyond 0..4, a %GL beyond 0..100, a curve of more than
// 5001 elements, or a constraint naming a peak outside the table or an unknown operator is a read
// failure.
RegionParameterEntry readRegionParameterEntry(BinaryReader& in, PeakLayout layout);

}  // namespace vortlan
