#pragma once
// Ending a fitting loop at a trial that changed nothing.  A trial reads the peaks' values, heights and
// curves, and the statistics, envelopes and residuals of the regions (the search starts from the
// statistic shown, Newton's method in tied peaks too); everything else it uses it makes afresh from
// these (the working peak, the curves it remembers, which always hold exactly what recomputing would
// give).  A trial that leaves all of them bit for bit as it found them is therefore repeated exactly by
// every later one, and the loop can end there with the same result.

#include <vector>

#include "workspace/records.h"

namespace vortlan {

class RepeatedTrialCheck {
  public:
    // Takes the state the first trial starts from; does nothing when the workspace's
    // endRepeatedTrials is off.
    explicit RepeatedTrialCheck(const Workspace& workspace);

    // After a trial: true when it left the state exactly as it found it.
    bool trialChangedNothing(const Workspace& workspace);

  private:
    bool active_ = false;
    std::vector<float> before_;
    std::vector<float> after_;
};

}  // namespace vortlan
