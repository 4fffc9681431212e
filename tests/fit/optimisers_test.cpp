#include <gtest/gtest.h>

#include <cmath>

#include "base/number_text.h"
#include "fit/drivers.h"
#include "fit/evaluation.h"
#include "fit/newton.h"
#include "fit/search.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

constexpr float kTrueArea = 1000.0f * 1.4f * 1.06446702f;

// One Gaussian of 1000 counts at 285 eV on a flat 200 counts, fitted by peak 4 started off the truth.
class OptimiserTest : public ::testing::Test {
  protected:
    OptimiserTest() {
        ws.options = defaultFitOptions();
        testing::makeRegion(ws, 0, 201, 295.0f, 0.1f, testing::gaussianOn(200.0, 285.0, 1000.0, 1.4));
        ws.regions[0].backgroundType = static_cast<short>(BackgroundType::Linear);
        testing::acceptBackground(session, 0);
        testing::addPeak(ws, 0, 4, 285.2f, 1400.0f, 1.5f, 0).fixGl = 1;
        updateRegionCurves(ws, port);
    }
    Peak& peak() { return ws.peaks[4]; }
    float chi() const { return ws.regions[0].chiSquare; }
    RecordingPort port;
    Session session{port};
    Workspace& ws = session.workspace;
};

TEST_F(OptimiserTest, NewtonStepMovesTowardTheMinimumAndIsKept) {
    const float before = chi();
    bool accepted = false;
    newtonStep(ws, port, 4, PeakParam::Position, 0.02f, accepted);
    EXPECT_TRUE(accepted);
    EXPECT_NEAR(peak().position, 285.0f, 0.02);
    EXPECT_LT(chi(), before);
    EXPECT_EQ(ws.scratchPeak.position, 285.2f);  // the step's saved copy
}

TEST_F(OptimiserTest, NewtonStepOnAParabolaLandsOnItsMinimumAtOnce) {
    // The statistic is a quadratic in the area (the peak's curve is linear in it): one step from 70 %
    // of the true area lands on the truth, up to the rounding of the sums.
    peak().position = 285.0f;
    peak().fwhm = 1.4f;
    peak().area = 0.7f * kTrueArea;
    updateRegionCurves(ws, port);
    bool accepted = false;
    newtonStep(ws, port, 4, PeakParam::Area, 0.01f * peak().area, accepted);
    EXPECT_TRUE(accepted);
    EXPECT_NEAR(peak().area, kTrueArea, 1e-4 * kTrueArea);
}

TEST_F(OptimiserTest, NewtonStepThatLeavesTheStatisticEqualIsKept) {
    // Limits on both sides of the present value hold the step to nothing: the statistic is unchanged.
    ParamConstraint& fwhm = ws.constraints[4].fwhm;
    fwhm.limited = kTrue;
    fwhm.low = fwhm.high = 1.5f;
    bool accepted = false;
    newtonStep(ws, port, 4, PeakParam::Fwhm, 0.02f, accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(peak().fwhm, 1.5f);
}

TEST_F(OptimiserTest, NewtonStepThatMakesTheFitWorseIsRefusedEvenBesideABetterPoint) {
    // 2 eV from the peak the statistic bends the wrong way: the step overshoots, while the sampled
    // point 0.12 eV nearer the peak would have been better.  The step is refused and nothing moves.
    peak().position = 283.0f;
    peak().fwhm = 1.4f;
    peak().area = kTrueArea;
    updateRegionCurves(ws, port);
    const float before = chi();
    bool accepted = true;
    newtonStep(ws, port, 4, PeakParam::Position, 0.02f, accepted);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(peak().position, 283.0f);
    EXPECT_EQ(chi(), before);
}

TEST_F(OptimiserTest, NewtonStepWithoutCurvatureKeepsTheValue) {
    peak().area = 0.0f;  // the position then makes no difference
    bool accepted = true;
    newtonStep(ws, port, 4, PeakParam::Position, 0.05f, accepted);
    EXPECT_FALSE(accepted);
    EXPECT_EQ(peak().position, 285.2f);
}

TEST_F(OptimiserTest, NewtonStepIsHeldByLimitsAndTheAreaFloor) {
    ParamConstraint& position = ws.constraints[4].position;
    position.limited = kTrue;
    position.low = 285.15f;
    position.high = 290.0f;
    bool accepted = false;
    newtonStep(ws, port, 4, PeakParam::Position, 0.02f, accepted);
    EXPECT_EQ(peak().position, 285.15f);

    // Data far below the peak pull its area under the floor.
    for (int i = 1; i <= ws.regions[0].rangeCount; ++i)
        ws.regions[0].rangeCounts[i] = ws.regions[0].background[i];
    updateRegionCurves(ws, port);
    peak().area = 0.3f;
    newtonStep(ws, port, 4, PeakParam::Area, 0.05f, accepted);
    EXPECT_EQ(peak().area, 0.1f);
}

TEST_F(OptimiserTest, LinkedParameterIsLeftAlone) {
    ws.constraints[4].fwhm.linked = kTrue;
    bool accepted = true;
    newtonStep(ws, port, 4, PeakParam::Fwhm, 0.05f, accepted);
    EXPECT_TRUE(accepted);  // not written
    EXPECT_EQ(peak().fwhm, 1.5f);
    searchParameter(ws, port, 4, PeakParam::Fwhm);
    EXPECT_EQ(peak().fwhm, 1.5f);
}

TEST_F(OptimiserTest, WidthsThatWouldReachZeroNeverFault) {
    peak().fwhm = 0.2f;
    bool accepted = true;
    newtonStep(ws, port, 4, PeakParam::Fwhm, 0.05f, accepted);  // would sample down to -0.1 eV
    EXPECT_FALSE(accepted);
    EXPECT_EQ(peak().fwhm, 0.2f);
    searchParameter(ws, port, 4, PeakParam::Fwhm);  // level 1 reaches 0.5 eV below
    EXPECT_GT(peak().fwhm, 0.2f);
}

TEST_F(OptimiserTest, StopStillRunsTheFineWidthPasses) {
    port.onYield = [this] { requestStop(ws); };
    peak().position = 285.0f;
    peak().area = kTrueArea;
    peak().fwhm = 1.7f;
    newtonOptimiseParameter(ws, port, 4, PeakParam::Fwhm);
    EXPECT_NEAR(peak().fwhm, 1.4f, 0.01);
}

TEST_F(OptimiserTest, NewtonPeakFitFindsTheTruth) {
    peak().fixGl = 0;
    newtonOptimisePeak(ws, port, 4);
    EXPECT_NEAR(peak().position, 285.0f, 0.005);
    EXPECT_NEAR(peak().fwhm, 1.4f, 0.01);
    EXPECT_LE(peak().gl, 2);  // the data are Gaussian
}

TEST(GridOffsets, AccumulateInSinglePrecision) {
    EXPECT_EQ(gridOffsets(2.0f, 0.5f), (std::vector<float>{-2, -1.5f, -1, -0.5f, 0.5f, 1, 1.5f, 2}));
    const std::vector<float> fine = gridOffsets(0.5f, 0.1f);
    ASSERT_EQ(fine.size(), 11u);
    EXPECT_NE(fine[5], 0.0f);
    EXPECT_NEAR(fine[5], -1.5e-8, 1e-8);
    EXPECT_EQ(fine[10], 0.49999997f);
    EXPECT_EQ(gridOffsets(0.5f, 2.0f), std::vector<float>{-0.5f});
    EXPECT_LE(gridOffsets(1e30f, 1.0f).size(), 100000u);  // a step too fine to advance ends the grid
}

TEST_F(OptimiserTest, SearchEvaluatesPointsBeyondALimitAtTheLimit) {
    ParamConstraint& position = ws.constraints[4].position;
    position.limited = kTrue;
    position.low = 285.1f;
    position.high = 300.0f;
    searchParameter(ws, port, 4, PeakParam::Position);
    EXPECT_EQ(peak().position, 285.1f);
    EXPECT_EQ(port.chiTexts[0], shortNumberText(chi()));
}

TEST_F(OptimiserTest, GlSearchKeepsWithinItsLimits) {
    ParamConstraint& gl = ws.constraints[4].gl;
    gl.limited = kTrue;
    gl.low = 20.0f;
    gl.high = 40.0f;
    peak().position = 285.0f;
    peak().area = kTrueArea;
    peak().fwhm = 1.4f;
    peak().gl = 35;
    updateRegionCurves(ws, port);
    searchParameter(ws, port, 4, PeakParam::Gl);
    EXPECT_EQ(peak().gl, 20);  // the data are Gaussian: the lowest allowed mixing
}

TEST_F(OptimiserTest, AreaSearchIsSkippedWithoutAnIntensitySpread) {
    ws.regions[0].heightUnit = 0.0f;
    searchParameter(ws, port, 4, PeakParam::Area);
    EXPECT_EQ(peak().area, 1400.0f);
}

TEST_F(OptimiserTest, SearchFindsAFreePeak) {
    ws.options.tolerance = 0.0f;
    searchWholePeak(ws, port, 4);
    EXPECT_NEAR(peak().position, 285.0f, 0.002);
    EXPECT_NEAR(peak().fwhm, 1.4f, 0.01);
}

// Peak 5 tied to peak 4: as a reference, peak 4 is judged on the whole region, or on every region when
// its tied peak lies elsewhere.
TEST_F(OptimiserTest, ReferencePeaksAreJudgedWithTheirTiedPeaks) {
    testing::addPeak(ws, 0, 5, 287.0f, 100.0f, 1.0f);
    ws.constraints[5].position.linked = kTrue;
    ws.constraints[5].position.refPeak = 4;
    ws.constraints[5].position.operand = 2.0f;
    ws.constraints[4].position.isReference = kTrue;
    ws.peaks[5].position = 287.2f;
    updateRegionCurves(ws, port);
    EXPECT_EQ(evaluationModeOf(ws, 4, PeakParam::Position), EvaluationMode::TiedWithinRegion);
    EXPECT_EQ(evaluationModeOf(ws, 4, PeakParam::Area), EvaluationMode::SinglePeak);
    ws.peaks[5].region = 2;
    EXPECT_EQ(evaluationModeOf(ws, 4, PeakParam::Position), EvaluationMode::TiedAcrossRegions);
    ws.peaks[5].region = 0;

    bool accepted = false;
    newtonStep(ws, port, 4, PeakParam::Position, 0.02f, accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(ws.peaks[5].position, ws.peaks[4].position + 2.0f);
}

}  // namespace
}  // namespace vortlan
