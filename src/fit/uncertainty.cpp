#include "fit/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "fit/least_squares/covariance.h"
#include "fit/spectrum_problem.h"
#include "fit/uncertainty_background.h"
#include "fit/uncertainty_scope.h"
#include "fit/uncertainty_statistics.h"
#include "model/peak_shapes.h"
#include "model/product_tables.h"

namespace vortlan {

namespace {

using Kind = StandardError::Kind;

// The gradient of a derived value with respect to the variables, as (variable, slope) pairs.
using Gradient = std::vector<SpectrumProblem::Dependence>;

StandardError errorOf(const Gradient& gradient, const std::optional<Covariance>& c) {
    bool varies = false;
    double variance = 0.0;
    for (const auto& a : gradient) {
        if (a.variable < 0) continue;
        varies = true;
        if (!c || !c->determined[static_cast<std::size_t>(a.variable)]) return {Kind::NotDetermined, 0.0};
        for (const auto& b : gradient) {
            if (b.variable >= 0) variance += a.slope * b.slope * c->at(a.variable, b.variable);
        }
    }
    if (!varies) return {Kind::Fixed, 0.0};
    if (!(variance >= 0.0) || !std::isfinite(variance)) return {Kind::NotDetermined, 0.0};
    return {Kind::Value, std::sqrt(variance)};
}

// d ln(height) / d %GL: through the sum form's area factor, or the product form's tables read towards
// the next whole %GL, as the fits read them.
double logHeightPerGl(const Workspace& ws, const Peak& p) {
    if (lineFormOf(ws.options) == LineForm::Sum)
        return -kSumAreaFactorPerGl / sumAreaFactor(p.gl, p.ts, p.tl);
    const int k = std::clamp<int>(p.gl, 0, kMaxGl - 1);
    return (productHalfWidth[k + 1] - productHalfWidth[k]) / productHalfWidth[k] -
           (static_cast<double>(productArea[k + 1]) - productArea[k]) / productArea[k];
}

// A height goes as area / FWHM, and with %GL as its area factor or tables say.
Gradient heightGradient(const SpectrumProblem& problem, const Workspace& ws, int peak, const double* x) {
    const Peak& p = ws.peaks[peak];
    auto area = problem.dependenceOf(peak, PeakParam::Area, x);
    auto fwhm = problem.dependenceOf(peak, PeakParam::Fwhm, x);
    auto gl = problem.dependenceOf(peak, PeakParam::Gl, x);
    const double height = p.height;
    area.slope *= p.area != 0.0f ? height / p.area : 0.0;
    fwhm.slope *= p.fwhm != 0.0f ? -height / p.fwhm : 0.0;
    gl.slope *= height * logHeightPerGl(ws, p);
    return {area, fwhm, gl};
}

bool heldOnBound(const std::vector<FreeParameter>& held, const TieRoot& root) {
    return std::find(held.begin(), held.end(), FreeParameter{root.peak, root.param}) != held.end();
}

// A parameter with no variable behind it: its own on a bound, one tied to such a parameter, or one
// tied to a parameter that does not move.
StandardError withoutVariable(const Workspace& ws, int peak, PeakParam param, const StandardError& error,
                              const std::vector<FreeParameter>& held) {
    if (error.kind != Kind::Fixed) return error;
    if (heldOnBound(held, tieRootOf(ws, peak, param))) return {Kind::NotDetermined, 0.0};
    return errorWithoutVariable(ws, peak, param);
}

PeakErrors peakErrors(const SpectrumProblem& problem, const std::optional<Covariance>& c, const Workspace& ws,
                      int peak, const double* x, const std::vector<FreeParameter>& heldParameters) {
    PeakErrors e;
    e.peak = peak;
    bool heightTied = false;
    bool heightHeld = false;
    for (PeakParam param : kPeakParams) {
        StandardError& error = e.*PeakErrors::memberOf(param);
        error = withoutVariable(ws, peak, param, errorOf({problem.dependenceOf(peak, param, x)}, c),
                                heldParameters);
        if (param == PeakParam::Position) continue;
        heightTied = heightTied || error.kind == Kind::Tied;
        // The height follows the area, the FWHM and %GL: held on a bound, they leave it undetermined too.
        heightHeld = heightHeld || (error.kind == Kind::NotDetermined &&
                                    heldOnBound(heldParameters, tieRootOf(ws, peak, param)));
    }
    e.height = errorOf(heightGradient(problem, ws, peak, x), c);
    if (heightHeld) e.height = {Kind::NotDetermined, 0.0};
    if (heightTied && e.height.kind == Kind::Fixed) e.height = {Kind::Tied, 0.0};
    return e;
}

double covarianceOf(const Gradient& a, const Gradient& b, const Covariance& c) {
    double sum = 0.0;
    for (const auto& u : a) {
        if (u.variable < 0) continue;
        for (const auto& v : b) {
            if (v.variable >= 0) sum += u.slope * v.slope * c.at(u.variable, v.variable);
        }
    }
    return sum;
}

std::vector<Gradient> areaGradients(const SpectrumProblem& problem, const std::vector<PeakErrors>& errors,
                                    const double* x) {
    std::vector<Gradient> gradients;
    for (const PeakErrors& e : errors)
        gradients.push_back({problem.dependenceOf(e.peak, PeakParam::Area, x)});
    return gradients;
}

// The areas' covariance, and the part of it the backgrounds add.
void putAreaCovariance(RegionErrors& errors, const SpectrumProblem& problem,
                       const std::optional<Covariance>& c, const double* x) {
    for (const PeakErrors& e : errors.peaks) {
        if (e.area.kind == Kind::NotDetermined) return;
    }
    const std::size_t n = errors.peaks.size();
    errors.areaCovariance.assign(n * n, 0.0);
    errors.areaCovarianceOfBackground.assign(n * n, 0.0);
    if (!c) return;  // every area is fixed
    Covariance background = *c;
    background.matrix = c->heldShare;
    const std::vector<Gradient> gradients = areaGradients(problem, errors.peaks, x);
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            errors.areaCovariance[a * n + b] = covarianceOf(gradients[a], gradients[b], *c);
            errors.areaCovarianceOfBackground[a * n + b] =
                covarianceOf(gradients[a], gradients[b], background);
        }
    }
}

}  // namespace

StandardError PeakErrors::*PeakErrors::memberOf(PeakParam param) {
    switch (param) {
        case PeakParam::Position:
            return &PeakErrors::position;
        case PeakParam::Area:
            return &PeakErrors::area;
        case PeakParam::Fwhm:
            return &PeakErrors::fwhm;
        case PeakParam::Gl:
            break;
    }
    return &PeakErrors::gl;
}

RegionErrors standardErrors(const Workspace& ws, int region) {
    const Region& r = ws.regions.at(static_cast<std::size_t>(region));
    RegionErrors errors;
    if (!isTrue(r.defined) || !isTrue(r.backgroundSet)) return errors;
    FitSelection selection;
    selection.peaks = jointPeaks(ws, region);
    // A parameter a fit has left on one of its bounds is not free to move both ways: the errors of
    // the others are those with it held there, and its own is not determined.
    selection.held = SpectrumProblem(ws, selection).parametersOnBounds();
    const SpectrumProblem problem(ws, selection);
    const std::vector<double>& x = problem.start();
    const std::optional<Covariance> covariance = covarianceAt(problem, x, backgroundInputs(problem, ws));
    // With nothing free there is no fit to join regions: the points are the region's own.
    errors.points = problem.residualCount() > 0 ? problem.residualCount() : r.rangeCount;
    errors.freeParameters = problem.variableCount();
    errors.parameters = problem.variables();
    errors.residualRms = residualRms(ws, region);
    if (covariance) {
        errors.reducedStatistic = covariance->reducedCost;
        errors.noiseScale = covariance->noiseScale;
        errors.correlation = correlationOf(*covariance);
    } else {
        const auto p = errors.parameters.size();
        errors.correlation.assign(p * p, std::numeric_limits<double>::quiet_NaN());
    }
    for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s)
        errors.peaks.push_back(peakErrors(problem, covariance, ws, r.peakSlots[s], x.data(), selection.held));
    putAreaCovariance(errors, problem, covariance, x.data());
    return errors;
}

StandardError errorWithoutVariable(const Workspace& ws, int peak, PeakParam param) {
    return tieRootOf(ws, peak, param).peak == peak ? StandardError{Kind::Fixed, 0.0}
                                                   : StandardError{Kind::Tied, 0.0};
}

}  // namespace vortlan
