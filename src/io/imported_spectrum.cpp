#include "io/imported_spectrum.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "workspace/acquisition.h"
#include "workspace/intensity_unit.h"
#include "workspace/resize.h"

namespace vortlan {

void computeRegionExtents(Region& r) {
    r.beHigh = 0.0f;
    r.countsHigh = 0.0f;
    r.beLow = 10000000.0f;
    r.countsLow = 10000000.0f;
    for (int i = 1; i <= r.pointCount; ++i) {
        if (r.energy[i] > r.beHigh) r.beHigh = r.energy[i];
        if (r.energy[i] < r.beLow) r.beLow = r.energy[i];
        if (r.counts[i] > r.countsHigh) r.countsHigh = r.counts[i];
        if (r.counts[i] < r.countsLow) r.countsLow = r.counts[i];
    }
}

void storeSpectrum(Workspace& ws, int region, const ImportedSpectrum& spectrum) {
    const int n = static_cast<int>(std::min<std::size_t>(spectrum.energy.size(), kMaxPoints));
    resizeRegionArrays(ws, region, n);
    Region& r = ws.regions.at(region);
    forgetFitVerdict(ws, region);
    r.pointCount = static_cast<short>(n);
    r.caption.assign(spectrum.caption);
    r.intensityUnit = intensityUnitText(spectrum.intensityUnit);
    r.sourceEnergy.reset();
    r.coreLevel.clear();
    r.sensitivityOverride.reset();
    r.acquisition = acquisitionFits(spectrum.acquisition, n) ? spectrum.acquisition : Acquisition{};
    for (int i = 1; i <= n; ++i) {
        r.energy[i] = spectrum.energy[i - 1];
        r.counts[i] = spectrum.counts[i - 1];
    }
    r.defined = kTrue;
    r.backgroundSet = kFalse;
    r.peakCount = 0;
    // The fit range of an earlier spectrum means nothing for this one and may not fit its arrays.
    r.rangeCount = 0;
    r.indexAtHigh = 0;
    r.indexAtLow = 0;
    // A slot never used since start-up holds no background settings yet.
    if (r.averagePoints != 1 && r.averagePoints != 3 && r.averagePoints != 5 && r.averagePoints != 7 &&
        r.averagePoints != 9) {
        r.averagePoints = 1;
    }
    if (r.backgroundType < 0 || r.backgroundType > 2)
        r.backgroundType = static_cast<short>(BackgroundType::Shirley);
    computeRegionExtents(r);
}

void orientHighEnergyFirst(std::vector<float>& energy, std::vector<float>& counts) {
    if (energy.size() < 2 || !(energy.front() < energy.back())) return;
    std::reverse(energy.begin(), energy.end());
    std::reverse(counts.begin(), counts.end());
}

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > maxBytes) return std::nullopt;
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), size)) return std::nullopt;
    return text;
}

}  // namespace vortlan
