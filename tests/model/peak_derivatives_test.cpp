#include "model/peak_derivatives.h"

#include "model/product_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace vortlan {
namespace {

constexpr LineForm kForms[] = {LineForm::Sum, LineForm::Product};
constexpr short kTypes[] = {1, 2, 3, 4};

const char* formName(LineForm form) {
    return form == LineForm::Sum ? "sum" : "product";
}

// A position and splitting whose sum is a single-precision number, so that the program's shifted
// component sits exactly where the double-precision one does.
PeakShape programShape(short gl, short type, float ts) {
    return PeakShape{285.125f, 1200.0f, 1.3f, gl, 1.25f, type, ts, 20.0f};
}

PeakShapeD doubleShape(const PeakShape& s) {
    return PeakShapeD{s.position, s.area, s.fwhm, static_cast<double>(s.gl), s.splitting, s.type, s.ts, s.tl};
}

// Binding energies from `reach` FWHMs below the peak to as far above its shifted component, none on a
// component's position (where the tail starts).
std::vector<double> energies(const PeakShapeD& s, double reach = 8) {
    std::vector<double> x;
    const double low = s.position - reach * s.fwhm + 0.0371;
    const double high = s.position + s.splitting + reach * s.fwhm;
    for (int i = 0; i <= 96; ++i) x.push_back(low + (high - low) * i / 96);
    return x;
}

TEST(PeakGradient, ValuesAgreeWithThePrograms) {
    for (LineForm form : kForms)
        for (short type : kTypes)
            // The program rounds the Lorentzian fraction gl / 100 to single precision, which moves the
            // product form's far wings by parts in a million; these fractions are single-precision numbers.
            for (short gl : {0, 25, 75, 100})
                for (float ts : {0.0f, 0.4f, -0.3f}) {
                    const PeakShape shape = programShape(gl, type, ts);
                    const PeakGradientEvaluator peak(form, doubleShape(shape));
                    // Within five FWHMs the Gaussian wings have not yet fallen below what single precision
                    // holds; the last of them are subnormal, with only a few digits.  Where the Gaussian
                    // factor is negligible the evaluator leaves it out.
                    const double negligible = std::exp(-kNegligibleGaussianExponent) * peakValue(form, shape.position, shape);
                    for (double x : energies(doubleShape(shape), 5)) {
                        const float xf = static_cast<float>(x);
                        const double expected = peakValue(form, xf, shape);
                        const double value = peak.value(xf);
                        ASSERT_GT(expected, 0.0f);
                        EXPECT_NEAR(value, expected,
                                    1e-6 * expected + negligible + std::numeric_limits<float>::denorm_min())
                            << formName(form) << " type " << type << " gl " << gl << " ts " << ts << " x "
                            << x;
                        EXPECT_NEAR(peak(xf).value, value, 1e-14 * value);
                    }
                }
}

// A parameter, its derivative, and a step small against the scale on which the shape changes (the
// shapes below have a FWHM of 1.3 and an area of 1200) yet large against rounding.
struct Parameter {
    const char* name;
    double PeakShapeD::*field;
    double PeakGradient::*derivative;
    double step;
};
constexpr Parameter kPosition{"position", &PeakShapeD::position, &PeakGradient::dPosition, 1.3e-5};
constexpr Parameter kArea{"area", &PeakShapeD::area, &PeakGradient::dArea, 1.2e-2};
constexpr Parameter kFwhm{"fwhm", &PeakShapeD::fwhm, &PeakGradient::dFwhm, 1.3e-5};
constexpr Parameter kGl{"gl", &PeakShapeD::gl, &PeakGradient::dGl, 1e-3};

// Each analytic derivative against a central difference of the value, at every energy.  Where a
// derivative passes through zero the comparison is against a thousandth of its largest size.
void expectDerivativesMatchDifferences(LineForm form, const PeakShapeD& shape, const Parameter& p) {
    const PeakGradientEvaluator peak(form, shape);
    const double h = p.step;
    PeakShapeD above = shape, below = shape;
    above.*p.field += h;
    below.*p.field -= h;
    const PeakGradientEvaluator peakAbove(form, above), peakBelow(form, below);

    const std::vector<double> x = energies(shape);
    std::vector<double> analytic, difference;
    double largest = 0;
    for (double xi : x) {
        analytic.push_back(peak(xi).*p.derivative);
        difference.push_back((peakAbove.value(xi) - peakBelow.value(xi)) / (2 * h));
        largest = std::max(largest, std::abs(analytic.back()));
    }
    ASSERT_GT(largest, 0.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(analytic[i], difference[i], 1e-6 * std::max(std::abs(analytic[i]), 1e-3 * largest))
            << formName(form) << " type " << shape.type << " gl " << shape.gl << " ts " << shape.ts << " "
            << p.name << " x " << x[i];
}

TEST(PeakGradient, DerivativesAgreeWithFiniteDifferences) {
    for (short type : kTypes)
        for (double ts : {0.0, 0.4, -0.3}) {
            // The sum form's %GL is continuous: whole, fractional and at both ends.
            for (double gl : {0.0, 30.0, 37.3, 100.0}) {
                const PeakShapeD shape{285.1, 1200, 1.3, gl, 1.4, type, ts, 20};
                for (const Parameter& p : {kPosition, kArea, kFwhm, kGl})
                    expectDerivativesMatchDifferences(LineForm::Sum, shape, p);
            }
            for (double gl : {0.0, 30.0, 100.0}) {
                const PeakShapeD shape{285.1, 1200, 1.3, gl, 1.4, type, ts, 20};
                for (const Parameter& p : {kPosition, kArea, kFwhm})
                    expectDerivativesMatchDifferences(LineForm::Product, shape, p);
            }
            // The product form's %GL between two table entries, where its derivative is smooth.
            for (double gl : {12.4, 37.3, 99.6}) {
                const PeakShapeD shape{285.1, 1200, 1.3, gl, 1.4, type, ts, 20};
                for (const Parameter& p : {kPosition, kArea, kFwhm, kGl})
                    expectDerivativesMatchDifferences(LineForm::Product, shape, p);
            }
        }
}

TEST(PeakGradient, ProductFormReadsItsTablesBetweenWholeGlAndHoldsTheirEnds) {
    const PeakShapeD shape{285.1, 1200, 1.3, 0, 1.4, 2, 0, 1};
    // A singlet's top is its height, area / (L q), with L = (FWHM / 2) / h: halfway between two entries
    // h and q are the means of theirs.
    PeakShapeD singlet{285.1, 1200, 1.3, 30.5, 0, 1, 0, 1};
    const double h = (productHalfWidth[30] + productHalfWidth[31]) / 2;
    const double q = (static_cast<double>(productArea[30]) + productArea[31]) / 2;
    EXPECT_NEAR(PeakGradientEvaluator(LineForm::Product, singlet).value(singlet.position),
                singlet.area / (singlet.fwhm / 2 / h * q), 1e-9);
    // Beyond the tables %GL takes the nearest end and has no effect.
    for (auto [gl, end] : {std::pair{-7.0, 0.0}, {130.0, 100.0}}) {
        PeakShapeD outside = shape, atEnd = shape;
        outside.gl = gl;
        atEnd.gl = end;
        const PeakGradientEvaluator peak(LineForm::Product, outside), expected(LineForm::Product, atEnd);
        for (double xi : energies(shape)) {
            EXPECT_EQ(peak.value(xi), expected.value(xi)) << "gl " << gl << " x " << xi;
            EXPECT_EQ(peak(xi).dGl, 0.0);
        }
    }
}

TEST(PeakGradient, UndefinedTypesGiveZeroAndUnusableShapesGiveNoFiniteNumber) {
    for (LineForm form : kForms) {
        for (short type : {0, 5, -1}) {
            const PeakGradientEvaluator peak(form, PeakShapeD{285, 1200, 1.3, 30, 1, type, 0, 1});
            const PeakGradient g = peak(285.2);
            EXPECT_EQ(peak.value(285.2), 0.0);
            EXPECT_EQ(g.value, 0.0);
            EXPECT_EQ(g.dPosition, 0.0);
            EXPECT_EQ(g.dArea, 0.0);
            EXPECT_EQ(g.dFwhm, 0.0);
            EXPECT_EQ(g.dGl, 0.0);
        }
        const double nan = std::nan("");
        for (const PeakShapeD& shape :
             {PeakShapeD{285, 1200, 0, 30, 1, 2, 0, 1}, PeakShapeD{nan, 1200, 1.3, 30, 1, 2, 0, 1},
              PeakShapeD{285, 1200, 1.3, nan, 1, 2, 0, 1}}) {
            const PeakGradientEvaluator peak(form, shape);
            for (double x : {284.0, 285.0, 286.0}) {
                const PeakGradient g = peak(x);
                for (double result : {peak.value(x), g.value, g.dPosition, g.dArea, g.dFwhm})
                    EXPECT_FALSE(std::isfinite(result))
                        << formName(form) << " fwhm " << shape.fwhm << " position " << shape.position
                        << " gl " << shape.gl << " x " << x;
            }
        }
    }
}

}  // namespace
}  // namespace vortlan
