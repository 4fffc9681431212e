#pragma once
// The bounds that keep a fitted peak physical where the user has given it no limits of its own: its
// position where some component of it lies within the fit range widened by its FWHM, its FWHM not
// below the spacing of the data (or the instrument's limit the user set), its area not below a small
// floor.  A fit holds every free parameter within these box bounds for a whole run; the position's,
// which follows the FWHM, is worked out afresh from the present FWHM for each run.

#include <array>
#include <optional>

#include "workspace/records.h"

namespace vortlan {

// Newton's method keeps an area at least this large, and so do the other fits: a peak of area 0 has
// no slope to find its way back by.
inline constexpr double kAreaFloor = 0.1;

struct ValueBounds {
    double low = 0;
    double high = 0;

    bool holds(double value) const { return value >= low && value <= high; }
};

// The lowest and highest energy of the region's fit range (without the region's shift).
ValueBounds fitRangeExtentOf(const Region& region);

// The spacing of the fit range's energies: the median of the steps between neighbours, so that one
// gap in the data does not widen it; 0 with fewer than two points.
double dataStepOf(const Region& region);

// The narrowest FWHM a fit gives the region's peaks: the instrument's limit when the user set one,
// else the data step.
double fwhmFloorOf(const Workspace& workspace, const Region& region);

// The bounds of the peaks of one workspace, each region's extent and step worked out once: a fit
// asks for the bounds of every variable each time it starts a run.
class PhysicalBounds {
  public:
    explicit PhysicalBounds(const Workspace& workspace) : ws_(workspace) {}

    // Where the peak's stored position may go: some component (the main one at the position, a
    // doublet's other one `splitting` away) within the fit range widened by the FWHM, the region's
    // shift included.  The widening is at most the range's own width, so that a FWHM run wild
    // cannot take the bound with it.  Unbounded for a peak of a region without a fit range.
    ValueBounds position(int peak) const;

    // Whether some component of the peak lies within the fit range itself.
    bool withinFitRange(int peak) const;

    // The bounds a fit holds the peak's parameter within: the user's limits where the constraint
    // dialog gave them, the physical ones otherwise; %GL always within 0..100 and a FWHM never
    // below the least width a tie allows.
    ValueBounds of(int peak, PeakParam param) const;

    // fwhmFloorOf, for the region.
    double fwhmFloor(int region) const;

  private:
    struct Scale {
        ValueBounds extent;
        double step = 0;
    };
    const Scale& scaleOf(int region) const;
    int regionOf(int peak) const;
    ValueBounds storedPositionsReaching(int peak, double widening) const;

    const Workspace& ws_;
    mutable std::array<std::optional<Scale>, kRegionCount> scales_{};
};

}  // namespace vortlan
