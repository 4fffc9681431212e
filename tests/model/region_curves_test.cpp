#include "model/region_curves.h"

#include <gtest/gtest.h>

#include "base/checked_math.h"
#include "base/number_text.h"
#include "model/peak_shapes.h"
#include "support/synthetic_region.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using testing::addPeak;
using testing::makeRegion;

class RegionCurvesTest : public ::testing::Test {
  protected:
    RegionCurvesTest() {
        ws.options.glSum = kTrue;
        // C 1s-like: a peak of 1000 counts at 285 eV on a step background.
        makeRegion(ws, 0, 151, 292.0f, 0.1f, [](double e) {
            return testing::gaussianOn(0.0, 285.0, 1000.0, 1.2)(e) + testing::step(285.0, 200.0, 300.0)(e);
        });
        region().rangeLow = 280.0f;
        region().rangeHigh = 290.0f;
    }
    Region& region() { return ws.regions[0]; }
    void accept() {
        ws.acceptingBackground = kTrue;
        recomputeRegion(ws, port);
        ws.acceptingBackground = kFalse;
        currentRegionOf(ws).backgroundSet = kTrue;
    }
    Workspace ws;
    RecordingPort port;
};

TEST_F(RegionCurvesTest, RecomputeMeasuresTheHeightUnitWithoutTouchingAnEmptyFit) {
    region().chiSquare = 12.5f;
    port.chiTexts[0] = "untouched";
    accept();
    EXPECT_EQ(region().rangeCount, 101);
    EXPECT_NEAR(region().rangeCountsHigh, 1000.0, 20.0);
    EXPECT_FLOAT_EQ(region().heightUnit, (region().rangeCountsHigh - region().rangeCountsLow) / 100.0f);
    EXPECT_EQ(region().chiSquare, 12.5f);
    EXPECT_EQ(port.chiTexts[0], "untouched");
}

TEST_F(RegionCurvesTest, AcceptingTheBackgroundKeepsAreasOtherwiseHeightsAreKept) {
    accept();
    Peak& p = addPeak(ws, 0, 4, 285.0f, 1277.0f, 1.2f);
    accept();
    EXPECT_FLOAT_EQ(p.area, 1277.0f);
    const float height = p.height;
    EXPECT_FLOAT_EQ(height, heightFromArea(LineForm::Sum, 1277.0f, 1.2f, 30, 1, 0, 1, region().heightUnit));

    // Data twice as strong, recomputed outside an accept: the height stays a share of the range.
    for (int i = 1; i <= region().pointCount; ++i) region().counts[i] *= 2;
    recomputeRegion(ws, port);
    EXPECT_FLOAT_EQ(p.height, height);
    EXPECT_NEAR(p.area, 2 * 1277.0f, 0.01);
}

TEST_F(RegionCurvesTest, AnAreaChangedByAFitSurvivesARecomputationThatKeepsHeights) {
    accept();
    Peak& p = addPeak(ws, 0, 4, 285.0f, 1000.0f, 1.2f);
    updateRegionCurves(ws, port);
    p.area = 1234.0f;  // as an optimiser leaves it
    updateRegionCurves(ws, port);
    recomputeRegion(ws, port);
    EXPECT_NEAR(p.area, 1234.0f, 0.01);
}

TEST_F(RegionCurvesTest, CurveUpdateBuildsEnvelopeResidualAndStatistic) {
    accept();
    addPeak(ws, 0, 0, 285.0f, 1200.0f, 1.2f, 0);
    addPeak(ws, 0, 7, 287.0f, 50.0f, 1.0f, 40);
    updateRegionCurves(ws, port);
    const Region& r = region();
    double chi = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const float peaks =
            (ws.peaks[0].curve[i] - r.background[i]) + (ws.peaks[7].curve[i] - r.background[i]);
        EXPECT_NEAR(r.envelope[i], r.background[i] + peaks, 1e-3);
        EXPECT_FLOAT_EQ(r.residual[i], r.rangeCounts[i] - r.envelope[i]);
        chi += static_cast<double>(r.residual[i]) * r.residual[i] / std::fabs(r.rangeCounts[i]);
    }
    EXPECT_NEAR(r.chiSquare, chi / r.rangeCount, 1e-4 * r.chiSquare);
    EXPECT_EQ(port.chiTexts[0], signedNumberText(r.chiSquare));
    EXPECT_EQ(port.chiTexts[0][0], ' ');
    EXPECT_FLOAT_EQ(ws.totalChiSquare, r.chiSquare);
    EXPECT_EQ(port.sumChiText, signedNumberText(ws.totalChiSquare));
}

// A small region whose Shirley background and statistic were computed apart from the program, from the
// written formulas alone (a short script emulating single and double precision step by step): 13
// points from 290 eV down in steps of 0.5 eV, the ends averaged over 3 points, a Shirley linear term of
// 0.5, and one sum-form peak at 287 eV of area 400, FWHM 1.2 eV and 30 %GL.
TEST(RegionCurvesByHand, ShirleyBackgroundCurveAndStatisticValueForValue) {
    Workspace ws;
    RecordingPort port;
    ws.options.glSum = kTrue;
    const float counts[] = {310, 305, 302, 330, 420, 610, 720, 560, 380, 260, 215, 204, 200};
    Region& r = makeRegion(ws, 0, 13, 290.0f, 0.5f, [](double) { return 0.0; });
    for (int i = 1; i <= 13; ++i) r.counts[i] = counts[i - 1];
    r.averagePoints = 3;
    r.backgroundType = static_cast<short>(BackgroundType::Shirley);
    r.backgroundParam = 0.5f;
    ws.acceptingBackground = kTrue;
    recomputeRegion(ws, port);
    ws.acceptingBackground = kFalse;
    r.backgroundSet = kTrue;
    addPeak(ws, 0, 0, 287.0f, 400.0f, 1.2f, 30);
    updateRegionCurves(ws, port);

    EXPECT_EQ(r.endAverageFirst, 308.3333435058594f);
    EXPECT_EQ(r.endAverageLast, 201.3333282470703f);
    const float background[] = {307.8333435058594f,  307.2983703613281f,  306.9591064453125f, 306.8059387207031f,
                                304.6838684082031f,  296.1192932128906f,  273.66827392578125f, 241.95436096191406f,
                                219.21205139160156f, 207.4674530029297f,  203.2936248779297f,  201.97494506835938f,
                                201.3333282470703f};
    const float curve[] = {310.995361328125f,   311.7770080566406f,  313.833984375f,      320.6659851074219f,
                           354.41754150390625f, 463.17767333984375f, 547.7086181640625f,  409.0127258300781f,
                           268.94573974609375f, 221.32748413085938f, 210.1685028076172f,  206.45359802246094f,
                           204.49533081054688f};
    ASSERT_EQ(r.rangeCount, 13);
    for (int i = 1; i <= 13; ++i) {
        EXPECT_EQ(r.background[i], background[i - 1]) << "point " << i;
        EXPECT_EQ(ws.peaks[0].curve[i], curve[i - 1]) << "point " << i;
    }
    EXPECT_EQ(r.chiSquare, 12.831819534301758f);
}

TEST_F(RegionCurvesTest, TotalIsTheSumOverRegionsWithAnAcceptedBackground) {
    accept();
    addPeak(ws, 0, 0, 285.0f, 1200.0f, 1.2f, 0);
    makeRegion(ws, 4, 11, 540.0f, 0.1f, [](double) { return 10.0; });
    ws.regions[4].backgroundSet = kTrue;
    ws.regions[4].chiSquare = 2.5f;
    makeRegion(ws, 6, 11, 540.0f, 0.1f, [](double) { return 10.0; });
    ws.regions[6].chiSquare = 40.0f;  // no background accepted: not part of the total
    ws.totalChiSquare = 1750.6f;      // whatever it held before
    updateRegionCurves(ws, port);
    EXPECT_EQ(ws.totalChiSquare, region().chiSquare + 2.5f);
    EXPECT_EQ(port.sumChiText, signedNumberText(ws.totalChiSquare));
}

TEST_F(RegionCurvesTest, ShiftMovesEveryPeakOfTheRegion) {
    accept();
    region().shift = 1.5f;
    Peak& p = addPeak(ws, 0, 2, 285.0f, 1000.0f, 1.0f);
    updateRegionCurves(ws, port);
    const Region& r = region();
    int top = 1;
    for (int i = 1; i <= r.rangeCount; ++i) {
        if (p.curve[i] - r.background[i] > p.curve[top] - r.background[top]) top = i;
    }
    EXPECT_FLOAT_EQ(r.rangeEnergy[top], 286.5f);
}

TEST_F(RegionCurvesTest, ZeroAndNegativeCountsWeighByTheirMagnitude) {
    accept();
    Region& r = region();
    addPeak(ws, 0, 0, 285.0f, 1000.0f, 1.0f);
    // Hand-made data: the statistic of a known residual.
    for (int i = 1; i <= r.rangeCount; ++i) r.rangeCounts[i] = 0.0f;
    r.rangeCounts[3] = -4.0f;
    updateRegionCurves(ws, port);
    double expected = 0.0;
    for (int i = 1; i <= r.rangeCount; ++i) {
        const double weight = i == 3 ? 4.0 : 1.0;
        expected += static_cast<double>(r.residual[i]) * r.residual[i] / weight;
    }
    EXPECT_NEAR(r.chiSquare, expected / r.rangeCount, 1e-5 * expected);
}

TEST_F(RegionCurvesTest, FaultingPeakIsSkippedByTheCurveUpdateButEndsAFit) {
    accept();
    addPeak(ws, 0, 0, 285.0f, 1000.0f, 1.0f);
    Peak& broken = addPeak(ws, 0, 1, 283.0f, 10.0f, 1.0f);
    updateRegionCurves(ws, port);
    const float before = broken.curve[20];
    broken.fwhm = 0.0f;
    updateRegionCurves(ws, port);
    EXPECT_EQ(broken.curve[20], before);
    EXPECT_TRUE(std::isfinite(region().chiSquare));
    EXPECT_THROW(prepareSinglePeakFit(ws, 0), ComputationFault);
}

// Inside a fitting run a curve already computed is not computed again; one that a fault left half
// rewritten must then not pass for the curve remembered before.
TEST_F(RegionCurvesTest, CurveLeftHalfWrittenByAFaultIsComputedAgain) {
    accept();
    Peak& p = addPeak(ws, 0, 0, 285.0f, 1000.0f, 1.0f, 20);
    addPeak(ws, 0, 1, 283.0f, 100.0f, 1.0f, 20);
    ws.curveMemo = CurveMemo{true, {}};
    updateRegionCurves(ws, port);
    const PointArray remembered = p.curve;
    // So high that the curve overflows near its centre, after the points far from it were written.
    p.area = 3e38f;
    p.fwhm = 0.5f;
    EXPECT_THROW(prepareSinglePeakFit(ws, 1), ComputationFault);
    ASSERT_FALSE(p.curve == remembered);
    p.area = 1000.0f;
    p.fwhm = 1.0f;
    prepareSinglePeakFit(ws, 1);
    EXPECT_TRUE(p.curve == remembered);
}

TEST_F(RegionCurvesTest, SinglePeakStatisticEqualsTheRegionStatistic) {
    accept();
    addPeak(ws, 0, 3, 285.1f, 1100.0f, 1.3f, 20);
    addPeak(ws, 0, 5, 283.0f, 80.0f, 1.0f, 40);
    updateRegionCurves(ws, port);
    prepareSinglePeakFit(ws, 3);
    EXPECT_NEAR(singlePeakStatistic(ws, 3), region().chiSquare, 1e-5 * region().chiSquare);
    // Trials of the peak leave the residual of the others alone.
    ws.peaks[3].position = 285.0f;
    const float better = singlePeakStatistic(ws, 3);
    ws.peaks[3].position = 285.1f;
    EXPECT_NEAR(singlePeakStatistic(ws, 3), region().chiSquare, 1e-5 * region().chiSquare);
    EXPECT_LT(better, region().chiSquare);
}

TEST_F(RegionCurvesTest, AllRegionStatisticCountsAcceptedRegionsOnly) {
    accept();
    addPeak(ws, 0, 0, 285.0f, 1000.0f, 1.0f);
    ws.currentRegion = 1;
    makeRegion(ws, 1, 101, 540.0f, 0.1f, testing::gaussianOn(50.0, 535.0, 500.0, 1.5));
    accept();
    addPeak(ws, 1, 1, 535.0f, 700.0f, 1.5f);
    makeRegion(ws, 2, 101, 540.0f, 0.1f, testing::gaussianOn(50.0, 535.0, 500.0, 1.5));  // never accepted
    ws.currentRegion = 0;

    allRegionStatisticShown(ws, port);
    EXPECT_GT(ws.regions[0].chiSquare, 0.0f);
    EXPECT_GT(ws.regions[1].chiSquare, 0.0f);
    EXPECT_FLOAT_EQ(ws.totalChiSquare, ws.regions[0].chiSquare + ws.regions[1].chiSquare);
    EXPECT_EQ(port.chiTexts[1], signedNumberText(ws.regions[1].chiSquare));
    EXPECT_EQ(port.chiTexts[2], "");
    EXPECT_EQ(port.sumChiText, shortNumberText(ws.totalChiSquare));
}

TEST_F(RegionCurvesTest, DamagedRegionNeverReachesPastItsArrays) {
    accept();
    addPeak(ws, 0, 0, 285.0f, 1000.0f, 1.0f);
    region().rangeCount = 4000;  // more than the arrays hold
    updateRegionCurves(ws, port);
    EXPECT_THROW(prepareSinglePeakFit(ws, 0), ComputationFault);
    region().rangeCount = 101;
    region().peakSlots[0] = 77;  // not a peak of the table
    updateRegionCurves(ws, port);
    EXPECT_THROW(allRegionStatistic(ws), ComputationFault);
}

}  // namespace
}  // namespace vortlan
