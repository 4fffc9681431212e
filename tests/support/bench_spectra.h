#pragma once
// The peer spectra of bench/peers, set up as a user sets them up: the two columns read into a
// region as the imports store a spectrum, a Shirley background accepted over the whole range without
// end averaging, and one peak at each starting value with all four parameters free.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/imported_spectrum.h"
#include "model/backgrounds.h"
#include "model/peak_shapes.h"
#include "model/region_curves.h"
#include "support/synthetic_region.h"
#include "workspace/port.h"

namespace vortlan::testing {

// A starting value of the benchmark: height in counts, %GL in percent.
struct StartingPeak {
    float position;
    float fwhm;
    float height;
    short gl;
};

inline const std::vector<StartingPeak> kC1sStart = {{285.0f, 1.0f, 6110.0f, 30},
                                                    {286.1f, 1.0f, 2570.0f, 30},
                                                    {288.0f, 1.0f, 1140.0f, 30},
                                                    {288.8f, 1.0f, 520.0f, 30}};

inline const std::vector<StartingPeak> kBigStart = {{284.1f, 1.0f, 920.0f, 30},  {284.6f, 1.0f, 6110.0f, 30},
                                                    {285.8f, 1.0f, 2290.0f, 30}, {286.2f, 1.0f, 1720.0f, 30},
                                                    {287.3f, 1.0f, 990.0f, 30},  {287.7f, 1.0f, 760.0f, 30},
                                                    {289.2f, 1.0f, 780.0f, 30},  {290.6f, 1.0f, 200.0f, 30}};

inline std::string benchSpectrumPath(const std::string& sourceDir, const std::string& name) {
    return sourceDir + "/bench/peers/" + name + ".dat";
}

// Lines starting with "#" are comments.  False when the file cannot be read.
inline bool readTwoColumns(const std::string& path, ImportedSpectrum& spectrum) {
    std::ifstream in(path);
    if (!in) return false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        float energy = 0;
        float counts = 0;
        if (!(fields >> energy >> counts)) return false;
        spectrum.energy.push_back(energy);
        spectrum.counts.push_back(counts);
    }
    return !spectrum.energy.empty();
}

// Region `region` holds the spectrum, fitted by peaks firstPeak, firstPeak + 1, ...; the region is the
// current one.  False when the file cannot be read.
inline bool setUpBenchSpectrum(Workspace& ws, Port& port, const std::string& path, int region,
                               const std::vector<StartingPeak>& start, int firstPeak = 0) {
    ImportedSpectrum spectrum;
    if (!readTwoColumns(path, spectrum)) return false;
    storeSpectrum(ws, region, spectrum);
    Region& r = ws.regions[region];
    r.backgroundType = static_cast<short>(BackgroundType::Shirley);
    r.rangeLow = r.beLow;
    r.rangeHigh = r.beHigh;
    r.averagePoints = 1;
    r.backgroundParam = 0.0f;
    ws.currentRegion = static_cast<short>(region);
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
    r.backgroundSet = kTrue;
    for (std::size_t k = 0; k < start.size(); ++k) {
        const StartingPeak& s = start[k];
        const float area = areaFromHeight(lineFormOf(ws.options), s.height / r.heightUnit, s.fwhm, s.gl, 1,
                                          0.0f, 1.0f, r.heightUnit);
        addPeak(ws, region, firstPeak + static_cast<int>(k), s.position, area, s.fwhm, s.gl).fixGl = 0;
    }
    updateRegionCurves(ws, port);
    return true;
}

}  // namespace vortlan::testing
