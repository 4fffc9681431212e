#include "fit/uncertainty.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "fit/least_squares/covariance.h"
#include "fit/spectrum_problem.h"
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

PeakErrors peakErrors(const SpectrumProblem& problem, const std::optional<Covariance>& c, const Workspace& ws,
                      int peak, const double* x, const std::vector<FreeParameter>& heldParameters) {
    PeakErrors e;
    e.peak = peak;
    for (PeakParam param : kPeakParams)
        e.*PeakErrors::memberOf(param) = errorOf({problem.dependenceOf(peak, param, x)}, c);
    e.height = errorOf(heightGradient(problem, ws, peak, x), c);
    for (const FreeParameter& held : heldParameters) {
        if (held.peak != peak) continue;
        e.*PeakErrors::memberOf(held.param) = {Kind::NotDetermined, 0.0};
        // The height follows the area, the FWHM and %GL: held on a bound, they leave it undetermined too.
        if (held.param != PeakParam::Position) e.height = {Kind::NotDetermined, 0.0};
    }
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

std::vector<double> areaCovariance(const SpectrumProblem& problem, const std::optional<Covariance>& c,
                                   const std::vector<PeakErrors>& errors, const double* x) {
    for (const PeakErrors& e : errors) {
        if (e.area.kind == Kind::NotDetermined) return {};
    }
    const std::size_t n = errors.size();
    std::vector<Gradient> gradients;
    for (const PeakErrors& e : errors)
        gradients.push_back({problem.dependenceOf(e.peak, PeakParam::Area, x)});
    std::vector<double> matrix(n * n, 0.0);
    if (!c) return matrix;  // every area is fixed
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) matrix[a * n + b] = covarianceOf(gradients[a], gradients[b], *c);
    }
    return matrix;
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
    for (int s = 0; s < r.peakCount && s < kPeaksPerRegion; ++s) selection.peaks.push_back(r.peakSlots[s]);
    // A parameter a fit has left on one of its bounds is not free to move both ways: the errors of
    // the others are those with it held there, and its own is not determined.
    selection.held = SpectrumProblem(ws, selection).parametersOnBounds();
    const SpectrumProblem problem(ws, selection);
    const std::vector<double>& x = problem.start();
    const std::optional<Covariance> covariance = covarianceAt(problem, x);
    errors.points = problem.residualCount();
    errors.freeParameters = problem.variableCount();
    if (covariance) errors.reducedStatistic = covariance->reducedCost;
    for (int peak : selection.peaks)
        errors.peaks.push_back(peakErrors(problem, covariance, ws, peak, x.data(), selection.held));
    errors.areaCovariance = areaCovariance(problem, covariance, errors.peaks, x.data());
    return errors;
}

}  // namespace vortlan
