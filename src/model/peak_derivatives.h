#pragma once
// A peak's value and its partial derivatives with respect to position, area, FWHM and %GL, for fits
// that step all parameters at once.  The formulas are those of peak_shapes.h, carried out in double
// precision throughout and never rounded to single: %GL is continuous in the sum form, and the shares
// of a doublet's area and its shifted position are exact.
//
// Nothing here checks its input: a zero FWHM or a value that is not finite gives results that are not
// finite, and the caller decides what to do with them.

#include <cmath>

#include "model/peak_shapes.h"

namespace vortlan {

// A peak's shape in double precision; gl is continuous (the product form reads its tables along the
// line between the whole %GL on either side).
struct PeakShapeD {
    double position;
    double area;
    double fwhm;
    double gl;
    double splitting;
    short type;
    double ts;
    double tl;
};

// Value and partial derivatives at one binding energy.  A doublet's position moves both components;
// its splitting is held.
struct PeakGradient {
    double value = 0, dPosition = 0, dArea = 0, dFwhm = 0, dGl = 0;
};

// The per-peak work done once, for evaluating one peak at many points.
class PeakGradientEvaluator {
  public:
    PeakGradientEvaluator(LineForm form, const PeakShapeD& shape);
    double value(double x) const;             // the peak's value alone (cheaper)
    PeakGradient operator()(double x) const;  // value and the four partial derivatives

  private:
    // One Gaussian-Lorentzian component: a singlet, or either half of a doublet.
    struct Component {
        double position = 0;
        double heightPerArea = 0;  // the component's height per unit of the whole peak's area
        double height = 0;
    };
    // One component's shape at a point, divided by its height, with its rates of change.
    struct Profile {
        double u = 0;  // the distance from the component's position times scale_
        double shape = 0;
        double slope = 0;     // d shape / du
        double dShapeDm = 0;  // d shape / d(Lorentzian fraction)
    };

    // Each sets the form's constants and gives the height of a component of unit area.
    double setUpSum(const PeakShapeD& shape);
    double setUpProduct(const PeakShapeD& shape);
    double shapeAt(double offset) const;
    Profile profileAt(double offset) const;
    Profile sumProfileAt(double offset) const;
    Profile productProfileAt(double offset) const;

    LineForm form_;
    int componentCount_ = 0;
    Component components_[2];
    double scale_ = 0;  // 2 / FWHM in the sum form, 1 / scale length in the product form
    double inverseFwhm_ = 0;
    double m_ = 0;             // the Lorentzian fraction
    double gaussianRate_ = 0;  // the Gaussian factor is exp(-gaussianRate_ u^2)
    bool tail_ = false;
    double ts_ = 0;
    double tailRate_ = 0;        // the tail decays as exp(-tailRate_ u^2)
    double mPerGl_ = 0;          // d m / d %GL
    double logHeightPerGl_ = 0;  // d ln(height) / d %GL: through the area factor, or the tables
    double logScalePerGl_ = 0;   // d ln(scale_) / d %GL: through the product form's half-width table
};

// Beyond this exponent the Gaussian factor is below 5e-18 of the peak's height and is taken as 0: ten
// orders of magnitude below the precision of the singles the program stores its curves in, and most
// points of a wide region lie that far from most of its peaks.
inline constexpr double kNegligibleGaussianExponent = 40.0;

// Inline: a fit evaluates every peak at every point of its range at every iteration.
inline double PeakGradientEvaluator::shapeAt(double offset) const {
    const double u = scale_ * offset;
    const double u2 = u * u;
    const double exponent = gaussianRate_ * u2;
    const double gaussian = exponent >= kNegligibleGaussianExponent ? 0.0 : std::exp(-exponent);
    if (form_ == LineForm::Sum) {
        double shape = m_ / (1.0 + u2) + (1.0 - m_) * gaussian;
        if (tail_ && offset > 0) shape += ts_ * (1.0 - gaussian) * std::exp(-tailRate_ * u2);
        return shape;
    }
    return gaussian / (1.0 + m_ * u2);
}

inline PeakGradientEvaluator::Profile PeakGradientEvaluator::sumProfileAt(double offset) const {
    Profile p;
    p.u = scale_ * offset;
    const double u2 = p.u * p.u;
    const double exponent = gaussianRate_ * u2;
    const double gaussian = exponent >= kNegligibleGaussianExponent ? 0.0 : std::exp(-exponent);
    const double lorentzian = 1.0 / (1.0 + u2);
    p.shape = m_ * lorentzian + (1.0 - m_) * gaussian;
    p.slope = -2.0 * p.u * (m_ * lorentzian * lorentzian + (1.0 - m_) * gaussianRate_ * gaussian);
    p.dShapeDm = lorentzian - gaussian;
    if (tail_ && offset > 0) {
        const double decay = std::exp(-tailRate_ * u2);
        p.shape += ts_ * (1.0 - gaussian) * decay;
        p.slope += 2.0 * p.u * ts_ * decay * (gaussianRate_ * gaussian - tailRate_ * (1.0 - gaussian));
    }
    return p;
}

inline PeakGradientEvaluator::Profile PeakGradientEvaluator::productProfileAt(double offset) const {
    Profile p;
    p.u = scale_ * offset;
    const double u2 = p.u * p.u;
    const double lorentzian = 1.0 / (1.0 + m_ * u2);
    const double exponent = gaussianRate_ * u2;
    p.shape = exponent >= kNegligibleGaussianExponent ? 0.0 : std::exp(-exponent) * lorentzian;
    p.slope = -2.0 * p.u * p.shape * (gaussianRate_ + m_ * lorentzian);
    p.dShapeDm = p.shape * u2 * (kShapeLn2 - lorentzian);
    return p;
}

inline PeakGradientEvaluator::Profile PeakGradientEvaluator::profileAt(double offset) const {
    return form_ == LineForm::Sum ? sumProfileAt(offset) : productProfileAt(offset);
}

inline double PeakGradientEvaluator::value(double x) const {
    double sum = 0;
    for (int i = 0; i < componentCount_; ++i) {
        const Component& c = components_[i];
        sum += c.height * shapeAt(x - c.position);
    }
    return sum;
}

inline PeakGradient PeakGradientEvaluator::operator()(double x) const {
    PeakGradient g;
    for (int i = 0; i < componentCount_; ++i) {
        const Component& c = components_[i];
        const Profile p = profileAt(x - c.position);
        g.value += c.height * p.shape;
        // The height goes as 1 / FWHM and u as (x - position) / FWHM.
        g.dPosition -= c.height * scale_ * p.slope;
        g.dFwhm -= c.height * inverseFwhm_ * (p.shape + p.u * p.slope);
        g.dArea += c.heightPerArea * p.shape;
        g.dGl += c.height * (mPerGl_ * p.dShapeDm + logHeightPerGl_ * p.shape + logScalePerGl_ * p.u * p.slope);
    }
    return g;
}

}  // namespace vortlan
