#pragma once
// Random workspaces that keep every rule of the records, for round trips through the files.

#include <random>

#include "base/printable_text.h"
#include "io/project_extension.h"
#include "workspace/intensity_unit.h"
#include "workspace/invariants.h"
#include "workspace/records.h"
#include "workspace/resize.h"

namespace vortlan::testing {

class RandomWorkspace {
public:
    explicit RandomWorkspace(unsigned seed) : random_(seed) {}

    Workspace make() {
        Workspace ws;
        int nextPeak = 0;
        for (int r = 0; r < kRegionCount; ++r) {
            if (chance(0.4)) fillRegion(ws, r, nextPeak);
        }
        for (int p = 0; p < kPeakCount; ++p) fillConstraints(ws.constraints[p]);
        fillPeakFields(ws.scratchPeak, 0);
        ws.scratchPeak.curve.allocate(integer(0, 20));
        ws.currentRegion = static_cast<short>(integer(0, kRegionCount - 1));
        ws.currentPeak = static_cast<short>(integer(0, kPeakCount - 1));
        ws.peakTotal = static_cast<short>(integer(0, 100));
        ws.totalChiSquare = real(0, 100);
        ws.areaScrollUnit = real(0.1, 50);
        ws.description = text(integer(0, 128));
        ws.options = options();
        if (chance(0.5)) {
            ws.quantSettings = {real(100, 20000), real(-1, 2), real(-1, 2),
                                static_cast<QuantArea>(integer(0, 2))};
        }
        return ws;
    }

    FitOptions options() {
        FitOptions o;
        o.methodFlag = chance(0.5) ? 1.0f : 0.0f;
        o.searchTrials = static_cast<short>(integer(1, 200));
        o.newtonTrials = static_cast<short>(integer(1, 200));
        o.tolerance = real(0, 1);
        for (SearchLevels* levels : {&o.searchPosition, &o.searchArea, &o.searchFwhm}) {
            for (SearchLevel& level : *levels) level = {flag(), real(0.001, 10), real(0.001, 1)};
        }
        for (NewtonLevels* levels : {&o.newtonPosition, &o.newtonArea, &o.newtonFwhm}) {
            for (NewtonLevel& level : *levels) level = {flag(), real(0.001, 1)};
        }
        o.glSum = flag();
        return o;
    }

    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    float real(double low, double high) {
        return static_cast<float>(std::uniform_real_distribution<double>(low, high)(random_));
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

private:
    short flag() { return chance(0.5) ? kTrue : kFalse; }

    std::string text(int length) {
        std::string s;
        for (int i = 0; i < length; ++i) s.push_back(static_cast<char>(integer(32, 126)));
        return s;
    }

    void fillRegion(Workspace& ws, int index, int& nextPeak) {
        const int n = integer(2, 300);
        resizeRegionArrays(ws, index, n);
        Region& r = ws.regions[index];
        r.defined = kTrue;
        r.sourceNumber = static_cast<short>(integer(-5, 50));
        r.caption.assign(text(integer(0, 25)));
        r.pointCount = static_cast<short>(n);
        const float start = real(100, 1200);
        for (int i = 0; i <= n; ++i) {
            r.energy[i] = start - 0.1f * i;
            r.counts[i] = real(-10, 1e5);
        }
        r.rangeCount = static_cast<short>(integer(0, n));
        for (PointArray* a : {&r.rangeEnergy, &r.rangeCounts, &r.baseLine, &r.background, &r.envelope, &r.residual}) {
            for (int i = 0; i <= n; ++i) (*a)[i] = real(-1e3, 1e5);
        }
        r.beHigh = r.energy[1];
        r.beLow = r.energy[n];
        r.countsHigh = real(0, 1e5);
        r.countsLow = real(-10, 1e3);
        r.backgroundSet = flag();
        r.backgroundType = static_cast<short>(integer(0, 2));
        r.rangeLow = real(100, 1200);
        r.rangeHigh = real(100, 1200);
        r.linearSlope = real(-10, 10);
        r.indexAtHigh = static_cast<short>(integer(0, n));
        r.indexAtLow = static_cast<short>(integer(0, n));
        r.rangeCountsHigh = real(0, 1e5);
        r.rangeCountsLow = real(-10, 1e3);
        r.heightUnit = real(0, 1e3);
        r.chiSquare = real(0, 100);
        r.endAverageLast = real(0, 1e5);
        r.endAverageFirst = real(0, 1e5);
        const short averages[] = {1, 3, 5, 7, 9};
        r.averagePoints = averages[integer(0, 4)];
        r.backgroundParam = real(-1, 4000);
        r.shift = real(-3, 3);
        // What the project keeps after its description; the texts as its reader cleans them.
        if (chance(0.5)) r.intensityUnit = printableText(text(integer(1, 25)), kIntensityUnitLength);
        if (chance(0.5)) r.coreLevel = printableText(text(integer(1, 25)), kCoreLevelLength);
        if (chance(0.5)) r.sourceEnergy = real(10, 20000);
        if (chance(0.5)) r.sensitivityOverride = real(0.01, 50);
        if (chance(0.3)) r.acquisition.dwellTime = real(0.001, 10);
        if (chance(0.3)) r.acquisition.scans = integer(1, 1000);
        if (chance(0.3)) {
            for (int i = 0; i < n; ++i)
                r.acquisition.transmission.push_back(static_cast<float>(real(0.01, 2)));
        }
        const int peaks = std::min(integer(0, kPeaksPerRegion), kPeakCount - nextPeak);
        for (int s = 0; s < peaks; ++s) {
            const int p = nextPeak++;
            r.peakSlots[s] = static_cast<short>(p);
            fillPeakFields(ws.peaks[p], index);
            ws.peaks[p].defined = kTrue;
            resizePeakCurve(ws, p, r.rangeCount);
            for (int i = 0; i <= r.rangeCount; ++i) ws.peaks[p].curve[i] = real(0, 1e5);
        }
        r.peakCount = static_cast<short>(peaks);
    }

    void fillPeakFields(Peak& p, int region) {
        p.label.assign(text(integer(0, 20)));
        p.type = static_cast<short>(integer(0, 4));
        p.splitting = real(0, 10);
        p.position = real(100, 1200);
        p.area = real(0, 1e6);
        p.height = real(0, 120);
        p.fwhm = real(0.3, 5);
        p.gl = static_cast<short>(integer(0, 100));
        p.fixPosition = static_cast<short>(integer(0, 1));
        p.fixFwhm = static_cast<short>(integer(0, 1));
        p.fixArea = static_cast<short>(integer(0, 1));
        p.fixGl = static_cast<short>(integer(0, 1));
        p.region = static_cast<short>(region);
        p.ts = real(0, 1);
        p.tl = real(0.01, 200);
    }

    void fillConstraints(PeakConstraints& c) {
        for (PeakParam param : kPeakParams) {
            ParamConstraint& g = c.of(param);
            g = {flag(), static_cast<short>(integer(0, 50)), flag(), static_cast<short>(integer(0, 50)),
                 static_cast<short>(integer(0, 3)), real(-5, 5), flag(), real(0, 100), real(100, 1000)};
        }
    }

    std::mt19937 random_;
};

}  // namespace vortlan::testing
