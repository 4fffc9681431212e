#include "model/propagation.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/checked_math.h"
#include "base/number_reading.h"

namespace vortlan {

namespace {

double combine(double value, const ParamConstraint& c) {
    switch (static_cast<ConstraintOp>(c.op)) {
        case ConstraintOp::Add:
            return value + c.operand;
        case ConstraintOp::Subtract:
            return value - c.operand;
        case ConstraintOp::Multiply:
            return value * c.operand;
        case ConstraintOp::Divide:
            return divideOrFault(value, c.operand);
    }
    return value;
}

bool knownOp(short op) {
    return op >= 0 && op <= 3;
}

float heldWithinShape(PeakParam param, float value) {
    if (param == PeakParam::Area) return std::max(value, 0.0f);
    if (param == PeakParam::Fwhm) return std::max(value, kMinimumTiedFwhm);
    return value;
}

short relatedGl(double referenceGl, const ParamConstraint& c) {
    const double result = combine(static_cast<float>(referenceGl), c);
    const auto gl = roundHalfEvenToShort(std::clamp(finiteOrFault(result), 0.0, 100.0));
    return *gl;  // within 0..100 after the clamp
}

bool tiedTo(const Workspace& ws, PeakParam param, int candidate, int reference) {
    const ParamConstraint& c = ws.constraints[candidate].of(param);
    return isTrue(c.linked) && c.refPeak == reference;
}

}  // namespace

void relate(Workspace& ws, PeakParam param, int reference, int tied) {
    const ParamConstraint& c = ws.constraints.at(tied).of(param);
    if (!knownOp(c.op)) return;
    const Peak& ref = ws.peaks.at(reference);
    Peak& peak = ws.peaks.at(tied);
    if (param == PeakParam::Gl) {
        peak.gl = relatedGl(ref.gl, c);
        return;
    }
    const float value = singleOrFault(combine(realParameter(ref, param), c));
    realParameter(peak, param) = heldWithinShape(param, value);
}

void propagate(Workspace& ws, PeakParam param, int changed) {
    std::array<bool, kPeakCount> queued{};
    std::array<bool, kPeakCount> expanded{};
    int current = changed;
    while (current >= 0) {
        for (int c = 0; c < kPeakCount; ++c) {
            // The changed peak is never rewritten, even by a cycle a damaged file might hold.
            if (c == current || c == changed || !isTrue(ws.peaks[c].defined)) continue;
            if (!tiedTo(ws, param, c, current)) continue;
            queued[c] = true;
            relate(ws, param, current, c);
        }
        expanded[current] = true;
        current = -1;
        for (int c = 0; c < kPeakCount && current < 0; ++c) {
            if (queued[c] && !expanded[c]) current = c;
        }
    }
}

void applyAllRelations(Workspace& ws) {
    constexpr PeakParam kVisitOrder[] = {PeakParam::Position, PeakParam::Fwhm, PeakParam::Area,
                                         PeakParam::Gl};
    for (int r = 0; r < kPeakCount; ++r) {
        for (PeakParam param : kVisitOrder) {
            if (!isTrue(ws.constraints[r].of(param).isReference)) continue;
            for (int t = 0; t < kPeakCount; ++t) {
                if (tiedTo(ws, param, t, r)) relate(ws, param, r, t);
            }
        }
    }
}

}  // namespace vortlan
