#pragma once
// The backgrounds under the peaks, computed over a region's fit range: the straight line joining the
// two end averages, Shirley's (with an optional linear term) and Tougaard's.

#include "workspace/records.h"

namespace vortlan {

// linearSlope and baseLine, the straight line from endAverageFirst to endAverageLast.
void computeLinearBackground(Region& region);

// background = baseLine.
void copyLinearBackground(Region& region);

// Shirley's background with the linear term backgroundParam, by 30 fixed passes.  A statement that
// faults (a division by a vanishing integral, say) is skipped and its target keeps its old value.
void computeShirleyBackground(Region& region);

// Tougaard's background with B1 = backgroundParam and the universal cross-section's C = 1643 eV^2.
void computeTougaardBackground(Region& region);

// Tougaard's background with the given B1 for range points 1..lastPoint only (each sum still runs to
// the end of the range); the rest of the background is left alone.
void computeTougaardBackground(Region& region, float b1, int lastPoint);

// The fit range, its end averages, the straight line and the background of the region's type; an
// unknown type leaves the background as it was.
void computeBackground(Workspace& workspace, int region);

}  // namespace vortlan
