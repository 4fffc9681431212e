#pragma once
// The stored forms of the workspace records shared by the project and region-parameter files.

#include "io/binary_io.h"
#include "workspace/records.h"

namespace vortlan {

// How a region's eight point arrays are stored: array blocks with their own bounds, or (the oldest
// project layout) fixed blocks of 2001 singles of which 0..pointCount are data.
enum class RegionArrays { Blocks, FixedBlocks };

inline constexpr int kFixedBlockSize = 2001;

void writeRegionRecord(BinaryWriter& out, const Region& region, RegionArrays arrays = RegionArrays::Blocks);
// Reads the fields in stored order.  With fixed blocks the arrays are allocated for pointCount first,
// which must then be within the block.
void readRegionRecord(BinaryReader& in, Region& region, RegionArrays arrays);

enum class PeakLayout { Version3, Version4 };

// A version-3 record leaves out the tail parameters.
void writePeakRecord(BinaryWriter& out, const Peak& peak, PeakLayout layout = PeakLayout::Version4);
// A version-3 record has no tail parameters and an unused FWHM fix flag: it is read as a symmetric
// peak whose FWHM is fixed as its area is.
void readPeakRecord(BinaryReader& in, Peak& peak, PeakLayout layout);
// The fields from `defined` to `region`, which every layout stores alike.
void writePeakHead(BinaryWriter& out, const Peak& peak);
void readPeakHead(BinaryReader& in, Peak& peak);

void writeConstraints(BinaryWriter& out, const PeakConstraints& constraints);
void readConstraints(BinaryReader& in, PeakConstraints& constraints);
// The oldest layout's groups hold no limits: those are switched off and keep their values.
void readOldestConstraints(BinaryReader& in, PeakConstraints& constraints);

}  // namespace vortlan
