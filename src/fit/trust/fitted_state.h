#pragma once
// The peaks as a fit left them, to go back to when a later run of the same fit does worse or only
// looked ahead.

#include <array>
#include <vector>

#include "workspace/port.h"
#include "workspace/records.h"

namespace vortlan {

class FittedState {
  public:
    FittedState(const Workspace& workspace, std::vector<int> regions);

    // The sum of the statistics of the regions, as they were when the state was taken.
    double statistic() const { return statistic_; }
    const Peak& peak(int peak) const { return peaks_.at(static_cast<std::size_t>(peak)); }

    // The peaks put back, and the regions' curves and statistics with them.
    void restore(Workspace& workspace, Port& port) const;

  private:
    std::array<Peak, kPeakCount> peaks_;
    std::vector<int> regions_;
    double statistic_ = 0;
};

// The sum of the regions' statistics.
double statisticOf(const Workspace& workspace, const std::vector<int>& regions);

}  // namespace vortlan
