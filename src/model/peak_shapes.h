#pragma once
// The synthetic peak: a Gaussian-Lorentzian line in sum or product form, with an optional tail on
// the high-binding-energy side, as a singlet or as a spin-orbit doublet.  A peak is described by its
// area; its height is derived.
//
// Evaluations are computed in double precision and rounded to single on return.  A shape that cannot
// be evaluated (a zero FWHM, say) gives a value that is not finite; the caller decides whether that
// skips a statement or ends the command.

#include <cmath>

#include "workspace/records.h"

namespace vortlan {

enum class LineForm { Sum, Product };

// ln2 is deliberately the ten-digit literal, not the full-precision logarithm, so that saved fits
// evaluate exactly as they were fitted.
inline constexpr double kShapeLn2 = 0.6931471806;
inline constexpr double kTailDecay = 6.9;
// How much the sum form's area factor grows per %GL.
inline constexpr double kSumAreaFactorPerGl = 0.0050632931;

inline LineForm lineFormOf(const FitOptions& options) {
    return isTrue(options.glSum) ? LineForm::Sum : LineForm::Product;
}

// The peak's shape with the region's energy shift added to its position.
PeakShape shapeOf(const Peak& peak, float shift = 0.0f);

// area / (height x FWHM) of one component in the sum form; %GL need not be whole.
double sumAreaFactor(double gl, double ts, double tl);

// The share of a peak's area in its component at the peak position, the main one: 1 for a singlet,
// 2/3, 0.6 and 4/7 for p, d and f doublets (the j = l + 1/2 component); 0 for a type outside 1..4.
double mainShare(short type);

// One Gaussian-Lorentzian component with the given area.
float componentValue(LineForm form, float x, float position, float area, float fwhm, short gl, float ts,
                     float tl);

// The intensity of a peak at binding energy x; 0 for a type outside 1..4.
float peakValue(LineForm form, float x, const PeakShape& shape);

// The per-peak work of peakValue done once, for evaluating one peak at many points; gives exactly
// the values of peakValue.
class PeakEvaluator {
  public:
    PeakEvaluator(LineForm form, const PeakShape& shape);
    float operator()(float x) const;

  private:
    struct Component {
        double position = 0;
        double height = 0;
        double width = 0;  // the FWHM in the sum form, the scale length in the product form
        double m = 0;      // the Lorentzian fraction
        double ts = 0;
        double tl = 0;
        bool tail = false;
        int gl = 0;
    };
    static Component makeComponent(LineForm form, double position, float area, float fwhm, short gl, float ts,
                                   float tl);
    float componentAt(const Component& c, float x) const;

    LineForm form_;
    int componentCount_ = 0;
    Component shifted_;  // the component at position + splitting of a doublet, evaluated first
    Component main_;
};

// Inline: curves evaluate a peak at every point of a range, many times per fit.
inline float PeakEvaluator::componentAt(const Component& c, float x) const {
    if (form_ == LineForm::Sum) {
        const double u = 2.0 * (x - c.position) / c.width;
        const double u2 = u * u;
        const double gaussian = std::exp(-kShapeLn2 * u2);
        double shape = c.m / (1.0 + u2) + (1.0 - c.m) * gaussian;
        // The tail lies on the high-binding-energy side only and is zero at the peak position.
        if (c.tail && x > c.position) shape += c.ts * (1.0 - gaussian) * std::exp(-kTailDecay * u2 / c.tl);
        return static_cast<float>(c.height * shape);
    }
    const double v = (x - c.position) / c.width;
    const double v2 = v * v;
    if (c.gl == 0) return static_cast<float>(c.height * std::exp(-kShapeLn2 * v2));
    if (c.gl == 100) return static_cast<float>(c.height / (1.0 + v2));
    return static_cast<float>(c.height * std::exp(-(1.0 - c.m) * kShapeLn2 * v2) / (1.0 + c.m * v2));
}

inline float PeakEvaluator::operator()(float x) const {
    if (componentCount_ == 1) return componentAt(main_, x);
    if (componentCount_ == 2) {
        const float shiftedValue = componentAt(shifted_, x);
        return static_cast<float>(static_cast<double>(shiftedValue) + componentAt(main_, x));
    }
    return 0.0f;
}

// Height of the main component in units of heightUnit, and its exact inverse.
float heightFromArea(LineForm form, float area, float fwhm, short gl, short type, float ts, float tl,
                     float heightUnit);
float areaFromHeight(LineForm form, float height, float fwhm, short gl, short type, float ts, float tl,
                     float heightUnit);

}  // namespace vortlan
