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

// The values the product form is defined with, six decimals each, entry by entry.  Recomputing them from
// the rule (the test above) gives the same to a few units of the sixth decimal; these are the ones used.
TEST(ProductTables, HoldTheirDefiningValuesExactly) {
    const double halfWidth[kMaxGl + 1] = {
    1, 0.997828, 0.995741, 0.993733, 0.991801, 0.989942, 0.988153, 0.986432,
    0.984776, 0.983183, 0.98165, 0.980171, 0.978759, 0.977397, 0.976088, 0.97483,
    0.973618, 0.972461, 0.971352, 0.970289, 0.969271, 0.968297, 0.967365, 0.966476,
    0.965628, 0.964819, 0.964051, 0.963321, 0.962629, 0.961975, 0.961357, 0.960776,
    0.960231, 0.959722, 0.959247, 0.958801, 0.958393, 0.958018, 0.957676, 0.957367,
    0.957089, 0.956844, 0.95663, 0.956448, 0.956296, 0.956176, 0.956087, 0.956028,
    0.955999, 0.956001, 0.956033, 0.956096, 0.956188, 0.95631, 0.956463, 0.956645,
    0.956858, 0.9571, 0.957373, 0.957676, 0.958009, 0.958372, 0.958766, 0.95919,
    0.959646, 0.960132, 0.96065, 0.961199, 0.961779, 0.962392, 0.963037, 0.963714,
    0.964424, 0.965168, 0.965945, 0.966756, 0.967602, 0.968483, 0.969399, 0.970351,
    0.97134, 0.972361, 0.973425, 0.974527, 0.975668, 0.976849, 0.97807, 0.979334,
    0.980639, 0.981988, 0.983381, 0.984819, 0.986304, 0.987836, 0.989417, 0.991048,
    0.99273, 0.994464, 0.996253, 0.998098, 1,
    };
    const float area[kMaxGl + 1] = {
    2.128934f, 2.124398f, 2.120194f, 2.116295f, 2.112679f, 2.109326f, 2.10622f, 2.103347f,
    2.100693f, 2.098248f, 2.096001f, 2.093944f, 2.09207f, 2.090369f, 2.088838f, 2.087469f,
    2.086258f, 2.0852f, 2.084291f, 2.083527f, 2.082906f, 2.082423f, 2.082076f, 2.081863f,
    2.081782f, 2.081831f, 2.082008f, 2.082312f, 2.082741f, 2.083295f, 2.083974f, 2.084775f,
    2.0857f, 2.086747f, 2.087918f, 2.089211f, 2.090627f, 2.092167f, 2.093831f, 2.095621f,
    2.097537f, 2.09958f, 2.101751f, 2.104053f, 2.106487f, 2.109054f, 2.111758f, 2.1146f,
    2.117583f, 2.120709f, 2.123981f, 2.127404f, 2.13098f, 2.134713f, 2.138608f, 2.142668f,
    2.146898f, 2.151305f, 2.155892f, 2.160667f, 2.165636f, 2.170805f, 2.176182f, 2.181776f,
    2.187595f, 2.193649f, 2.199948f, 2.206503f, 2.213326f, 2.220432f, 2.227834f, 2.235549f,
    2.243593f, 2.251987f, 2.260752f, 2.26991f, 2.279489f, 2.289518f, 2.300028f, 2.311058f,
    2.322648f, 2.334846f, 2.347706f, 2.36129f, 2.375671f, 2.390932f, 2.407174f, 2.424515f,
    2.443098f, 2.463099f, 2.484738f, 2.508291f, 2.53412f, 2.562709f, 2.594726f, 2.631149f,
    2.673492f, 2.724332f, 2.78876f, 2.88f, 3.061635f,
    };
    for (int k = 0; k <= kMaxGl; ++k) {
        EXPECT_EQ(productHalfWidth[k], halfWidth[k]) << "k = " << k;
        EXPECT_EQ(productArea[k], area[k]) << "k = " << k;
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
