#include "fit/evaluation.h"

#include <algorithm>

#include "base/checked_math.h"
#include "base/number_reading.h"
#include "model/propagation.h"
#include "model/region_curves.h"

namespace vortlan {

namespace {

// A tied peak that lies in another region than the current one.
bool tiedElsewhere(const Workspace& ws, int peak, PeakParam param) {
    for (int t = 0; t < kPeakCount; ++t) {
        const Peak& tied = ws.peaks[t];
        if (ws.constraints[t].of(param).refPeak == peak && isTrue(tied.defined) &&
            tied.region != ws.currentRegion) {
            return true;
        }
    }
    return false;
}

}  // namespace

EvaluationMode evaluationModeOf(const Workspace& ws, int peak, PeakParam param) {
    if (!isTrue(ws.constraints.at(peak).of(param).isReference)) return EvaluationMode::SinglePeak;
    return tiedElsewhere(ws, peak, param) ? EvaluationMode::TiedAcrossRegions
                                          : EvaluationMode::TiedWithinRegion;
}

void setParameter(Peak& peak, PeakParam param, double value) {
    if (param == PeakParam::Gl) {
        peak.gl = roundHalfEvenToShort(std::clamp(value, 0.0, 100.0)).value_or(0);
    } else {
        realParameter(peak, param) = static_cast<float>(value);
    }
}

double parameterOf(const Peak& peak, PeakParam param) {
    return param == PeakParam::Gl ? peak.gl : static_cast<double>(realParameter(peak, param));
}

std::optional<float> evaluateTrial(Workspace& ws, Port& port, int peak, PeakParam param,
                                   EvaluationMode mode) {
    try {
        switch (mode) {
            case EvaluationMode::SinglePeak:
                return singlePeakStatistic(ws, peak);
            case EvaluationMode::TiedWithinRegion:
                propagate(ws, param, peak);
                updateRegionCurves(ws, port);
                return currentRegionOf(ws).chiSquare;
            case EvaluationMode::TiedAcrossRegions:
                propagate(ws, param, peak);
                allRegionStatistic(ws);
                return ws.totalChiSquare;
        }
    } catch (const ComputationFault&) {
    }
    return std::nullopt;
}

void settleParameter(Workspace& ws, Port& port, int peak, PeakParam param, EvaluationMode mode) {
    try {
        if (mode != EvaluationMode::SinglePeak) propagate(ws, param, peak);
        if (mode == EvaluationMode::TiedAcrossRegions) {
            allRegionStatisticShown(ws, port);
        } else {
            updateRegionCurves(ws, port);
        }
    } catch (const ComputationFault&) {
        // Another peak that cannot be evaluated leaves its region's curves as they were; the value
        // kept here stands.
        updateRegionCurves(ws, port);
    }
}

}  // namespace vortlan
