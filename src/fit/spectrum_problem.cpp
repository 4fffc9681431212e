#include "fit/spectrum_problem.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/number_reading.h"
#include "fit/trust/physical_bounds.h"
#include "model/peak_derivatives.h"
#include "model/propagation.h"

namespace vortlan {

namespace {

// How close to a bound a stored value is on it: the fit put it there exactly, and storing it as a
// single moved it by less.
constexpr double kOnBound = 1e-6;
constexpr PeakParam kParamOrder[] = {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm, PeakParam::Gl};

std::size_t indexOf(PeakParam param) {
    return static_cast<std::size_t>(param);
}

bool usableRelation(const Workspace& ws, const ParamConstraint& c) {
    const bool dividesByZero = c.op == static_cast<short>(ConstraintOp::Divide) && c.operand == 0.0f;
    return c.refPeak >= 0 && c.refPeak < kPeakCount && isTrue(ws.peaks[c.refPeak].defined) && c.op >= 0 &&
           c.op <= 3 && !dividesByZero;
}

bool takesPartInStatistic(const Region& r) {
    const int n = r.rangeCount;
    return isTrue(r.defined) && isTrue(r.backgroundSet) && n >= 1 && r.rangeEnergy.holds(n) &&
           r.rangeCounts.holds(n) && r.background.holds(n);
}

// A related value the line shapes can take, as the relations hold it: the value and whether the
// relation's hold was reached (the value then no longer follows the reference).
std::pair<double, bool> heldWithinShape(PeakParam param, double value) {
    if (param == PeakParam::Area && value < 0.0) return {0.0, true};
    if (param == PeakParam::Fwhm && value < kMinimumTiedFwhm) return {kMinimumTiedFwhm, true};
    if (param == PeakParam::Gl && (value < 0.0 || value > 100.0)) return {std::clamp(value, 0.0, 100.0), true};
    return {value, false};
}

// The value of a source at x, and its derivative with respect to the source's variable.
std::pair<double, double> resolve(const SpectrumProblem::Source& source, PeakParam param, const double* x) {
    if (source.variable < 0) return {source.constant, 0.0};
    double value = x[source.variable];
    double slope = 1.0;
    for (const SpectrumProblem::Relation& relation : source.chain) {
        switch (static_cast<ConstraintOp>(relation.op)) {
            case ConstraintOp::Add:
                value += relation.operand;
                break;
            case ConstraintOp::Subtract:
                value -= relation.operand;
                break;
            case ConstraintOp::Multiply:
                value *= relation.operand;
                slope *= relation.operand;
                break;
            case ConstraintOp::Divide:
                value /= relation.operand;
                slope /= relation.operand;
                break;
        }
        const auto [held, reached] = heldWithinShape(param, value);
        value = held;
        if (reached) slope = 0.0;
    }
    return {value, slope};
}

PeakShapeD fixedPartOf(const Peak& p) {
    return PeakShapeD{0.0, 0.0, 0.0, 0.0, p.splitting, p.type, p.ts, p.tl};
}

}  // namespace

SpectrumProblem::SpectrumProblem(const Workspace& ws, const FitSelection& selection)
    : form_(lineFormOf(ws.options)) {
    chooseVariables(ws, selection);
    chooseRegionsAndPeaks(ws);
    setBounds(ws);
}

void SpectrumProblem::chooseVariables(const Workspace& ws, const FitSelection& selection) {
    for (int peak : selection.peaks) {
        const Peak& p = ws.peaks.at(peak);
        if (!isTrue(p.defined)) continue;
        for (PeakParam param : kParamOrder) {
            if (selection.onlyParam && param != *selection.onlyParam) continue;
            if (isFixed(p, param) || isTrue(ws.constraints[peak].of(param).linked)) continue;
            if (param == PeakParam::Gl && !selection.glFree) continue;
            if (std::find(selection.held.begin(), selection.held.end(), FreeParameter{peak, param}) != selection.held.end())
                continue;
            variables_.push_back({peak, param});
            start_.push_back(param == PeakParam::Gl ? p.gl : static_cast<double>(realParameter(p, param)));
        }
    }
}

SpectrumProblem::Source SpectrumProblem::sourceOf(const Workspace& ws, int peak, PeakParam param) const {
    const Peak& p = ws.peaks[peak];
    // A chain longer than the table is a loop from a damaged file: it is held where it is.
    std::vector<Relation> chain;
    int at = peak;
    for (int step = 0; step < kPeakCount; ++step) {
        for (std::size_t v = 0; v < variables_.size(); ++v) {
            if (variables_[v].peak == at && variables_[v].param == param) {
                std::reverse(chain.begin(), chain.end());
                return Source{static_cast<int>(v), 0.0, std::move(chain)};
            }
        }
        const ParamConstraint& c = ws.constraints[at].of(param);
        if (!isTrue(c.linked) || !usableRelation(ws, c)) break;
        chain.push_back({c.op, c.operand});
        at = c.refPeak;
    }
    const double stored = param == PeakParam::Gl ? p.gl : static_cast<double>(realParameter(p, param));
    return Source{-1, stored, {}};
}

void SpectrumProblem::chooseRegionsAndPeaks(const Workspace& ws) {
    std::array<std::vector<FittedPeak>, kRegionCount> byRegion;
    for (int peak = 0; peak < kPeakCount; ++peak) {
        const Peak& p = ws.peaks[peak];
        if (!isTrue(p.defined) || p.region < 0 || p.region >= kRegionCount) continue;
        if (!takesPartInStatistic(ws.regions[p.region])) continue;
        FittedPeak fitted{peak, 0, fixedPartOf(p), ws.regions[p.region].shift, {}};
        for (PeakParam param : kParamOrder) fitted.sources[indexOf(param)] = sourceOf(ws, peak, param);
        byRegion[static_cast<std::size_t>(p.region)].push_back(std::move(fitted));
    }
    for (int region = 0; region < kRegionCount; ++region) {
        auto& candidates = byRegion[static_cast<std::size_t>(region)];
        const auto varies = [](const FittedPeak& f) {
            return std::any_of(f.sources.begin(), f.sources.end(), [](const Source& s) { return s.variable >= 0; });
        };
        if (std::none_of(candidates.begin(), candidates.end(), varies)) continue;
        const Region& r = ws.regions[region];
        FittedRegion fitted{region, pointCount_, {}, {}, {}, {}, {}};
        std::vector<double> counts;
        for (int i = 1; i <= r.rangeCount; ++i) {
            counts.push_back(r.rangeCounts[i]);
            fitted.energy.push_back(r.rangeEnergy[i]);
            fitted.base.push_back(r.background[i]);
        }
        fitted.held.assign(fitted.base.size(), 0.0);
        pointCount_ += r.rangeCount;
        const int index = static_cast<int>(regions_.size());
        for (FittedPeak& f : candidates) {
            f.regionIndex = index;
            if (varies(f)) {
                peaks_.push_back(std::move(f));
                continue;
            }
            // A peak the fit cannot move is part of what the others are fitted against.
            addHeldPeak(fitted, f);
        }
        setCounts(fitted, counts);
        regions_.push_back(std::move(fitted));
    }
}

PeakShapeD SpectrumProblem::shapeAt(const FittedPeak& f, const double* x, std::array<double, 4>& slopes) const {
    PeakShapeD shape = f.fixedPart;
    double* values[] = {&shape.position, &shape.area, &shape.fwhm, &shape.gl};
    for (PeakParam param : kParamOrder) {
        const auto [value, slope] = resolve(f.sources[indexOf(param)], param, x);
        *values[indexOf(param)] = value;
        slopes[indexOf(param)] = slope;
    }
    shape.position += f.shift;
    return shape;
}

void SpectrumProblem::addHeldPeak(FittedRegion& region, const FittedPeak& f) const {
    std::array<double, 4> slopes{};
    const PeakGradientEvaluator peak(form_, shapeAt(f, nullptr, slopes));
    for (std::size_t i = 0; i < region.energy.size(); ++i) {
        const double value = peak.value(region.energy[i]);
        region.held[i] += value;
        region.base[i] += value;
    }
}

// The data the region is fitted to, and their weights: w = |data|, or 1 where the data are 0.
void SpectrumProblem::setCounts(FittedRegion& region, const std::vector<double>& counts) {
    region.net.resize(counts.size());
    region.weight.resize(counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i) {
        region.net[i] = counts[i] - region.base[i];
        region.weight[i] = 1.0 / std::sqrt(counts[i] == 0.0 ? 1.0 : std::fabs(counts[i]));
    }
}

std::vector<double> SpectrumProblem::model(const double* x) const {
    std::vector<double> envelope;
    for (const FittedRegion& r : regions_) envelope.insert(envelope.end(), r.base.begin(), r.base.end());
    std::vector<double> peaks(static_cast<std::size_t>(pointCount_), 0.0);
    for (const FittedPeak& f : peaks_) addPeak(peaks.data(), nullptr, f, x);  // subtracts, from zero
    for (std::size_t i = 0; i < envelope.size(); ++i) envelope[i] -= peaks[i];
    return envelope;
}

std::optional<SpectrumProblem> SpectrumProblem::withRegionData(
    const std::vector<const Region*>& regions) const {
    if (regions.size() != regions_.size()) return std::nullopt;
    SpectrumProblem replica = *this;
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const Region& source = *regions[k];
        FittedRegion& r = replica.regions_[k];
        const int n = static_cast<int>(r.energy.size());
        if (source.rangeCount != n || !source.rangeCounts.holds(n) || !source.background.holds(n))
            return std::nullopt;
        std::vector<double> counts(r.energy.size());
        for (int i = 0; i < n; ++i) {
            const auto at = static_cast<std::size_t>(i);
            counts[at] = source.rangeCounts[i + 1];
            r.base[at] = source.background[i + 1] + r.held[at];
        }
        setCounts(r, counts);
    }
    return replica;
}

double SpectrumProblem::valueOf(int peak, PeakParam param, const double* x) const {
    for (const FittedPeak& f : peaks_) {
        if (f.peak == peak) return resolve(f.sources[indexOf(param)], param, x).first;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

void SpectrumProblem::setBounds(const Workspace& ws) {
    const PhysicalBounds physical(ws);
    for (const FreeParameter& v : variables_) {
        const ValueBounds bounds = physical.of(v.peak, v.param);
        lower_.push_back(bounds.low);
        upper_.push_back(bounds.high);
    }
}

std::vector<FreeParameter> SpectrumProblem::parametersOnBounds() const {
    std::vector<FreeParameter> onBounds;
    for (std::size_t v = 0; v < variables_.size(); ++v) {
        const double x = start_[v];
        const auto near = [x](double bound) {
            return std::isfinite(bound) && std::fabs(x - bound) <= kOnBound * std::max(1.0, std::fabs(bound));
        };
        if (near(lower_[v]) || near(upper_[v])) onBounds.push_back(variables_[v]);
    }
    return onBounds;
}

std::vector<int> SpectrumProblem::regions() const {
    std::vector<int> indexes;
    for (const FittedRegion& r : regions_) indexes.push_back(r.region);
    return indexes;
}

int SpectrumProblem::firstResidualOf(int region) const {
    for (const FittedRegion& r : regions_) {
        if (r.region == region) return r.offset;
    }
    return -1;
}

std::vector<double> SpectrumProblem::residualWeights() const {
    std::vector<double> weights;
    for (const FittedRegion& r : regions_) weights.insert(weights.end(), r.weight.begin(), r.weight.end());
    return weights;
}

void SpectrumProblem::addPeak(double* residuals, double* jacobian, const FittedPeak& f, const double* x) const {
    std::array<double, 4> slopes{};
    const PeakGradientEvaluator peak(form_, shapeAt(f, x, slopes));
    const FittedRegion& region = regions_[static_cast<std::size_t>(f.regionIndex)];
    const int n = static_cast<int>(region.energy.size());
    // The columns this peak writes into, in the order of kParamOrder, with the slopes of the relations
    // that lead there.  A parameter that does not move adds zero times its (finite) derivative to a
    // column that one that moves writes into: four writes a point without a branch are the fastest.
    std::array<int, 4> column{};
    std::array<double, 4> slope{};
    int firstMoving = -1;
    for (std::size_t k = 0; k < std::size(kParamOrder); ++k) {
        const Source& s = f.sources[indexOf(kParamOrder[k])];
        if (s.variable < 0 || slopes[indexOf(kParamOrder[k])] == 0.0) continue;
        column[k] = s.variable;
        slope[k] = slopes[indexOf(kParamOrder[k])];
        if (firstMoving < 0) firstMoving = s.variable;
    }
    if (!jacobian || firstMoving < 0) {
        if (!residuals) return;
        for (int i = 0; i < n; ++i) residuals[region.offset + i] -= peak.value(region.energy[static_cast<std::size_t>(i)]);
        return;
    }
    for (std::size_t k = 0; k < 4; ++k) if (slope[k] == 0.0) column[k] = firstMoving;
    const int p = variableCount();
    const auto [c0, c1, c2, c3] = column;
    const auto [s0, s1, s2, s3] = slope;
    const double* energy = region.energy.data();
    const double* weights = region.weight.data();
    for (int i = 0; i < n; ++i) {
        const PeakGradient g = peak(energy[i]);
        if (residuals) residuals[region.offset + i] -= g.value;
        // The residual is weighted by 1 / sqrt(w), and so is its derivative.
        double* row = jacobian + static_cast<std::ptrdiff_t>(region.offset + i) * p;
        const double weight = weights[i];
        row[c0] -= weight * s0 * g.dPosition;
        row[c1] -= weight * s1 * g.dArea;
        row[c2] -= weight * s2 * g.dFwhm;
        row[c3] -= weight * s3 * g.dGl;
    }
}

bool SpectrumProblem::evaluate(const double* x, double* residuals, double* jacobian) const {
    const int p = variableCount();
    if (residuals) {
        for (const FittedRegion& r : regions_) std::copy(r.net.begin(), r.net.end(), residuals + r.offset);
    }
    if (jacobian) std::fill(jacobian, jacobian + static_cast<std::ptrdiff_t>(pointCount_) * p, 0.0);
    for (const FittedPeak& f : peaks_) addPeak(residuals, jacobian, f, x);
    if (!residuals) return true;
    for (const FittedRegion& r : regions_) {
        for (std::size_t i = 0; i < r.weight.size(); ++i) residuals[r.offset + static_cast<std::ptrdiff_t>(i)] *= r.weight[i];
    }
    return std::all_of(residuals, residuals + pointCount_, [](double v) { return std::isfinite(v); });
}

SpectrumProblem::Dependence SpectrumProblem::dependenceOf(int peak, PeakParam param, const double* x) const {
    for (const FittedPeak& f : peaks_) {
        if (f.peak != peak) continue;
        const Source& source = f.sources[indexOf(param)];
        if (source.variable < 0) break;
        return Dependence{source.variable, resolve(source, param, x).second};
    }
    return Dependence{};
}

double SpectrumProblem::statistic(const double* residuals) const {
    double total = 0.0;
    for (const FittedRegion& r : regions_) {
        double sum = 0.0;
        for (std::size_t i = 0; i < r.energy.size(); ++i) sum += residuals[r.offset + static_cast<std::ptrdiff_t>(i)] * residuals[r.offset + static_cast<std::ptrdiff_t>(i)];
        total += sum / static_cast<double>(r.energy.size());
    }
    return total;
}

void SpectrumProblem::store(const double* x, Workspace& ws) const {
    for (std::size_t v = 0; v < variables_.size(); ++v) {
        Peak& p = ws.peaks[variables_[v].peak];
        if (variables_[v].param == PeakParam::Gl) {
            p.gl = roundHalfEvenToShort(std::clamp(x[v], 0.0, 100.0)).value_or(p.gl);
        } else {
            realParameter(p, variables_[v].param) = static_cast<float>(x[v]);
        }
    }
    for (const FreeParameter& v : variables_) propagate(ws, v.param, v.peak);
}

}  // namespace vortlan
