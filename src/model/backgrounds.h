#pragma once
// The backgrounds under the peaks, computed over a region's fit range: the straight line joining the
// two end averages, Shirley's (with an optional linear term) and Tougaard's.

#include <string>
#include <vector>

#include "workspace/records.h"

namespace vortlan {

// Data that rise toward low binding energy have no step for Shirley's or Tougaard's background to
// follow: the straight line is used instead.
bool risesTowardLowEnergy(const Region& region);

// The background the region's type draws over its range as it stands: Shirley's and Tougaard's give
// way to the straight line where the data rise toward low binding energy (and Shirley's on a range of
// one point); an unknown type is returned as it is.
BackgroundType drawnBackgroundType(const Region& region);

// Why the drawn background is not the type asked for ("Shirley drawn as a straight line: the low-BE
// end lies above the high-BE end, so there is no step to follow"); empty when it is that type.
std::string drawnBackgroundNote(const Region& region);

// The energy step of the range, taken from its first two points (0 with fewer).
float energyStep(const Region& region);

// linearSlope and baseLine, the straight line from endAverageFirst to endAverageLast.
void computeLinearBackground(Region& region);

// background = baseLine.
void copyLinearBackground(Region& region);

// Shirley's background with the linear term backgroundParam, by 30 fixed passes.  A statement that
// faults (a division by a vanishing integral, say) is skipped and its target keeps its old value.
void computeShirleyBackground(Region& region);

// Tougaard's background with B1 = backgroundParam and the universal cross-section's C = 1643 eV^2.
void computeTougaardBackground(Region& region);

// The weights of Tougaard's sum by the distance d between two range points (index d, 1 .. rangeCount-1;
// index 0 unused): step x E / (E^2 + C)^2, E = step x d the energy lost.
std::vector<double> tougaardLossWeights(const Region& region);

// Tougaard's background with the given B1 for range points 1..lastPoint only (each sum still runs to
// the end of the range); the rest of the background is left alone.
void computeTougaardBackground(Region& region, float b1, int lastPoint);

// The fit range, its end averages, the straight line and the background of the region's type; an
// unknown type leaves the background as it was.
void computeBackground(Workspace& workspace, int region);

// The straight line and the background of the region's type through the end averages as they stand.
void drawBackground(Region& region);

// The range's counts, their end averages and the background again from the raw counts, over the fit
// range as it stands: what a change of the recorded counts alone does to the region.
void redrawFromRawCounts(Region& region);

}  // namespace vortlan
