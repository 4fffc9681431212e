// How the backgrounds move with their end averages, against the program's own backgrounds
// recomputed with an end average moved; and the background-subtracted area's error against the
// variance of its linear form written out point by point.

#include "model/background_sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/backgrounds.h"
#include "model/fit_range.h"
#include "model/net_area.h"
#include "support/synthetic_region.h"

namespace vortlan {
namespace {

struct Case {
    const char* name;
    BackgroundType type;
    float backgroundParam;
    short averagePoints;
    std::function<double(double)> data;
};

// A peak on a step: Shirley's and Tougaard's backgrounds have something to follow.
double peakOnStep(double e) {
    return testing::step(288.0, 2000.0, 2600.0, 0.8)(e) +
           9000.0 * std::exp(-2.77 * (e - 288.0) * (e - 288.0));
}

const Case kCases[] = {
    {"linear", BackgroundType::Linear, 0.0f, 9, peakOnStep},
    {"shirley", BackgroundType::Shirley, 0.0f, 5, peakOnStep},
    {"shirley with a linear term", BackgroundType::Shirley, 0.5f, 1, peakOnStep},
    {"tougaard", BackgroundType::Tougaard, 0.02f, 3, peakOnStep},
    // Rising toward low binding energy: Shirley gives way to the straight line.
    {"shirley on rising data", BackgroundType::Shirley, 0.0f, 9, [](double e) { return 4000.0 - 5.0 * e; }},
};

class BackgroundSensitivityTest : public ::testing::TestWithParam<Case> {
  protected:
    BackgroundSensitivityTest() {
        const Case& c = GetParam();
        Region& r = testing::makeRegion(ws, 0, 161, 296.0f, 0.1f, c.data);
        r.rangeHigh = 295.0f;
        r.rangeLow = 281.0f;
        r.averagePoints = c.averagePoints;
        r.backgroundParam = c.backgroundParam;
        r.backgroundType = static_cast<short>(c.type);
        computeBackground(ws, 0);
    }

    // data - background over the range after moving one end average by `by`, as the program draws it.
    std::vector<double> netAfterMoving(bool first, double by) const {
        Region r = ws.regions[0];
        const int n = r.rangeCount;
        float& average = first ? r.endAverageFirst : r.endAverageLast;
        average = static_cast<float>(average + by);
        r.rangeCounts[first ? 1 : n] = average;
        drawBackground(r);
        std::vector<double> net;
        for (int i = 1; i <= n; ++i) net.push_back(static_cast<double>(r.rangeCounts[i]) - r.background[i]);
        return net;
    }

    Workspace ws;
};

TEST_P(BackgroundSensitivityTest, SlopesAreThoseOfTheProgramsOwnBackground) {
    const std::vector<EndAverageInput> ends = endAverageInputs(ws.regions[0]);
    ASSERT_EQ(ends.size(), 2u);
    const double by = 4.0;  // counts; the backgrounds are singles of a few thousand
    for (bool first : {true, false}) {
        const std::vector<double> up = netAfterMoving(first, by);
        const std::vector<double> down = netAfterMoving(first, -by);
        const std::vector<double>& slope = ends[first ? 0 : 1].netSlope;
        ASSERT_EQ(slope.size(), up.size());
        for (std::size_t i = 0; i < slope.size(); ++i)
            EXPECT_NEAR(slope[i], (up[i] - down[i]) / (2 * by), 2e-3)
                << (first ? "first" : "last") << " at " << i;
    }
}

TEST_P(BackgroundSensitivityTest, AveragesAreMadeOfTheirWindows) {
    const Region& r = ws.regions[0];
    const std::vector<EndAverageInput> ends = endAverageInputs(r);
    for (const auto& [end, average] : {std::pair{0, r.endAverageFirst}, std::pair{1, r.endAverageLast}}) {
        double sum = 0.0, shares = 0.0;
        for (const auto& [index, share] : ends[static_cast<std::size_t>(end)].rawShares) {
            sum += share * r.counts[index];
            shares += share;
        }
        EXPECT_NEAR(sum, average, 1e-3 * average);
        EXPECT_NEAR(shares, 1.0, 1e-12);
    }
}

// The area is Σ step (y_i - B_i): linear in the raw counts through the range and the averages.  Its
// variance for counting noise, each raw count moved in turn through the program's own computation.
TEST_P(BackgroundSensitivityTest, AreaErrorIsTheVarianceOfItsLinearForm) {
    const Region& r = ws.regions[0];
    double variance = 0.0;
    const double by = 4.0;
    const auto areaWith = [this](int raw, double change) {
        Workspace moved = ws;
        moved.regions[0].counts[raw] = static_cast<float>(moved.regions[0].counts[raw] + change);
        computeBackground(moved, 0);
        const Region& m = moved.regions[0];
        double sum = 0.0;
        for (int i = 1; i <= m.rangeCount; ++i)
            sum += static_cast<double>(m.rangeCounts[i]) - m.background[i];
        return sum * (static_cast<double>(m.rangeEnergy[1]) - m.rangeEnergy[2]);
    };
    for (int raw = 1; raw <= r.pointCount; ++raw) {
        const double slope = (areaWith(raw, by) - areaWith(raw, -by)) / (2 * by);
        variance += slope * slope * r.counts[raw];
    }
    const BackgroundSubtractedArea area = backgroundSubtractedArea(r, 1.0);
    EXPECT_NEAR(area.standardError, std::sqrt(variance), 2e-3 * std::sqrt(variance));
    EXPECT_GT(area.backgroundVariance, 0.0);
    // The scale multiplies every variance.
    EXPECT_NEAR(backgroundSubtractedArea(r, 4.0).standardError, 2.0 * area.standardError,
                1e-9 * area.standardError);
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, BackgroundSensitivityTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(BackgroundSensitivity, NothingToFollowWithoutARangeOfTwoPointsOrItsRawData) {
    Workspace ws;
    Region& r = testing::makeRegion(ws, 0, 20, 290.0f, 0.1f, [](double) { return 100.0; });
    r.backgroundType = static_cast<short>(BackgroundType::Linear);
    computeBackground(ws, 0);
    EXPECT_EQ(endAverageInputs(r).size(), 2u);
    Region damaged = r;
    damaged.indexAtHigh = static_cast<short>(r.pointCount);  // the range would run past the data
    EXPECT_TRUE(endAverageInputs(damaged).empty());
    damaged = r;
    damaged.rangeCount = 1;
    EXPECT_TRUE(endAverageInputs(damaged).empty());
    // Without inputs the area's error is the points' counting alone.
    EXPECT_NEAR(backgroundSubtractedArea(damaged, 1.0).standardError,
                std::sqrt(backgroundAreaCountingVariance(damaged)), 1e-12);
}

}  // namespace
}  // namespace vortlan
