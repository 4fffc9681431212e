#include "model/backgrounds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/checked_math.h"
#include "model/fit_range.h"
#include "support/synthetic_region.h"

namespace vortlan {
namespace {

using testing::makeRegion;
using testing::step;

// The Tougaard sums written out term by term, as the loss integral reads.
std::vector<float> literalTougaard(const Region& r) {
    const int n = r.rangeCount;
    const double delta = static_cast<float>(static_cast<double>(r.rangeEnergy[1]) - r.rangeEnergy[2]);
    const PointArray& y = r.rangeCounts;
    std::vector<float> result(n + 1);
    for (int i = 1; i <= n; ++i) {
        double t = 0.0;
        for (int j = i + 1; j <= n; ++j) {
            const double loss = delta * (j - i);
            const double c = static_cast<float>(loss * loss + 1643.0);
            t += delta * loss * (static_cast<double>(y[j]) - y[n]) / c / c;
        }
        result[i] = static_cast<float>(y[n] + static_cast<double>(r.backgroundParam) * t);
    }
    return result;
}

class FitRangeTest : public ::testing::Test {
  protected:
    Workspace ws;
    Region& r = makeRegion(ws, 0, 201, 300.0f, 0.1f, step(290.0, 100.0, 400.0));
};

TEST_F(FitRangeTest, CutsTheRangeBetweenTheNearestPoints) {
    r.rangeLow = 285.02f;
    r.rangeHigh = 295.0f;
    selectFitRange(ws, 0);
    EXPECT_EQ(r.indexAtHigh, 51);
    EXPECT_EQ(r.indexAtLow, 151);
    EXPECT_EQ(r.rangeCount, 101);  // 9.98 eV of 0.1 eV steps, rounded, plus one
    EXPECT_FLOAT_EQ(r.rangeEnergy[1], 295.0f);
    EXPECT_FLOAT_EQ(r.rangeEnergy[101], 285.0f);
    EXPECT_EQ(r.rangeCounts[7], r.counts[57]);
}

TEST_F(FitRangeTest, ReversedLimitsAreExchangedAndGiveTheSameRange) {
    r.rangeLow = 295.0f;
    r.rangeHigh = 285.0f;
    selectFitRange(ws, 0);
    EXPECT_FLOAT_EQ(r.rangeLow, 285.0f);
    EXPECT_FLOAT_EQ(r.rangeHigh, 295.0f);
    EXPECT_EQ(r.indexAtHigh, 51);
    EXPECT_EQ(r.rangeCount, 101);
}

TEST_F(FitRangeTest, UnevenSpacingEndsTheRangeAtTheLastRawPoint) {
    // Dense points first, sparse ones after: the average spacing understates the spacing in the
    // range, and the count it gives runs past the data.
    for (int i = 1; i <= 101; ++i) r.energy[i] = 300.0f - 0.01f * (i - 1);
    for (int i = 102; i <= 201; ++i) r.energy[i] = static_cast<float>(298 - (i - 102));
    r.rangeLow = 210.0f;
    r.rangeHigh = 250.0f;
    selectFitRange(ws, 0);
    EXPECT_EQ(r.indexAtHigh, 150);
    EXPECT_EQ(r.rangeCount, 52);
    EXPECT_FLOAT_EQ(r.rangeEnergy[r.rangeCount], 199.0f);
}

TEST_F(FitRangeTest, LimitsFarFromEveryPointKeepTheIndexWithinTheData) {
    r.indexAtHigh = 9999;  // as a damaged file might leave it
    r.rangeHigh = 900.0f;
    r.rangeLow = 285.0f;
    selectFitRange(ws, 0);
    EXPECT_EQ(r.indexAtHigh, 201);
    EXPECT_GE(r.rangeCount, 1);
    EXPECT_LE(r.indexAtHigh + r.rangeCount - 1, 201);
}

TEST_F(FitRangeTest, DataThatCannotGiveARangeEndTheCommand) {
    for (int i = 1; i <= 201; ++i) r.energy[i] = 290.0f;
    EXPECT_THROW(selectFitRange(ws, 0), ComputationFault);
    r.pointCount = 300;  // more than the arrays hold
    EXPECT_THROW(selectFitRange(ws, 0), ComputationFault);
    r.pointCount = 0;
    EXPECT_THROW(selectFitRange(ws, 0), ComputationFault);
}

TEST_F(FitRangeTest, ResizesTheCurvesOfTheRegionsPeaksOnly) {
    testing::addPeak(ws, 0, 3, 290, 100, 1);
    ws.peaks[4].region = 1;
    ws.peaks[4].defined = kTrue;
    ws.peaks[4].curve.allocate(7);
    r.rangeLow = 285.0f;
    r.rangeHigh = 295.0f;
    selectFitRange(ws, 0);
    EXPECT_EQ(ws.peaks[3].curve.bound(), 101);
    EXPECT_EQ(ws.peakBackup[3].curve.bound(), 101);
    EXPECT_EQ(ws.peaks[4].curve.bound(), 7);
}

TEST_F(FitRangeTest, EndAveragesReplaceTheEndValues) {
    for (int i = 1; i <= 201; ++i) r.counts[i] = static_cast<float>(i);
    r.rangeLow = 285.0f;
    r.rangeHigh = 295.0f;
    selectFitRange(ws, 0);
    averageEndPoints(r);
    EXPECT_FLOAT_EQ(r.endAverageFirst, 51.0f);
    EXPECT_FLOAT_EQ(r.endAverageLast, 151.0f);
    r.averagePoints = 0;  // read as "None"
    averageEndPoints(r);
    EXPECT_EQ(r.averagePoints, 1);
    // Uneven counts show the window: points 49..53 and 149..153 averaged.
    r.counts[49] = 1049.0f;
    r.counts[153] = 1153.0f;
    r.averagePoints = 5;
    averageEndPoints(r);
    EXPECT_FLOAT_EQ(r.endAverageFirst, 51.0f + 1000.0f / 5);
    EXPECT_FLOAT_EQ(r.endAverageLast, 151.0f + 1000.0f / 5);
    EXPECT_FLOAT_EQ(r.rangeCounts[1], r.endAverageFirst);
    EXPECT_FLOAT_EQ(r.rangeCounts[r.rangeCount], r.endAverageLast);
}

TEST_F(FitRangeTest, AveragingPastTheDataRepeatsTheEndValues) {
    for (int i = 1; i <= 201; ++i) r.counts[i] = static_cast<float>(i);
    r.averagePoints = 9;
    selectFitRange(ws, 0);
    averageEndPoints(r);
    EXPECT_FLOAT_EQ(r.endAverageFirst, (5 * 1 + 2 + 3 + 4 + 5) / 9.0f);
    EXPECT_FLOAT_EQ(r.endAverageLast, (197 + 198 + 199 + 200 + 5 * 201) / 9.0f);
}

class BackgroundTest : public ::testing::Test {
  protected:
    void compute(short type, float param = 0.0f) {
        r.backgroundType = type;
        r.backgroundParam = param;
        computeBackground(ws, 0);
    }
    Workspace ws;
    // A step of 300 counts at 290 eV over 100 counts at low binding energy.
    Region& r = makeRegion(ws, 0, 201, 300.0f, 0.1f, step(290.0, 100.0, 400.0));
};

TEST_F(BackgroundTest, LinearJoinsTheEndAverages) {
    compute(1);
    EXPECT_FLOAT_EQ(r.linearSlope, (r.endAverageLast - r.endAverageFirst) / 200.0f);
    EXPECT_FLOAT_EQ(r.background[1], r.endAverageFirst);
    EXPECT_NEAR(r.background[201], r.endAverageLast, 1e-3);
    EXPECT_NEAR(r.background[101], (r.endAverageFirst + r.endAverageLast) / 2, 1e-3);
}

TEST_F(BackgroundTest, ShirleyRecoversTheStepUnderAPeak) {
    // A Gaussian on a background that rises by 200 counts in proportion to the peak area at lower
    // binding energy: the background Shirley's method assumes, so it should be found again.
    const double sigma = 1.5 / (2.0 * std::sqrt(2.0 * std::log(2.0)));
    const auto shirleyStep = [sigma](double e) {
        return 100.0 + 100.0 * (1.0 + std::erf((e - 290.0) / (sigma * std::sqrt(2.0))));
    };
    const auto peak = testing::gaussianOn(0.0, 290.0, 1000.0, 1.5);
    makeRegion(ws, 0, 201, 300.0f, 0.1f, [&](double e) { return shirleyStep(e) + peak(e); });
    compute(0);
    EXPECT_FLOAT_EQ(r.background[1], r.endAverageFirst);
    EXPECT_FLOAT_EQ(r.background[201], r.endAverageLast);
    // The integral is a sum over whole points, which places the step half a point (0.05 eV) higher.
    for (int i = 1; i <= 201; ++i) {
        EXPECT_NEAR(r.background[i], shirleyStep(r.rangeEnergy[i] + 0.05), 1.0) << "point " << i;
    }
}

TEST_F(BackgroundTest, ShirleyLinearTermLowersTheHighEnd) {
    compute(0, 0.25f);
    EXPECT_NEAR(r.background[1], r.endAverageFirst - 0.25f, 1e-3);
    EXPECT_FLOAT_EQ(r.background[201], r.endAverageLast);
}

TEST_F(BackgroundTest, ShirleyOnFlatDataSkipsTheVanishingIntegral) {
    for (int i = 1; i <= 201; ++i) r.counts[i] = 100.0f;
    compute(0);
    for (int i = 1; i <= 201; ++i) EXPECT_EQ(r.background[i], 100.0f);
}

TEST_F(BackgroundTest, DataRisingTowardLowEnergyGetTheStraightLine) {
    for (int i = 1; i <= 201; ++i) r.counts[i] = 500.0f - r.counts[i];
    for (short type : {0, 2}) {
        compute(type, type == 2 ? 3000.0f : 0.0f);
        for (int i = 1; i <= 201; ++i) EXPECT_EQ(r.background[i], r.baseLine[i]) << "type " << type;
    }
}

// What was drawn is said wherever it is not what was asked for.
TEST_F(BackgroundTest, TheDrawnBackgroundIsNamedWhenItIsTheStraightLine) {
    const std::string noStep =
        " drawn as a straight line: the low-BE end lies above the high-BE end, so there "
        "is no step to follow";
    const struct {
        BackgroundType type;
        bool rising;
        BackgroundType drawn;
        std::string note;
    } cases[] = {
        {BackgroundType::Shirley, false, BackgroundType::Shirley, ""},
        {BackgroundType::Shirley, true, BackgroundType::Linear, "Shirley" + noStep},
        {BackgroundType::Tougaard, false, BackgroundType::Tougaard, ""},
        {BackgroundType::Tougaard, true, BackgroundType::Linear, "Tougaard" + noStep},
        {BackgroundType::Linear, true, BackgroundType::Linear, ""},
    };
    for (const auto& c : cases) {
        makeRegion(ws, 0, 201, 300.0f, 0.1f,
                   c.rising ? step(290.0, 400.0, 100.0) : step(290.0, 100.0, 400.0));
        compute(static_cast<short>(c.type), c.type == BackgroundType::Tougaard ? 3000.0f : 0.0f);
        EXPECT_EQ(drawnBackgroundType(r), c.drawn);
        EXPECT_EQ(drawnBackgroundNote(r), c.note);
    }
}

TEST_F(BackgroundTest, UnknownTypeLeavesTheBackground) {
    compute(1);
    r.background[5] = -7.0f;
    compute(9);
    EXPECT_EQ(r.background[5], -7.0f);
}

TEST_F(BackgroundTest, TougaardEndsAtTheLowEndLevelAndMatchesTheLiteralSums) {
    compute(2, 3000.0f);
    EXPECT_EQ(r.background[201], r.endAverageLast);
    const std::vector<float> literal = literalTougaard(r);
    for (int i = 1; i <= 201; ++i) {
        EXPECT_LE(std::fabs(r.background[i] - literal[i]),
                  std::nextafter(std::fabs(literal[i]), INFINITY) - std::fabs(literal[i]))
            << "point " << i;
    }
    EXPECT_GT(r.background[1], r.background[150]);
}

TEST_F(BackgroundTest, TougaardAtAPointDependsOnlyOnLowerBindingEnergies) {
    compute(2, 3000.0f);
    const float before = r.background[120];
    for (int i = 2; i < 120; ++i) r.counts[i] += 1000.0f;
    compute(2, 3000.0f);
    EXPECT_EQ(r.background[120], before);
}

TEST_F(BackgroundTest, TougaardHeadComputesOnlyTheFirstPoints) {
    compute(2, 3000.0f);
    const std::vector<float> full(r.background.storage());
    computeTougaardBackground(r, 6000.0f, 10);
    EXPECT_GT(r.background[1] - r.endAverageLast, 1.9f * (full[1] - r.endAverageLast));
    EXPECT_EQ(r.background[11], full[11]);
}

TEST_F(BackgroundTest, SinglePointRangeEndsTheCommand) {
    r.rangeLow = 290.0f;
    r.rangeHigh = 290.0f;
    EXPECT_THROW(compute(0), ComputationFault);
}

}  // namespace
}  // namespace vortlan
