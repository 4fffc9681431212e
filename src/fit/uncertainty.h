#pragma once
// Standard errors of the fitted parameters of a region, at the peaks' present values, whichever
// method put them there: from the Jacobian J of the weighted residuals, covariance = (JᵀJ)⁻¹ scaled by
// the reduced statistic Σr²/(N - p), p the free parameters.  A tied parameter takes its reference's
// error through the relation; a fixed one has none; a height takes its error from its area and FWHM
// (and %GL).  What the data do not determine is said to be so rather than given a number.

#include <vector>

#include "workspace/records.h"

namespace vortlan {

struct StandardError {
    enum class Kind { Value, Fixed, NotDetermined };
    Kind kind = Kind::NotDetermined;
    double value = 0;

    bool known() const { return kind == Kind::Value; }
};

struct PeakErrors {
    int peak = 0;
    StandardError position, area, fwhm, gl, height;

    const StandardError& of(PeakParam param) const { return this->*memberOf(param); }
    static StandardError PeakErrors::*memberOf(PeakParam param);
};

struct RegionErrors {
    std::vector<PeakErrors> peaks;  // in the order of the region's slots
    int points = 0;                 // N of the fit (several regions when ties join them)
    int freeParameters = 0;         // p
    double reducedStatistic = 0;    // Σr²/(N - p)
    // The covariance of the peaks' areas, row-major in the order of `peaks`: what a sum or ratio of
    // areas needs, since areas of overlapping peaks are correlated.  Empty when an area is not
    // determined; a fixed area's row and column are zero.
    std::vector<double> areaCovariance;

    double areaCovarianceAt(std::size_t a, std::size_t b) const { return areaCovariance[a * peaks.size() + b]; }
};

// The region's peaks' errors.
RegionErrors standardErrors(const Workspace& workspace, int region);

}  // namespace vortlan
