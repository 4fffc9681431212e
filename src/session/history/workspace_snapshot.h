#pragma once
// A settled state of the workspace, as undo and redo put it back: the regions with their curves and
// fit verdicts, the peaks, the constraints, the fit and quantification options with the instrument's
// limit, the description, the
// total statistic and the current region and peak.  Counters, the curve memo, the peak dialog's backup and
// the optimisers' scratch peak are working state, never part of it.
//
// Regions and peaks are held as shared immutable copies: a snapshot taken beside an earlier one shares
// every region and peak that did not change, so a step costs only what its command changed.

#include <array>
#include <cstddef>
#include <memory>

#include "workspace/records.h"

namespace vortlan {

struct RegionState {
    Region region;
    RegionVerdict verdict;
};

struct WorkspaceSnapshot {
    std::array<std::shared_ptr<const RegionState>, kRegionCount> regions;
    std::array<std::shared_ptr<const Peak>, kPeakCount> peaks;
    std::shared_ptr<const std::array<PeakConstraints, kPeakCount>> constraints;
    FitOptions options;
    QuantSettings quantSettings;
    std::optional<double> instrumentFwhm;
    std::string description;
    float totalChiSquare = 0;
    short currentRegion = 0;
    short currentPeak = 0;
};

// A snapshot of the workspace, sharing with `previous` (when given) every part that is unchanged.
WorkspaceSnapshot takeSnapshot(const Workspace& workspace, const WorkspaceSnapshot* previous = nullptr);

// Whether the workspace holds what the snapshot holds, apart from the current region and peak, which
// only say where the user was looking.
bool sameContent(const Workspace& workspace, const WorkspaceSnapshot& snapshot);
bool sameContent(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b);

// Puts the snapshot's state into the workspace; the fields it does not hold stay as they are, except
// the curve memo, which is forgotten.
void restoreSnapshot(const WorkspaceSnapshot& snapshot, Workspace& workspace);

// The bytes one region or one peak occupies with its point arrays.
std::size_t bytesOf(const RegionState& state);
std::size_t bytesOf(const Peak& peak);

// The most any snapshot can hold that no other shares: every region and every peak at the largest
// point count.
std::size_t worstCaseSnapshotBytes();

}  // namespace vortlan
