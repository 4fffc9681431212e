#include "base/number_reading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace vortlan {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

struct ReadingCase {
    std::string text;
    double expected;
};

TEST(LeadingNumber, SkippingInnerBlanks) {
    const ReadingCase cases[] = {{"", 0.0},
                                 {"abc", 0.0},
                                 {".", 0.0},
                                 {"-", 0.0},
                                 {"e5", 0.0},
                                 {".e5", 0.0},
                                 {".5", 0.5},
                                 {"-.5", -0.5},
                                 {"+7", 7.0},
                                 {"12abc", 12.0},
                                 {" 1486.6\r", 1486.6},
                                 {"3,5", 3.0},
                                 {"1.2.3", 1.2},
                                 {"\t\n 42", 42.0},
                                 {"1 2.5", 12.5},
                                 {"- 3", -3.0},
                                 {"1 e 2", 100.0},
                                 {"0.1", 0.1},
                                 {"1.5E3", 1500.0},
                                 {"1.5e-3", 0.0015},
                                 {"2d+2", 200.0},
                                 {"5E", 5.0},
                                 {"5E-", 5.0},
                                 {"123456789012345678901234567890", 1.2345678901234568e29},
                                 {"0." + std::string(400, '0') + "1e401", 1.0},
                                 {"0.000e999999", 0.0},
                                 {"1e-400", 0.0},
                                 {"1e400", inf},
                                 {"-1e400", -inf},
                                 {"1" + std::string(400, '0'), inf},
                                 {"1e99999999999999999999", inf}};
    for (const auto& c : cases) {
        EXPECT_EQ(leadingNumber(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(LeadingNumber, BlanksEndingTheNumber) {
    const ReadingCase cases[] = {{"1 2", 1.0}, {" 1486.6 284", 1486.6}, {"\t-2.5\t7", -2.5},
                                 {"- 3", 0.0}, {"1E 5", 1.0},           {"1.5e-3 9", 0.0015}};
    for (const auto& c : cases) {
        EXPECT_EQ(leadingNumber(c.text, InnerBlanks::EndTheNumber), c.expected) << '"' << c.text << '"';
    }
}

TEST(RoundHalfEvenToShort, HalvesGoToEvenAndRangeIsChecked) {
    struct Case {
        double value;
        std::optional<std::int16_t> expected;
    };
    const Case cases[] = {
        {199.5, 200},
        {200.5, 200},
        {-0.5, 0},
        {2.5, 2},
        {-2.5, -2},
        {32767.4, 32767},
        {-32768.5, -32768},
        {32767.5, std::nullopt},
        {-32768.6, std::nullopt},
        {1e10, std::nullopt},
        {std::nan(""), std::nullopt},
        {inf, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roundHalfEvenToShort(c.value), c.expected) << c.value;
    }
}

}  // namespace
}  // namespace vortlan
