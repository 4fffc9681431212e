#include "model/peak_shapes.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/actual_fwhm.h"
#include "model/product_tables.h"

namespace vortlan {
namespace {

constexpr LineForm kForms[] = {LineForm::Sum, LineForm::Product};

PeakShape singlet(float position, float area, float fwhm, short gl, float ts = 0, float tl = 1) {
    return PeakShape{position, area, fwhm, gl, 0.0f, 1, ts, tl};
}

double productFunction(double v, int k) {
    const double m = k / 100.0;
    return std::exp(-(1.0 - m) * std::log(2.0) * v * v) / (1.0 + m * v * v);
}

TEST(ProductTables, FollowTheirRuleToTheSixthDecimal) {
    EXPECT_EQ(productHalfWidth[0], 1.0);
    EXPECT_EQ(productHalfWidth[100], 1.0);
    EXPECT_FLOAT_EQ(productArea[100], 3.061635f);  // 2 arctan 25: only |v| <= 25 counts
    for (int k = 1; k < 100; ++k) {
        // The half width is where the function falls to one half.
        double low = 0.5, high = 1.5;
        for (int i = 0; i < 60; ++i) {
            const double mid = (low + high) / 2;
            (productFunction(mid, k) > 0.5 ? low : high) = mid;
        }
        EXPECT_NEAR(productHalfWidth[k], low, 2e-5) << "k = " << k;
        // The area by Simpson's rule over -25..25.
        const int steps = 20000;
        const double h = 50.0 / steps;
        double sum = productFunction(-25, k) + productFunction(25, k);
        for (int i = 1; i < steps; ++i) sum += (i % 2 ? 4 : 2) * productFunction(-25 + i * h, k);
        EXPECT_NEAR(productArea[k], sum * h / 3, 2e-5) << "k = " << k;
    }
}

TEST(PeakShapes, PureGaussianIsTheSameInBothForms) {
    const PeakShape peak = singlet(285.0f, 1000.0f, 1.5f, 0);
    for (float x : {282.0f, 284.25f, 285.0f, 285.6f, 288.0f}) {
        EXPECT_NEAR(peakValue(LineForm::Sum, x, peak), peakValue(LineForm::Product, x, peak),
                    1e-6 * peakValue(LineForm::Sum, 285.0f, peak));
    }
    // Area factor 1.06446702 against 2.128934 / 2: height = area / (fwhm x factor).
    EXPECT_NEAR(peakValue(LineForm::Sum, 285.0f, peak), 1000.0 / (1.5 * 1.06446702), 1e-3);
}

TEST(PeakShapes, PureLorentzianHasOneShapeButTheProductFormIsTaller) {
    const PeakShape peak = singlet(285.0f, 1000.0f, 1.0f, 100);
    const double sumTop = peakValue(LineForm::Sum, 285.0f, peak);
    const double productTop = peakValue(LineForm::Product, 285.0f, peak);
    EXPECT_NEAR(productTop / sumTop, 1.57079633 / (3.061635 / 2), 1e-6);
    for (float x : {284.0f, 285.3f, 286.5f}) {
        EXPECT_NEAR(peakValue(LineForm::Sum, x, peak) / sumTop,
                    peakValue(LineForm::Product, x, peak) / productTop, 1e-6);
    }
}

TEST(PeakShapes, HalfMaximumLiesAtHalfTheFwhmForEveryMixture) {
    for (LineForm form : kForms) {
        for (short gl : {0, 20, 50, 80, 100}) {
            const PeakShape peak = singlet(100.0f, 50.0f, 2.0f, gl);
            const double top = peakValue(form, 100.0f, peak);
            EXPECT_NEAR(peakValue(form, 101.0f, peak) / top, 0.5, 2e-5) << "gl " << gl;
            EXPECT_NEAR(peakValue(form, 99.0f, peak) / top, 0.5, 2e-5) << "gl " << gl;
        }
    }
}

TEST(PeakShapes, TailRaisesOnlyTheHighBindingEnergySide) {
    const PeakShape symmetric = singlet(285.0f, 1000.0f, 1.2f, 20);
    const PeakShape tailed = singlet(285.0f, 1000.0f, 1.2f, 20, 0.5f, 20.0f);
    const double scale = sumAreaFactor(20, 0, 1) / sumAreaFactor(20, 0.5f, 20.0f);
    for (float x : {283.0f, 284.5f, 285.0f}) {
        EXPECT_FLOAT_EQ(peakValue(LineForm::Sum, x, tailed), peakValue(LineForm::Sum, x, symmetric) * scale);
    }
    EXPECT_GT(peakValue(LineForm::Sum, 286.5f, tailed), peakValue(LineForm::Sum, 286.5f, symmetric) * scale);
    // A negative strength changes the area factor but draws no tail.
    const PeakShape negative = singlet(285.0f, 1000.0f, 1.2f, 20, -0.5f, 20.0f);
    EXPECT_LT(sumAreaFactor(20, -0.5f, 20.0f), sumAreaFactor(20, 0, 1));
    EXPECT_FLOAT_EQ(peakValue(LineForm::Sum, 285.6f, negative) / peakValue(LineForm::Sum, 284.4f, negative),
                    1.0f);
}

TEST(PeakShapes, ProductFormIgnoresTheTail) {
    const PeakShape symmetric = singlet(285.0f, 1000.0f, 1.2f, 40);
    const PeakShape tailed = singlet(285.0f, 1000.0f, 1.2f, 40, 0.7f, 5.0f);
    for (float x : {284.0f, 285.0f, 286.0f}) {
        EXPECT_EQ(peakValue(LineForm::Product, x, tailed), peakValue(LineForm::Product, x, symmetric));
    }
}

TEST(PeakShapes, DoubletsSplitTheAreaInTheirRatios) {
    struct Case {
        short type;
        double mainShare;
    };
    for (LineForm form : kForms) {
        for (Case c : {Case{2, 2.0 / 3}, Case{3, 0.6}, Case{4, 4.0 / 7}}) {
            const PeakShape doublet{100.0f, 700.0f, 1.0f, 0, 10.0f, c.type, 0, 1};
            const PeakShape whole = singlet(100.0f, 700.0f, 1.0f, 0);
            EXPECT_NEAR(peakValue(form, 100.0f, doublet) / peakValue(form, 100.0f, whole), c.mainShare, 1e-6);
            EXPECT_NEAR(peakValue(form, 110.0f, doublet) / peakValue(form, 100.0f, whole), 1 - c.mainShare,
                        1e-6);
        }
    }
}

TEST(PeakShapes, UnknownTypesAreZero) {
    for (short type : {0, 5, -1}) {
        const PeakShape peak{100.0f, 700.0f, 1.0f, 30, 1.0f, type, 0, 1};
        EXPECT_EQ(peakValue(LineForm::Sum, 100.0f, peak), 0.0f);
        EXPECT_EQ(heightFromArea(LineForm::Sum, 700.0f, 1.0f, 30, type, 0, 1, 2.0f), 0.0f);
    }
}

TEST(PeakShapes, MixingOutsideItsRangeUsesTheTableEnds) {
    EXPECT_EQ(peakValue(LineForm::Product, 100.5f, singlet(100, 10, 1, 130)),
              peakValue(LineForm::Product, 100.5f, singlet(100, 10, 1, 100)));
    EXPECT_EQ(peakValue(LineForm::Product, 100.5f, singlet(100, 10, 1, -4)),
              peakValue(LineForm::Product, 100.5f, singlet(100, 10, 1, 0)));
}

TEST(PeakShapes, ZeroWidthGivesNoFiniteValue) {
    EXPECT_FALSE(std::isfinite(peakValue(LineForm::Sum, 100.0f, singlet(100, 10, 0, 30))));
    EXPECT_FALSE(std::isfinite(peakValue(LineForm::Product, 100.0f, singlet(100, 10, 0, 30))));
}

TEST(PeakShapes, HeightOfTheMainComponentInHeightUnits) {
    for (LineForm form : kForms) {
        for (short type : {1, 2, 3, 4}) {
            const PeakShape peak{285.0f, 900.0f, 1.4f, 35, 1000.0f, type, 0, 1};
            const float height = heightFromArea(form, 900.0f, 1.4f, 35, type, 0, 1, 4.0f);
            EXPECT_NEAR(height * 4.0, peakValue(form, 285.0f, peak), 1e-3) << "type " << type;
        }
    }
}

TEST(PeakShapes, HeightTakesTheMainShareOfTheAreaUnrounded) {
    // An "f" doublet of area 1000, FWHM 1.5, %GL 80 in the product form, height unit 10:
    // (1000 x 4/7) / (((1.5 / 2) / 0.97134) x 2.322648 x 10) in double precision, then rounded to
    // single, is 31.86313819885254.  Rounding 1000 x 4/7 to single first would give 31.863140106201172.
    EXPECT_EQ(heightFromArea(LineForm::Product, 1000.0f, 1.5f, 80, 4, 0, 1, 10.0f), 31.86313819885254f);
}

TEST(PeakShapes, HeightAndAreaConvertBothWays) {
    for (LineForm form : kForms) {
        for (short type : {1, 2, 3, 4}) {
            for (float ts : {0.0f, 0.3f}) {
                for (float area : {0.37f, 123.456f, 98765.4f}) {
                    for (short gl : {0, 33, 100}) {
                        const float height = heightFromArea(form, area, 0.9f, gl, type, ts, 12.0f, 7.3f);
                        const float back = areaFromHeight(form, height, 0.9f, gl, type, ts, 12.0f, 7.3f);
                        EXPECT_NEAR(back, area, 2 * std::nextafter(area, 1e9f) - 2 * area)
                            << "type " << type << " gl " << gl << " ts " << ts;
                    }
                }
            }
        }
    }
}

TEST(ActualFwhm, SymmetricSingletMeasuresItsNominalWidth) {
    for (LineForm form : kForms) {
        for (short gl : {0, 50, 100}) {
            const auto width = actualFwhm(form, singlet(285.0f, 100.0f, 1.3f, gl));
            ASSERT_TRUE(width);
            EXPECT_NEAR(*width, 1.3f, 0.0002f);
        }
    }
    EXPECT_EQ(actualFwhmText(LineForm::Sum, singlet(285.0f, 100.0f, 1.3f, 30)), "1.300eV   ");
}

TEST(ActualFwhm, TailWidensTheMeasuredPeak) {
    const auto width = actualFwhm(LineForm::Sum, singlet(285.0f, 100.0f, 1.0f, 0, 1.0f, 50.0f));
    ASSERT_TRUE(width);
    EXPECT_GT(*width, 1.05f);
}

TEST(ActualFwhm, DoubletSpansBothComponentsOnce) {
    // Two well separated components: the width runs from the main one's low half to the far side of
    // the second one, whose top stands above the half maximum of the main one.
    const PeakShape doublet{100.0f, 100.0f, 1.0f, 0, 5.0f, 3, 0, 1};
    const auto width = actualFwhm(LineForm::Sum, doublet);
    ASSERT_TRUE(width);
    const double halfOfSecond = 0.5 * std::sqrt(std::log(0.4 / 0.3) / std::log(2.0));
    EXPECT_NEAR(*width, 0.5 + 5.0 + halfOfSecond, 0.001);
}

TEST(ActualFwhm, UnsettledSearchShowsDashes) {
    const PeakShape broken = singlet(285.0f, 100.0f, std::nanf(""), 30);
    EXPECT_FALSE(actualFwhm(LineForm::Sum, broken));
    EXPECT_EQ(actualFwhmText(LineForm::Sum, broken), "---           ");
}

}  // namespace
}  // namespace vortlan
