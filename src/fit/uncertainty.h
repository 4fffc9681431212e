#pragma once
// Standard errors of the fitted parameters of a region, at the peaks' present values, whichever
// method put them there: from the Jacobian J of the weighted residuals, covariance = (JᵀJ)⁻¹ scaled by
// the reduced statistic Σr²/(N - p), p the free parameters, plus what the noise of the backgrounds'
// end averages adds.  A region tied to others is taken together with every region the ties connect
// it to, as one fit of all their free parameters.  A tied parameter takes its reference's error
// through the relation; a fixed one has none; a height takes its error from its area and FWHM (and
// %GL).  What the data do not determine is said to be so rather than given a number.

#include <optional>
#include <vector>

#include "fit/spectrum_problem.h"
#include "workspace/records.h"

namespace vortlan {

struct StandardError {
    // Tied: held by its relation to a parameter that does not move, so it has no error of its own.
    enum class Kind { Value, Fixed, NotDetermined, Tied };
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
    // σ², what the covariance is scaled by: Σr² over what it is expected to be for residuals of unit
    // noise, the backgrounds' share included (Covariance::noiseScale); nothing without a covariance.
    std::optional<double> noiseScale;
    // The covariance of the peaks' areas, row-major in the order of `peaks`: what a sum or ratio of
    // areas needs, since areas of overlapping peaks are correlated.  Empty when an area is not
    // determined; a fixed area's row and column are zero.
    std::vector<double> areaCovariance;
    // The part of areaCovariance that the backgrounds' end averages add, in the same layout: the
    // areas move together when a background does.
    std::vector<double> areaCovarianceOfBackground;
    // The free parameters of the fit the errors come from, and their correlation matrix, row-major;
    // not a number where a parameter is not determined.  A parameter a fit left on a bound is held
    // there and is not among them.
    std::vector<FreeParameter> parameters;
    std::vector<double> correlation;
    // sqrt(mean((data - envelope)²)) over the region's own fit range, in the data's units, of the
    // residual its χ² is made of; not a number where the region has no range to measure.
    double residualRms = 0;

    double areaCovarianceAt(std::size_t a, std::size_t b) const {
        return areaCovariance[a * peaks.size() + b];
    }
    double correlationAt(std::size_t a, std::size_t b) const {
        return correlation[a * parameters.size() + b];
    }
};

// The region's peaks' errors.
RegionErrors standardErrors(const Workspace& workspace, int region);

// The error of a parameter no variable of a fit moves: "tied" when its ties lead to another peak's
// parameter, "fixed" otherwise.
StandardError errorWithoutVariable(const Workspace& workspace, int peak, PeakParam param);

}  // namespace vortlan
