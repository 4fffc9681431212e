#pragma once
// A spectrum as an import hands it to a region: binding energies from high to low with their
// intensities, at most 5000 points.

#include <optional>
#include <string>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

struct ImportedSpectrum {
    std::string caption;
    std::vector<float> energy;  // binding energies, index 0 the highest
    std::vector<float> counts;
    std::string intensityUnit;  // empty when the file does not name it
    Acquisition acquisition;    // its transmission, when recorded, point by point as energy
};

// Highest and lowest binding energy and intensity of the raw points; the searches start from 0 and
// 10000000, so a negative value is never the maximum.
void computeRegionExtents(Region& region);

// The spectrum into the region's raw arrays (reallocated), caption, intensity unit, acquisition and
// extents; the region holds data and has no background, peaks, fit range or verdict, nor the core
// level, recorded source energy or factor override of the spectrum before (the importer fills those it
// knows).  An acquisition that breaks its rules (acquisitionFits) is not kept.
void storeSpectrum(Workspace& workspace, int region, const ImportedSpectrum& spectrum);

// Points listed with increasing binding energy are turned round, so that the first is the highest.
void orientHighEnergyFirst(std::vector<float>& energy, std::vector<float>& counts);

// The whole file, or nothing when it cannot be read or is larger than maxBytes.
std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes);

}  // namespace vortlan
