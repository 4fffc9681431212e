#pragma once
// Small synthetic spectra made in the tests: evenly spaced points from a high binding energy down.

#include <cmath>
#include <functional>

#include "workspace/records.h"
#include "workspace/resize.h"

namespace vortlan::testing {

// Fills region `index` with n points from beHigh down in steps of `step` eV, counts = f(energy).
inline Region& makeRegion(Workspace& ws, int index, int n, float beHigh, float step,
                          const std::function<double(double)>& f) {
    resizeRegionArrays(ws, index, n);
    Region& r = ws.regions[index];
    r.defined = kTrue;
    r.pointCount = static_cast<short>(n);
    r.beHigh = beHigh;
    r.beLow = beHigh - step * (n - 1);
    r.countsHigh = 0;
    r.countsLow = 10000000;
    for (int i = 1; i <= n; ++i) {
        r.energy[i] = static_cast<float>(beHigh - static_cast<double>(step) * (i - 1));
        r.counts[i] = static_cast<float>(f(r.energy[i]));
        r.countsHigh = std::fmax(r.countsHigh, r.counts[i]);
        r.countsLow = std::fmin(r.countsLow, r.counts[i]);
    }
    r.rangeLow = r.beLow;
    r.rangeHigh = r.beHigh;
    r.averagePoints = 1;
    return r;
}

// A smoothed step: `high` counts on the high-binding-energy side of `edge`, `low` on the other.
inline std::function<double(double)> step(double edge, double low, double high, double width = 0.5) {
    return [=](double e) { return low + (high - low) / (1.0 + std::exp(-(e - edge) / width)); };
}

// A Gaussian of the given height and FWHM on a constant level.
inline std::function<double(double)> gaussianOn(double level, double centre, double height, double fwhm) {
    return [=](double e) {
        const double u = 2.0 * (e - centre) / fwhm;
        return level + height * std::exp(-0.6931471806 * u * u);
    };
}

// Puts a defined peak into the next slot of the region, as "Add Peak" leaves it.
inline Peak& addPeak(Workspace& ws, int region, int index, float position, float area, float fwhm,
                     short gl = 30, short type = 1) {
    Region& r = ws.regions[region];
    r.peakSlots[r.peakCount++] = static_cast<short>(index);
    Peak& p = ws.peaks[index];
    p.defined = kTrue;
    p.region = static_cast<short>(region);
    p.type = type;
    p.position = position;
    p.area = area;
    p.fwhm = fwhm;
    p.gl = gl;
    p.tl = 1;
    resizePeakCurve(ws, index, r.rangeCount);
    return p;
}

}  // namespace vortlan::testing
