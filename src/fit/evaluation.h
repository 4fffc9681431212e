#pragma once
// How an optimiser judges a trial value of one parameter of one peak.  A free peak is judged on its
// own, against the residual of the others; a peak that is a reference for others must carry them
// along, so the whole region is recomputed, or every region when one of them lies elsewhere.

#include <optional>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

enum class EvaluationMode { SinglePeak, TiedWithinRegion, TiedAcrossRegions };

EvaluationMode evaluationModeOf(const Workspace& workspace, int peak, PeakParam param);

// Puts a trial value into the peak: position, area and FWHM as singles, %GL rounded half to even and
// held within 0..100.
void setParameter(Peak& peak, PeakParam param, double value);
double parameterOf(const Peak& peak, PeakParam param);

// The statistic with the peak's parameter at its present value, in the given mode: the single-peak
// statistic (after prepareSinglePeakFit), or, after carrying the value to the tied peaks, the region's
// statistic or the total over all regions.  Nothing when the value cannot be evaluated (a zero width,
// a relation dividing by zero, ...): the optimisers then treat the point as no improvement.
std::optional<float> evaluateTrial(Workspace& workspace, Port& port, int peak, PeakParam param,
                                   EvaluationMode mode);

// Carries the peak's present value to its tied peaks and recomputes what the mode looks at, showing
// the statistics: after a kept or restored value.  In the single-peak mode this is the curve update.
void settleParameter(Workspace& workspace, Port& port, int peak, PeakParam param, EvaluationMode mode);

}  // namespace vortlan
