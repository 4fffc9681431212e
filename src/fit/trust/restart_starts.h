#pragma once
// Fresh starts for a peak a fit left caught (collapsed to a spike, run off the data, died on its
// floor): the start the user gave it, widened, and a peak where the fit leaves the most of the data
// unexplained.  Worked out from the present state alone, so that restarts are the same every time.

#include <vector>

#include "workspace/records.h"

namespace vortlan {

struct PeakStart {
    float position = 0;
    float area = 0;
    float fwhm = 0;
};

// The starts to try, best first, for the peak whose values at the fit's start were `userStart`.
std::vector<PeakStart> restartStarts(const Workspace& workspace, int peak, const PeakStart& userStart);

// The free parameters of the start put into the peak (fixed and tied ones stay), and carried to the
// peaks tied to it.
void placePeakAt(Workspace& workspace, int peak, const PeakStart& start);

}  // namespace vortlan
