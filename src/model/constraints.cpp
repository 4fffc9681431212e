#include "model/constraints.h"

#include <array>

namespace vortlan {

namespace {

constexpr std::array<PeakParam, 4> kDialogOrder = {PeakParam::Position, PeakParam::Fwhm, PeakParam::Area,
                                                   PeakParam::Gl};

void normalizePositionLimits(ParamConstraint& c, const Region& region) {
    // Rounded to singles like the stored limits: a limit the editor accepted against the exact sum
    // rounds to at most this, so reopening never moves a limit the user typed.
    const float top = static_cast<float>(region.beHigh + kPositionLimitSlack);
    const float bottom = static_cast<float>(region.beLow - kPositionLimitSlack);
    if (c.high > top || c.high < bottom) c.high = region.beHigh;
    if (c.low < bottom || c.low > top) c.low = region.beLow;
}

void normalizeNonNegativeLimits(ParamConstraint& c) {
    if (c.high < 0) c.high = 0;
    if (c.low < 0) c.low = 0;
}

void normalizePercentLimits(ParamConstraint& c) {
    if (c.high < 0 || c.high > 100) c.high = 100;
    if (c.low < 0 || c.low > 100) c.low = 0;
}

}  // namespace

void normalizeLimits(Workspace& workspace, int peak, PeakParam param) {
    ParamConstraint& c = workspace.constraints.at(static_cast<std::size_t>(peak)).of(param);
    switch (param) {
        case PeakParam::Position: {
            const short region = workspace.peaks.at(static_cast<std::size_t>(peak)).region;
            normalizePositionLimits(c, workspace.regions.at(static_cast<std::size_t>(region)));
            break;
        }
        case PeakParam::Area:
        case PeakParam::Fwhm:
            normalizeNonNegativeLimits(c);
            break;
        case PeakParam::Gl:
            normalizePercentLimits(c);
            break;
    }
}

bool formsCycle(const Workspace& workspace, PeakParam param, int editedPeak, int candidateRef) {
    // An acyclic chain visits each of the 51 peaks at most once, so a walk that is still going after
    // 51 steps is in a loop that avoids the edited peak; only a file can store one.  Tying to such a
    // chain would hang the propagation as surely as closing a loop, so it is refused as circular too.
    // A reference outside the table (also only from a file) ends the walk the same way.
    int k = candidateRef;
    for (int step = 0; step < kPeakCount; ++step) {
        if (k < 0 || k >= kPeakCount) return true;
        const ParamConstraint& c = workspace.constraints[static_cast<std::size_t>(k)].of(param);
        if (!isTrue(c.linked)) return false;
        if (c.refPeak == editedPeak) return true;
        k = c.refPeak;
    }
    return true;
}

int constraintDialogCode(PeakParam param) {
    for (std::size_t code = 0; code < kDialogOrder.size(); ++code) {
        if (kDialogOrder[code] == param) return static_cast<int>(code);
    }
    return 0;
}

std::optional<PeakParam> paramOfConstraintDialogCode(int code) {
    if (code < 0 || code >= static_cast<int>(kDialogOrder.size())) return std::nullopt;
    return kDialogOrder[static_cast<std::size_t>(code)];
}

}  // namespace vortlan
