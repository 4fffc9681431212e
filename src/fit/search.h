#pragma once
// The search method: a parameter of one peak is moved to the best point of a grid around its present
// value, over up to four levels from coarse to fine.  %GL is searched in two fixed stages.

#include <vector>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// One parameter search: position, area (scanned in height units), FWHM over the enabled levels of the
// options, or %GL in its two stages.  Ends by letting pending window events run.
void searchParameter(Workspace& workspace, Port& port, int peak, PeakParam param);

// Searches of position, FWHM, area and %GL, repeated up to searchTrials times while a round improves
// the region's statistic by at least the tolerance and changes anything.  The verdict of the last
// round (a stop leaves it stopped), not recorded.
FitVerdict searchWholePeak(Workspace& workspace, Port& port, int peak);

// The grid offsets of one level, accumulated in single precision as the search forms them, offset 0
// excluded; a step too small to advance the offset ends the grid.
std::vector<float> gridOffsets(float range, float step);

}  // namespace vortlan
