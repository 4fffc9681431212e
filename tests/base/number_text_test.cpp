#include "base/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "base/number_reading.h"

namespace vortlan {
namespace {

struct SingleCase {
    float value;
    const char* expected;
};

// 0.0001f is just below 1E-04 in binary: the rounded digits, not the value, decide the form.
TEST(GeneralNumberText, BlanksDigitsAndExponentForm) {
    const SingleCase cases[] = {{0.5f, " .5 "},
                                {-0.5f, "-.5 "},
                                {284.5f, " 284.5 "},
                                {1523.0f, " 1523 "},
                                {0.0f, " 0 "},
                                {-0.0f, " 0 "},
                                {1e7f, " 1E+07 "},
                                {12345678.0f, " 1.234568E+07 "},
                                {1234.5f, " 1234.5 "},
                                {0.25f, " .25 "},
                                {1.5e-5f, " 1.5E-05 "},
                                {-1.5e-5f, "-1.5E-05 "},
                                {9999999.0f, " 9999999 "},
                                {0.0001f, " .0001 "},
                                {284.1f, " 284.1 "},
                                {2.0f / 3.0f, " .6666667 "},
                                {std::numeric_limits<float>::max(), " 3.402823E+38 "},
                                {std::numeric_limits<float>::denorm_min(), " 1.401298E-45 "}};
    for (const auto& c : cases) {
        EXPECT_EQ(generalNumberText(c.value), c.expected) << c.value;
    }
}

TEST(GeneralNumberText, Integers) {
    EXPECT_EQ(generalNumberText(3), " 3 ");
    EXPECT_EQ(generalNumberText(-3), "-3 ");
    EXPECT_EQ(generalNumberText(0L), " 0 ");
    EXPECT_EQ(generalNumberText(123456789L), " 123456789 ");
}

TEST(SignedAndShortNumberText, SameDigitsOtherBlanks) {
    struct Case {
        float value;
        const char* signedText;
        const char* shortText;
    };
    const Case cases[] = {{0.5f, " .5", "0.5"},
                          {-0.5f, "-.5", "-0.5"},
                          {285.0f, " 285", "285"},
                          {-1.0f, "-1", "-1"},
                          {0.0f, " 0", "0"},
                          {-0.0f, " 0", "0"},
                          {1e7f, " 1E+07", "1E+07"},
                          {1.5e-5f, " 1.5E-05", "1.5E-05"},
                          {0.0001f, " .0001", "0.0001"}};
    for (const auto& c : cases) {
        EXPECT_EQ(signedNumberText(c.value), c.signedText) << c.value;
        EXPECT_EQ(shortNumberText(c.value), c.shortText) << c.value;
    }
}

TEST(ExactNumberText, ShortestTextThatReadsBackAsTheSameSingle) {
    const SingleCase cases[] = {{0.35f, "0.35"},
                                {284.79962f, "284.79962"},
                                {-0.5f, "-0.5"},
                                {12345678.0f, "1.2345678E+07"},
                                {1.5e-5f, "1.5E-05"},
                                {2.0f / 3.0f, "0.6666667"},
                                {0.1f + 0.2f, "0.3"},
                                {std::nextafter(284.8f, 300.0f), "284.80002"}};
    for (const auto& c : cases) EXPECT_EQ(exactNumberText(c.value), c.expected) << c.value;
    // Read as a box is read, every single comes back, including those between two texts of seven digits.
    for (float v = 1.0f; v < 1.0001f; v = std::nextafter(v, 2.0f)) {
        EXPECT_EQ(static_cast<float>(leadingNumber(exactNumberText(v))), v) << exactNumberText(v);
    }
    for (float v = 284.0f; v < 284.01f; v = std::nextafter(v, 300.0f)) {
        EXPECT_EQ(static_cast<float>(leadingNumber(exactNumberText(v))), v) << exactNumberText(v);
    }
}

TEST(TwoDigitNumberText, RoundsToTwoSignificantDigitsInTheFormOfTheBoxes) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {{0.012345, "0.012"},     {0.0995, "0.1"}, {4.349, "4.3"},         {4.35001, "4.4"},
                 {1234.5, "1200"},        {99.6, "100"},   {0.0001234, "0.00012"}, {1.5e-5, "1.5E-05"},
                 {12345678.0, "1.2E+07"}, {0.0, "0"},      {-0.0456, "-0.046"},    {3.0, "3"}};
    for (const auto& c : cases) EXPECT_EQ(twoDigitNumberText(c.value), c.expected) << c.value;
    EXPECT_EQ(twoDigitNumberText(std::numeric_limits<double>::infinity()), "Infinity");
}

TEST(SignificantNumberText, RoundsToTheDigitsAskedAndDropsTrailingZeros) {
    const struct {
        double value;
        int digits;
        const char* expected;
    } cases[] = {{16.7349, 4, "16.73"},    {5.21750001, 4, "5.218"},      {1.0, 4, "1"},
                 {0.53749, 4, "0.5375"},   {99996.0, 4, "100000"},        {99994.0, 4, "99990"},
                 {2.93, 1, "3"},           {1234567.0, 3, "1230000"},     {-0.0001, 4, "-0.0001"},
                 {0.0, 4, "0"},            {1.0 / 3.0, 17, "0.33333333333333331"}};
    for (const auto& c : cases) EXPECT_EQ(significantNumberText(c.value, c.digits), c.expected) << c.value;
}

TEST(NumberText, NonFiniteValuesAreNamed) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(generalNumberText(nan), " NaN ");
    EXPECT_EQ(generalNumberText(inf), " Infinity ");
    EXPECT_EQ(generalNumberText(-inf), "-Infinity ");
    EXPECT_EQ(signedNumberText(-inf), "-Infinity");
    EXPECT_EQ(shortNumberText(inf), "Infinity");
    EXPECT_EQ(shortNumberText(nan), "NaN");
    EXPECT_EQ(patternNumberText(-inf, "#0.000"), "-Infinity");
}

// 2.675 and 0.15f lie just below their halves in binary; they round as they read.
TEST(PatternNumberText, DoubleValues) {
    struct Case {
        double value;
        const char* pattern;
        std::string expected;
    };
    const Case cases[] = {{1234.5, "#0.000", "1234.500"},
                          {284.5, "#0.000", "284.500"},
                          {2.675, "0.00", "2.68"},
                          {0.5, "#0", "1"},
                          {2.5, "#0", "3"},
                          {-2.5, "#0", "-3"},
                          {30.0, "#0", "30"},
                          {284.0, "#0.0", "284.0"},
                          {-2.0, "#0.0", "-2.0"},
                          {1e-7, "##0.##", "0"},
                          {5.0, "##0.##", "5"},
                          {-0.0004, "0.000", "0.000"},
                          {-0.0005, "0.000", "-0.001"},
                          {0.999, "#0.00", "1.00"},
                          {99.96, "#0.0", "100.0"},
                          {12.345, "000.0", "012.3"},
                          {1e30, "#0", "1" + std::string(30, '0')},
                          {1.5e20, "#0.000", "150" + std::string(18, '0') + ".000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(patternNumberText(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
    }
}

TEST(PatternNumberText, SinglesRoundAsTheyRead) {
    struct Case {
        float value;
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {{12345.6f, "#######0.000", "12345.600"},
                          {1.2f, "0.000", "1.200"},
                          {0.6f, "#0.0", "0.6"},
                          {0.01f, "##0.##############", "0.01"},
                          {2.675f, "0.00", "2.68"},
                          {0.15f, "#0.0", "0.2"},
                          {30.0f, "#0", "30"}};
    for (const auto& c : cases) {
        EXPECT_EQ(patternNumberText(c.value, c.pattern), c.expected) << c.value << " " << c.pattern;
    }
}

TEST(PatternNumberText, RejectsPatternsItDoesNotKnow) {
    for (const char* pattern : {"", "#,##0.00", "0.0.0", "0.00E+00"}) {
        EXPECT_THROW(patternNumberText(1.0, pattern), std::invalid_argument) << pattern;
    }
}

}  // namespace
}  // namespace vortlan
