#include "model/region_curves.h"

#include <cmath>

#include "base/checked_math.h"
#include "base/number_text.h"
#include "model/backgrounds.h"
#include "model/peak_shapes.h"
#include "workspace/resize.h"

namespace vortlan {

namespace {

// The curve update skips faulting statements; everything the optimisers call ends on a fault.
enum class OnFault { Skip, End };

void store(float& target, double value, OnFault onFault) {
    if (onFault == OnFault::Skip) {
        storeSingle(target, value);
    } else {
        target = singleOrFault(value);
    }
}

bool slotsValid(const Region& r) {
    if (r.peakCount < 0 || r.peakCount > kPeaksPerRegion) return false;
    for (int s = 0; s < r.peakCount; ++s) {
        if (r.peakSlots[s] < 0 || r.peakSlots[s] >= kPeakCount) return false;
    }
    return true;
}

// Whether the region's range arrays hold its range and its slots name peaks of the table.
bool curvesComputable(const Region& r) {
    const int n = r.rangeCount;
    return n >= 0 && r.rangeEnergy.holds(n) && r.rangeCounts.holds(n) && r.background.holds(n) &&
           r.envelope.holds(n) && r.residual.holds(n) && slotsValid(r);
}

void requireComputable(const Region& r) {
    if (!curvesComputable(r)) throw ComputationFault(FaultKind::OutOfRange);
}

// Peak curves are derived data: one too short for the range (a damaged file) is renewed.
void ensureCurve(Workspace& workspace, int peak, int n) {
    if (!workspace.peaks[peak].curve.holds(n)) resizePeakCurve(workspace, peak, n);
}

CurveKey curveKeyOf(const Workspace& workspace, const Peak& p, float shift) {
    return CurveKey{shapeOf(p, shift), workspace.options.glSum};
}

// Whether the peak's curve is known to hold its present shape already (inside a fitting run only).
bool curveCurrent(const Workspace& workspace, int peak, const CurveKey& key) {
    const CurveMemo& memo = workspace.curveMemo;
    return memo.active && memo.keys[peak] == key;
}

void rememberCurve(Workspace& workspace, int peak, const CurveKey& key, bool complete) {
    CurveMemo& memo = workspace.curveMemo;
    if (memo.active) memo.keys[peak] = complete ? std::optional<CurveKey>(key) : std::nullopt;
}

void computePeakCurve(Workspace& workspace, const Region& r, int peak, OnFault onFault) {
    const int n = r.rangeCount;
    Peak& p = workspace.peaks[peak];
    const CurveKey key = curveKeyOf(workspace, p, r.shift);
    if (p.curve.holds(n) && curveCurrent(workspace, peak, key)) return;
    // From here the curve is rewritten: one left half written by a fault must not pass for the
    // shape remembered before.
    rememberCurve(workspace, peak, key, false);
    ensureCurve(workspace, peak, n);
    const PeakEvaluator value(lineFormOf(workspace.options), shapeOf(p, r.shift));
    bool complete = true;
    for (int i = 1; i <= n; ++i) {
        const double v = static_cast<double>(value(r.rangeEnergy[i])) + r.background[i];
        if (onFault == OnFault::Skip) {
            complete = storeSingle(p.curve[i], v) && complete;
        } else {
            p.curve[i] = singleOrFault(v);
        }
    }
    rememberCurve(workspace, peak, key, complete);
}

// The envelope of every peak but the excluded one (-1 for none), and the residual under it.
void sumEnvelope(Workspace& workspace, Region& r, int excludedPeak, OnFault onFault) {
    const int n = r.rangeCount;
    for (int i = 1; i <= n; ++i) r.envelope[i] = r.background[i];
    for (int s = 0; s < r.peakCount; ++s) {
        const int peak = r.peakSlots[s];
        if (peak == excludedPeak) continue;
        const PointArray& curve = workspace.peaks[peak].curve;
        for (int i = 1; i <= n; ++i) {
            store(r.envelope[i], static_cast<double>(r.envelope[i]) + curve[i] - r.background[i], onFault);
        }
    }
    for (int i = 1; i <= n; ++i)
        store(r.residual[i], static_cast<double>(r.rangeCounts[i]) - r.envelope[i], onFault);
}

// The mean weighted square of the residual, summed in single precision.
float residualStatistic(const Region& r, OnFault onFault) {
    float sum = 0.0f;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const double residual = r.residual[i];
        store(sum, sum + residual * residual / statisticWeight(r.rangeCounts[i]), onFault);
    }
    if (r.rangeCount == 0) {
        if (onFault == OnFault::End) throw ComputationFault(FaultKind::DivisionByZero);
        return sum;
    }
    float chi = sum;
    store(chi, static_cast<double>(sum) / r.rangeCount, onFault);
    return chi;
}

float computeRegionCurves(Workspace& workspace, int region, OnFault onFault) {
    ++workspace.statisticEvaluations;
    Region& r = workspace.regions[region];
    for (int s = 0; s < r.peakCount; ++s) computePeakCurve(workspace, r, r.peakSlots[s], onFault);
    sumEnvelope(workspace, r, -1, onFault);
    return residualStatistic(r, onFault);
}

bool takesPartInTotal(const Region& r) {
    return isTrue(r.defined) && isTrue(r.backgroundSet);
}

void measureIntensityRange(Region& r) {
    float high = 0.0f;
    float low = 10000000.0f;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const float v = singleOrFault(static_cast<double>(r.rangeCounts[i]) - r.background[i]);
        if (v > high) high = v;
        if (v < low) low = v;
    }
    r.rangeCountsHigh = high;
    r.rangeCountsLow = low;
    r.heightUnit = singleOrFault((static_cast<double>(high) - low) / 100.0);
}

float checkedHeight(LineForm form, const Peak& p, float heightUnit) {
    const float height = heightFromArea(form, p.area, p.fwhm, p.gl, p.type, p.ts, p.tl, heightUnit);
    if (std::isfinite(height)) return height;
    const bool zeroDivisor = heightUnit == 0.0f || p.fwhm == 0.0f;
    throw ComputationFault(zeroDivisor ? FaultKind::DivisionByZero : FaultKind::Overflow);
}

}  // namespace

double statisticWeight(double data) {
    return data == 0.0 ? 1.0 : std::fabs(data);
}

void recomputeRegion(Workspace& workspace, Port& port) {
    Region& r = currentRegionOf(workspace);
    computeBackground(workspace, workspace.currentRegion);
    requireComputable(r);
    measureIntensityRange(r);
    const LineForm form = lineFormOf(workspace.options);
    for (int s = 0; s < r.peakCount; ++s) {
        Peak& p = workspace.peaks[r.peakSlots[s]];
        if (isTrue(workspace.acceptingBackground)) p.height = checkedHeight(form, p, r.heightUnit);
        p.area =
            singleOrFault(areaFromHeight(form, p.height, p.fwhm, p.gl, p.type, p.ts, p.tl, r.heightUnit));
    }
    if (r.peakCount >= 1) updateRegionCurves(workspace, port);
}

std::optional<float> updateCurvesQuietly(Workspace& workspace, int region) {
    if (!curvesComputable(workspace.regions.at(region))) return std::nullopt;
    return computeRegionCurves(workspace, region, OnFault::Skip);
}

namespace {

// A peak's height is derived from its area: kept so whenever the curves are, so that an area an
// optimiser found survives a later recomputation that keeps heights (and a region-parameter file).
void deriveHeights(Workspace& workspace, const Region& r) {
    const LineForm form = lineFormOf(workspace.options);
    for (int s = 0; s < r.peakCount; ++s) {
        Peak& p = workspace.peaks[r.peakSlots[s]];
        storeSingle(p.height, heightFromArea(form, p.area, p.fwhm, p.gl, p.type, p.ts, p.tl, r.heightUnit));
    }
}

}  // namespace

void updateRegionCurves(Workspace& workspace, Port& port) {
    const int region = workspace.currentRegion;
    Region& r = currentRegionOf(workspace);
    const auto statistic = updateCurvesQuietly(workspace, region);
    if (!statistic) return;
    deriveHeights(workspace, r);
    const float chi = *statistic;
    port.setChiText(region, signedNumberText(chi));
    r.chiSquare = chi;
    sumTotalChiSquare(workspace);
    port.setSumChiText(signedNumberText(workspace.totalChiSquare));
}

void prepareSinglePeakFit(Workspace& workspace, int peak) {
    Region& r = currentRegionOf(workspace);
    requireComputable(r);
    for (int s = 0; s < r.peakCount; ++s) computePeakCurve(workspace, r, r.peakSlots[s], OnFault::End);
    sumEnvelope(workspace, r, peak, OnFault::End);
}

float singlePeakStatistic(Workspace& workspace, int peak) {
    const Region& r = currentRegionOf(workspace);
    requireComputable(r);
    ensureCurve(workspace, peak, r.rangeCount);
    Peak& p = workspace.peaks.at(peak);
    ++workspace.statisticEvaluations;
    const PeakEvaluator value(lineFormOf(workspace.options), shapeOf(p, r.shift));
    const int n = r.rangeCount;
    float* curve = p.curve.data();
    for (int i = 1; i <= n; ++i) curve[i] = static_cast<float>(value(r.rangeEnergy[i]) + r.background[i]);
    float sum = 0.0f;
    for (int i = 1; i <= n; ++i) {
        const double background = r.background[i];
        const double residual = r.residual[i] - (curve[i] - background);
        sum = static_cast<float>(sum + residual * residual / statisticWeight(r.rangeCounts[i]));
    }
    // A value that cannot be evaluated, or a sum beyond the range of a single, shows in the sum; such a
    // curve is not remembered.
    rememberCurve(workspace, peak, curveKeyOf(workspace, p, r.shift), std::isfinite(sum));
    return singleOrFault(divideOrFault(singleOrFault(sum), n));
}

void sumTotalChiSquare(Workspace& workspace) {
    float total = 0.0f;
    for (const Region& r : workspace.regions) {
        if (takesPartInTotal(r)) total = static_cast<float>(static_cast<double>(total) + r.chiSquare);
    }
    workspace.totalChiSquare = total;
}

void allRegionStatistic(Workspace& workspace) {
    workspace.totalChiSquare = 0.0f;
    for (int region = 0; region < kRegionCount; ++region) {
        Region& r = workspace.regions[region];
        if (!takesPartInTotal(r)) continue;
        requireComputable(r);
        r.chiSquare = computeRegionCurves(workspace, region, OnFault::End);
        workspace.totalChiSquare = singleOrFault(static_cast<double>(workspace.totalChiSquare) + r.chiSquare);
    }
}

void allRegionStatisticShown(Workspace& workspace, Port& port) {
    allRegionStatistic(workspace);
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = workspace.regions[region];
        if (takesPartInTotal(r)) port.setChiText(region, signedNumberText(r.chiSquare));
    }
    port.setSumChiText(shortNumberText(workspace.totalChiSquare));
}

}  // namespace vortlan
