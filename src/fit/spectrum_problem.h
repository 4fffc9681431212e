#pragma once
// A fit as a least-squares problem: the program's statistic over the regions the fit changes, as the
// residuals (data - envelope) / sqrt(w) of every point of their fit ranges, with the free parameters
// of the fitted peaks as the variables.  Backgrounds are held as accepted.
//
// A parameter tied to another peak is not a variable: it follows its reference through the relation
// (and through a chain of relations), and its derivatives reach the reference's variable by the chain
// rule.  A fixed parameter, or one of a peak outside the fit, is a constant.  So a region whose peaks
// are tied to a fitted peak joins the problem, which makes ties across regions one joint problem.

#include <array>
#include <optional>
#include <vector>

#include "fit/least_squares/levenberg_marquardt.h"
#include "model/peak_derivatives.h"
#include "model/peak_shapes.h"
#include "workspace/records.h"

namespace vortlan {

struct FreeParameter {
    int peak = 0;
    PeakParam param = PeakParam::Position;

    friend bool operator==(const FreeParameter&, const FreeParameter&) = default;
};

// What a fit moves: the free parameters (neither fixed nor tied) of these peaks, or only one of
// them; %GL only while glFree (it is held in the refit after rounding it to a whole number).
struct FitSelection {
    FitSelection() = default;
    explicit FitSelection(std::vector<int> fitted, std::optional<PeakParam> only = std::nullopt)
        : peaks(std::move(fitted)), onlyParam(only) {}

    std::vector<int> peaks;
    std::optional<PeakParam> onlyParam;
    bool glFree = true;
    std::vector<FreeParameter> held;  // held where they are, though free
};

class SpectrumProblem final : public ResidualFunction {
  public:
    SpectrumProblem(const Workspace& workspace, const FitSelection& selection);

    int residualCount() const override { return pointCount_; }
    int variableCount() const override { return static_cast<int>(variables_.size()); }
    bool evaluate(const double* x, double* residuals, double* jacobian) const override;

    const std::vector<FreeParameter>& variables() const { return variables_; }
    // The regions whose statistic depends on the variables, in increasing order.
    std::vector<int> regions() const;
    // Where a region's residuals begin in the problem's order; -1 when it takes no part.
    int firstResidualOf(int region) const;
    // The weight 1 / sqrt(w) of every residual, in the problem's order.
    std::vector<double> residualWeights() const;
    // The variables' present values.
    const std::vector<double>& start() const { return start_; }
    const std::vector<double>& lower() const { return lower_; }
    const std::vector<double>& upper() const { return upper_; }
    // The variables whose present values lie on one of their bounds (fit/trust/physical_bounds.h).
    std::vector<FreeParameter> parametersOnBounds() const;

    // The envelope (background plus peaks) at every point of the problem, at x.
    std::vector<double> model(const double* x) const;
    // The same problem fitted to other data: each region's range counts and background taken from
    // `regions` (one for each of regions(), in its order, over the same range), the peaks the fit does
    // not move kept as they are.  Nothing when a region's arrays do not hold its range.
    std::optional<SpectrumProblem> withRegionData(const std::vector<const Region*>& regions) const;
    // A peak's parameter at x, if the peak takes part (not a number otherwise).
    double valueOf(int peak, PeakParam param, const double* x) const;

    // The statistic of each region (the mean of its squared residuals), summed.
    double statistic(const double* residuals) const;

    // How a peak's parameter depends on the variables at x: through which variable (-1: none, the
    // parameter is held) and how steeply.
    struct Dependence {
        int variable = -1;
        double slope = 0;
    };
    Dependence dependenceOf(int peak, PeakParam param, const double* x) const;

    // Puts the variables into the peaks as the records hold them (singles, %GL a whole number) and
    // carries them to the tied peaks by the program's own relations.
    void store(const double* x, Workspace& workspace) const;

    // Where a parameter's value comes from: a constant, or a variable taken through the relations
    // of a chain of ties.
    struct Relation {
        short op = 0;
        double operand = 0;
    };
    struct Source {
        int variable = -1;  // -1: constant
        double constant = 0;
        std::vector<Relation> chain;  // applied in order to the variable's value
    };

  private:
    struct FittedRegion {
        int region = 0;
        int offset = 0;  // of its first residual
        std::vector<double> energy;
        std::vector<double> held;    // the peaks the fit does not move
        std::vector<double> base;    // the background plus `held`
        std::vector<double> net;     // data - base
        std::vector<double> weight;  // 1 / sqrt(w)
    };
    struct FittedPeak {
        int peak = 0;
        int regionIndex = 0;  // into regions_
        PeakShapeD fixedPart;  // splitting, type and tail; the four parameters come from the sources
        double shift = 0;
        std::array<Source, 4> sources;  // position, area, FWHM, %GL
    };

    void chooseVariables(const Workspace& workspace, const FitSelection& selection);
    Source sourceOf(const Workspace& workspace, int peak, PeakParam param) const;
    void chooseRegionsAndPeaks(const Workspace& workspace);
    void setBounds(const Workspace& workspace);
    PeakShapeD shapeAt(const FittedPeak& peak, const double* x, std::array<double, 4>& slopes) const;
    void addHeldPeak(FittedRegion& region, const FittedPeak& peak) const;
    static void setCounts(FittedRegion& region, const std::vector<double>& counts);
    void addPeak(double* residuals, double* jacobian, const FittedPeak& peak, const double* x) const;

    LineForm form_ = LineForm::Sum;
    std::vector<FreeParameter> variables_;
    std::vector<double> start_;
    std::vector<FittedRegion> regions_;
    std::vector<FittedPeak> peaks_;
    std::vector<double> lower_;
    std::vector<double> upper_;
    int pointCount_ = 0;
};

}  // namespace vortlan
