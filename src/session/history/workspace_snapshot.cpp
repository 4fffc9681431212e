#include "session/history/workspace_snapshot.h"

namespace vortlan {

namespace {

bool sameRegion(const Workspace& ws, int r, const RegionState& state) {
    return ws.regions[r] == state.region && ws.fitVerdicts[r] == state.verdict;
}

template <typename Value, typename Same>
std::shared_ptr<const Value> shareOrCopy(const std::shared_ptr<const Value>& earlier, Same same,
                                         Value value) {
    if (earlier && same(*earlier)) return earlier;
    return std::make_shared<const Value>(std::move(value));
}

std::size_t bytesOf(const PointArray& array) {
    return array.storage().capacity() * sizeof(float);
}

// Every point array a region holds, each as long as the largest region allows.
constexpr int kRegionPointArrays = 8;
constexpr std::size_t kLongestArrayBytes = (kMaxPoints + 1) * sizeof(float);

}  // namespace

WorkspaceSnapshot takeSnapshot(const Workspace& ws, const WorkspaceSnapshot* previous) {
    WorkspaceSnapshot s;
    for (int r = 0; r < kRegionCount; ++r) {
        s.regions[r] = shareOrCopy<RegionState>(
            previous ? previous->regions[r] : nullptr,
            [&](const RegionState& earlier) { return sameRegion(ws, r, earlier); },
            RegionState{ws.regions[r], ws.fitVerdicts[r]});
    }
    for (int p = 0; p < kPeakCount; ++p) {
        s.peaks[p] = shareOrCopy<Peak>(
            previous ? previous->peaks[p] : nullptr,
            [&](const Peak& earlier) { return earlier == ws.peaks[p]; }, ws.peaks[p]);
    }
    s.constraints = shareOrCopy<std::array<PeakConstraints, kPeakCount>>(
        previous ? previous->constraints : nullptr,
        [&](const auto& earlier) { return earlier == ws.constraints; }, ws.constraints);
    s.options = ws.options;
    s.quantSettings = ws.quantSettings;
    s.instrumentFwhm = ws.instrumentFwhm;
    s.description = ws.description;
    s.totalChiSquare = ws.totalChiSquare;
    s.currentRegion = ws.currentRegion;
    s.currentPeak = ws.currentPeak;
    return s;
}

bool sameContent(const Workspace& ws, const WorkspaceSnapshot& s) {
    for (int r = 0; r < kRegionCount; ++r) {
        if (ws.regions[r] != s.regions[r]->region) return false;
    }
    for (int p = 0; p < kPeakCount; ++p) {
        if (ws.peaks[p] != *s.peaks[p]) return false;
    }
    return ws.constraints == *s.constraints && ws.options == s.options &&
           ws.quantSettings == s.quantSettings && ws.instrumentFwhm == s.instrumentFwhm &&
           ws.description == s.description && ws.totalChiSquare == s.totalChiSquare;
}

bool sameContent(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b) {
    for (int r = 0; r < kRegionCount; ++r) {
        if (a.regions[r] != b.regions[r] && a.regions[r]->region != b.regions[r]->region) return false;
    }
    for (int p = 0; p < kPeakCount; ++p) {
        if (a.peaks[p] != b.peaks[p] && *a.peaks[p] != *b.peaks[p]) return false;
    }
    return (a.constraints == b.constraints || *a.constraints == *b.constraints) && a.options == b.options &&
           a.quantSettings == b.quantSettings && a.instrumentFwhm == b.instrumentFwhm &&
           a.description == b.description && a.totalChiSquare == b.totalChiSquare;
}

void restoreSnapshot(const WorkspaceSnapshot& s, Workspace& ws) {
    for (int r = 0; r < kRegionCount; ++r) {
        ws.regions[r] = s.regions[r]->region;
        ws.fitVerdicts[r] = s.regions[r]->verdict;
    }
    for (int p = 0; p < kPeakCount; ++p) ws.peaks[p] = *s.peaks[p];
    ws.constraints = *s.constraints;
    ws.options = s.options;
    ws.quantSettings = s.quantSettings;
    ws.instrumentFwhm = s.instrumentFwhm;
    ws.description = s.description;
    ws.totalChiSquare = s.totalChiSquare;
    ws.currentRegion = s.currentRegion;
    ws.currentPeak = s.currentPeak;
    ws.curveMemo = CurveMemo{};
}

std::size_t bytesOf(const RegionState& state) {
    const Region& r = state.region;
    return sizeof(RegionState) + bytesOf(r.energy) + bytesOf(r.counts) + bytesOf(r.rangeEnergy) +
           bytesOf(r.rangeCounts) + bytesOf(r.baseLine) + bytesOf(r.background) + bytesOf(r.envelope) +
           bytesOf(r.residual) + state.verdict.model.capacity() * sizeof(float) +
           state.verdict.flags.capacity() * sizeof(FitFlag) +
           state.verdict.restarts.capacity() * sizeof(PeakRestarts);
}

std::size_t bytesOf(const Peak& peak) {
    return sizeof(Peak) + bytesOf(peak.curve);
}

std::size_t worstCaseSnapshotBytes() {
    // A verdict's model is a few values per peak, far shorter than a point array: counted as one.
    const std::size_t region = sizeof(RegionState) + (kRegionPointArrays + 1) * kLongestArrayBytes;
    const std::size_t peak = sizeof(Peak) + kLongestArrayBytes;
    return sizeof(WorkspaceSnapshot) + kRegionCount * region + kPeakCount * peak +
           sizeof(std::array<PeakConstraints, kPeakCount>) + kDescriptionLength;
}

}  // namespace vortlan
