#include "fit/trial_state.h"

#include <cstring>

namespace vortlan {

namespace {

void append(std::vector<float>& state, const PointArray& values) {
    state.push_back(static_cast<float>(values.bound()));
    state.insert(state.end(), values.storage().begin(), values.storage().end());
}

// The regions fitted (and the current one, which the peak loops work on whatever its state) with
// their statistics and the arrays built from their curves, then every defined peak.  The indexes go
// in too, so that two states of different regions or peaks never compare equal.
void capture(const Workspace& ws, std::vector<float>& state) {
    state.clear();
    state.push_back(ws.totalChiSquare);
    for (int region = 0; region < kRegionCount; ++region) {
        const Region& r = ws.regions[static_cast<std::size_t>(region)];
        const bool fitted = isTrue(r.defined) && isTrue(r.backgroundSet);
        if (!fitted && region != ws.currentRegion) continue;
        state.push_back(static_cast<float>(region));
        state.push_back(r.chiSquare);
        append(state, r.envelope);
        append(state, r.residual);
    }
    for (int peak = 0; peak < kPeakCount; ++peak) {
        const Peak& p = ws.peaks[static_cast<std::size_t>(peak)];
        if (!isTrue(p.defined)) continue;
        state.insert(state.end(), {static_cast<float>(peak), p.position, p.area, p.height, p.fwhm,
                                   static_cast<float>(p.gl)});
        append(state, p.curve);
    }
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

RepeatedTrialCheck::RepeatedTrialCheck(const Workspace& ws) : active_(ws.endRepeatedTrials) {
    if (active_) capture(ws, before_);
}

bool RepeatedTrialCheck::trialChangedNothing(const Workspace& ws) {
    if (!active_) return false;
    capture(ws, after_);
    const bool unchanged = sameBits(before_, after_);
    before_.swap(after_);
    return unchanged;
}

}  // namespace vortlan
