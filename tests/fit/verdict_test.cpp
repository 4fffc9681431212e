#include "fit/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fit/drivers.h"
#include "fit/newton.h"
#include "io/imported_spectrum.h"
#include "io/option_file.h"
#include "model/region_curves.h"
#include "support/fitted_session.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

using Verdicts = std::vector<std::pair<int, FitVerdict>>;

TEST(JudgeLastTrial, StillImprovingOnlyWhenTheStatisticFellByMoreThanTheTolerance) {
    // A tolerance of 0 stands for a millionth.
    EXPECT_EQ(judgeLastTrial(1.0f, 0.999997f, 0.0f), FitVerdict::StillImproving);
    EXPECT_EQ(judgeLastTrial(1.0f, 0.9999995f, 0.0f), FitVerdict::Converged);
    EXPECT_EQ(judgeLastTrial(2.0f, 2.0f, 0.0f), FitVerdict::Converged);
    EXPECT_EQ(judgeLastTrial(2.0f, 1.97f, 0.01f), FitVerdict::StillImproving);
    EXPECT_EQ(judgeLastTrial(2.0f, 1.99f, 0.01f), FitVerdict::Converged);  // exactly the tolerance
    EXPECT_EQ(judgeLastTrial(2.0f, 2.5f, 0.0f), FitVerdict::Converged);    // worse is no improvement
    EXPECT_EQ(judgeLastTrial(0.0f, 0.0f, 0.0f), FitVerdict::Converged);    // nothing left to lower
    EXPECT_EQ(judgeLastTrial(std::numeric_limits<float>::quiet_NaN(), 1.0f, 0.0f), FitVerdict::Unknown);
    EXPECT_EQ(judgeLastTrial(1.0f, std::numeric_limits<float>::infinity(), 0.0f), FitVerdict::Unknown);
}

TEST(FitVerdictText, SaysWhatToDo) {
    EXPECT_EQ(fitVerdictText(0, FitVerdict::Converged), "Region 1: converged");
    EXPECT_EQ(fitVerdictText(9, FitVerdict::StillImproving), "Region 10: still improving — optimise again");
    EXPECT_EQ(fitVerdictText(3, FitVerdict::Unknown), "Region 4: not judged");
    EXPECT_EQ(fitVerdictText(1, FitVerdict::Stopped), "Region 2: stopped");
    const RegionVerdict flagged{FitVerdict::Converged,
                                {{3, FitFlagCause::NarrowerThanStep, PeakParam::Fwhm},
                                 {5, FitFlagCause::OutsideRange, PeakParam::Position}},
                                {{3, 2}, {5, 1}},
                                {}};
    EXPECT_EQ(
        fitVerdictText(0, flagged),
        "Region 1: converged, with flags — peak 3: narrower than the data step; peak 5: outside the fit "
        "range (peak 3 restarted 2 times, peak 5 restarted 1 time; kept the best)");
    EXPECT_EQ(fitVerdictWord(flagged), "converged, with flags");
    const RegionVerdict moving{
        FitVerdict::StillImproving, {{0, FitFlagCause::GlChanged, PeakParam::Gl}}, {}, {}};
    EXPECT_EQ(fitVerdictText(0, moving),
              "Region 1: still improving — optimise again — peak 0: %GL changed by the final refit");
    EXPECT_EQ(fitVerdictWord(moving), "still improving");
}

// Every cause has its own plain words, naming the peak and, where it matters, the parameter.
TEST(FitFlagText, NamesThePeakAndTheCause) {
    const std::pair<FitFlag, const char*> cases[] = {
        {{0, FitFlagCause::NarrowerThanStep, PeakParam::Fwhm}, "peak 0: narrower than the data step"},
        {{1, FitFlagCause::NarrowerThanLimit, PeakParam::Fwhm},
         "peak 1: narrower than the instrument's limit"},
        {{2, FitFlagCause::AtLimit, PeakParam::Area}, "peak 2: area at its limit"},
        {{3, FitFlagCause::AtBound, PeakParam::Position}, "peak 3: position at its bound"},
        {{4, FitFlagCause::AtBound, PeakParam::Fwhm}, "peak 4: FWHM at its floor"},
        {{50, FitFlagCause::OutsideRange, PeakParam::Position}, "peak 50: outside the fit range"},
        {{6, FitFlagCause::AreaAtFloor, PeakParam::Area}, "peak 6: area at its floor"},
        {{7, FitFlagCause::NotDetermined, PeakParam::Fwhm}, "peak 7: FWHM not determined by the data"},
        {{8, FitFlagCause::GlChanged, PeakParam::Gl}, "peak 8: %GL changed by the final refit"},
        {{9, FitFlagCause::MovedFar, PeakParam::Position}, "peak 9: moved far from where it was placed"},
    };
    for (const auto& [flag, text] : cases) EXPECT_EQ(fitFlagText(flag), text);
    EXPECT_EQ(restartsText({}), "");
}

// One Gaussian at 285 eV on a flat 200 counts (region 0, peak 4) started 0.3 eV off and 40 % too
// large, beside the fitted session's regions.
class VerdictTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    VerdictTest() {
        ws.options = defaultFitOptions();
        for (int s = 0; s < 3; ++s) resetPeak(s);
        ws.regions[0].peakCount = 0;
        testing::makeRegion(ws, 0, 201, 295.0f, 0.1f, testing::gaussianOn(200.0, 285.0, 1000.0, 1.4));
        ws.regions[0].backgroundType = static_cast<short>(BackgroundType::Linear);
        testing::acceptBackground(session, 0);
        testing::addPeak(ws, 0, 4, 285.3f, 2000.0f, 1.4f, 0).fixGl = 1;
        updateRegionCurves(ws, port);
    }
    void resetPeak(int peak) {
        ws.peaks[peak] = Peak{};
        ws.constraints[peak] = PeakConstraints{};
    }
    Workspace& ws = session.workspace;
};

TEST_F(VerdictTest, RegionFitIsStillImprovingAfterOneTrialAndConvergedAtItsEnd) {
    const Workspace initial = ws;
    for (float method : {1.0f, 0.0f}) {
        ws = initial;
        ws.options.methodFlag = method;
        const Workspace start = ws;
        ws.options.newtonTrials = ws.options.searchTrials = 1;
        port.fitVerdicts.clear();
        optimiseRegion(ws, port);
        EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::StillImproving}})) << method;
        EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::StillImproving);

        ws = start;
        port.fitVerdicts.clear();
        optimiseRegion(ws, port);
        EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::Converged}})) << method;
        EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Converged);
        EXPECT_EQ(fitVerdictOf(ws, 3), FitVerdict::Unknown);  // not fitted
        EXPECT_NEAR(ws.peaks[4].position, 285.0f, 0.01);
    }
}

TEST_F(VerdictTest, StopFittingLeavesTheFitStopped) {
    for (float method : {1.0f, 0.0f}) {
        ws.options.methodFlag = method;
        ws.options.newtonTrials = ws.options.searchTrials = 1;  // a fit that ends at the stop
        int yields = 0;
        port.onYield = [&] {
            if (++yields == 2) requestStop(ws);
        };
        port.fitVerdicts.clear();
        optimiseRegion(ws, port);
        EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::Stopped}})) << method;
        port.onYield = nullptr;
    }
}

// The tolerance ends a search through the stop request; that is no stop of the user's.
TEST_F(VerdictTest, SearchEndedByTheToleranceIsJudgedOnItsLastTrial) {
    ws.options.methodFlag = 0.0f;
    optimiseRegion(ws, port);
    ws.options.tolerance = 0.5f;
    port.fitVerdicts.clear();
    port.fitTrials.clear();
    optimiseRegion(ws, port);
    EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::Converged}}));
    EXPECT_EQ(port.fitTrials.size(), 1u);
}

TEST_F(VerdictTest, OptimiseAllJudgesEveryFittedRegion) {
    optimiseAllRegions(ws, port);
    ASSERT_EQ(port.fitVerdicts.size(), 2u);
    EXPECT_EQ(port.fitVerdicts[0].first, 0);
    EXPECT_EQ(port.fitVerdicts[1].first, 3);
    EXPECT_EQ(port.fitVerdicts[0].second, FitVerdict::Converged);
    EXPECT_EQ(fitVerdictOf(ws, 3), port.fitVerdicts[1].second);

    port.fitVerdicts.clear();
    ws.options.newtonTrials = 2;
    port.onYield = [&] { requestStop(ws); };
    optimiseAllRegions(ws, port);
    EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::Stopped}, {3, FitVerdict::Stopped}}));
}

TEST_F(VerdictTest, PeakDialogFitsJudgeTheCurrentRegion) {
    const Workspace initial = ws;
    for (float method : {1.0f, 0.0f}) {
        ws = initial;
        ws.options.methodFlag = method;
        beginFitting(ws, port);
        port.fitVerdicts.clear();
        optimisePeak(ws, port, 4);
        EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::Converged}})) << method;

        // From a start far off, one step (one search) lowers the statistic a lot: the fit is left
        // moving.
        ws.peaks[4] = initial.peaks[4];
        updateRegionCurves(ws, port);
        ws.options.newtonTrials = 1;
        ws.options.newtonPosition[1].use = kFalse;
        port.fitVerdicts.clear();
        optimiseParameter(ws, port, 4, PeakParam::Position);
        EXPECT_EQ(port.fitVerdicts, (Verdicts{{0, FitVerdict::StillImproving}})) << method;
        endFitting(ws, port);
    }
}

TEST_F(VerdictTest, NewtonOnAFixedParameterJudgesNothing) {
    ws.peaks[4].fixArea = 1;
    EXPECT_EQ(newtonOptimiseParameter(ws, port, 4, PeakParam::Area), FitVerdict::Unknown);
}

TEST_F(VerdictTest, VerdictHoldsOnlyForTheModelItWasReachedOn) {
    optimiseRegion(ws, port);
    ASSERT_EQ(fitVerdictOf(ws, 0), FitVerdict::Converged);
    Peak& p = ws.peaks[4];
    const Peak fitted = p;

    p.position += 0.1f;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
    p.position = fitted.position;  // back as the fit left it
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Converged);

    p.fixPosition = 1;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
    p.fixPosition = 0;
    ws.constraints[4].fwhm.limited = kTrue;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
    ws.constraints[4].fwhm.limited = kFalse;
    ws.regions[0].rangeLow += 1.0f;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
    ws.regions[0].rangeLow -= 1.0f;
    ws.options.glSum = kFalse;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
    ws.options.glSum = kTrue;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Converged);

    // An import into the region and a reset of the workspace forget it for good.
    storeSpectrum(ws, 0, ImportedSpectrum{"", {290.0f, 289.0f}, {1.0f, 2.0f}, "", {}});
    EXPECT_EQ(ws.fitVerdicts[0].verdict, FitVerdict::Unknown);
    optimiseAllRegions(ws, port);
    ASSERT_NE(fitVerdictOf(ws, 3), FitVerdict::Unknown);
    resetWorkspaceRecords(ws);
    EXPECT_EQ(ws.fitVerdicts[3].verdict, FitVerdict::Unknown);
}

}  // namespace
}  // namespace vortlan
