#pragma once
// A region's settings and peaks turned into what is plotted and fitted: each peak's curve, the
// envelope (background plus all peaks), the residual and the fit statistic
//     chi = (1/N) sum (data - envelope)^2 / w,   w = |data|, or 1 where the data value is 0.

#include <optional>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

// The w of a recorded value: the variance of a count, so that the statistic weighs each point by its
// noise; 1 where the value is 0.
double statisticWeight(double data);

// Full recomputation of the current region: fit range, background, height unit, the peaks' heights
// and areas reconciled with it, and the curves.  While a background is being accepted the peaks keep
// their areas; otherwise they keep their heights as a share of the new intensity range.
// A fault ends the command (ComputationFault).
void recomputeRegion(Workspace& workspace, Port& port);

// Curves, envelope, residual and statistic of the current region, shown in its chi box and in the
// total.  Never stops on a fault: a faulting statement is skipped and its target keeps its value.
void updateRegionCurves(Workspace& workspace, Port& port);

// Curves, envelope, residual and statistic of a region with faulting statements skipped and nothing
// shown; nothing when the region's arrays cannot hold its range or its slots name no peaks.
std::optional<float> updateCurvesQuietly(Workspace& workspace, int region);

// All curves of the current region, with the envelope and the residual left without the given peak,
// so that singlePeakStatistic can try any number of parameter sets for it.
void prepareSinglePeakFit(Workspace& workspace, int peak);

// The current region's statistic with the peak at its present parameters, against the residual left
// by prepareSinglePeakFit; refreshes the peak's curve.  A fault ends the command.
float singlePeakStatistic(Workspace& workspace, int peak);

// The total statistic made again the sum of the statistics of every region with an accepted
// background, accumulated in single precision in region order, as the all-region statistic sums them.
// Every command that changes a region's statistic ends with it, so the total never drifts from what
// the regions' chi boxes show.
void sumTotalChiSquare(Workspace& workspace);

// Curves and statistic of every region with an accepted background, and their sum as the total.
void allRegionStatistic(Workspace& workspace);

// allRegionStatistic with the chi boxes of those regions and the total shown.
void allRegionStatisticShown(Workspace& workspace, Port& port);

}  // namespace vortlan
