#include "fit/drivers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fit/newton.h"
#include "io/option_file.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

class DriversTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    // The loops of Newton's method and the search, which the shipped options do not choose.
    DriversTest() {
        ws.options = defaultFitOptions();
        ws.options.methodFlag = 1.0f;
    }
    Workspace& ws = session.workspace;
    // The regions made current during the run, in order, each time the plot was shown.
    std::vector<int> regionsShown() const {
        std::vector<int> shown;
        for (const std::string& caption : captions) {
            if (caption.rfind("Region ", 0) == 0) shown.push_back(std::stoi(caption.substr(7)) - 1);
        }
        return shown;
    }
    std::vector<std::string> captions;
};

TEST_F(DriversTest, FittingRunDisablesTheOtherWindowsAndClearsTheStop) {
    ws.stopRequested = kTrue;
    beginFitting(ws, port);
    EXPECT_EQ(ws.stopRequested, kFalse);
    EXPECT_TRUE(port.window(Window::Fitting).visible);
    for (Window w : {Window::Spectrum, Window::Main, Window::Peak, Window::Constraint, Window::Background}) {
        EXPECT_FALSE(port.window(w).enabled);
    }
    requestStop(ws);
    endFitting(ws, port);
    EXPECT_EQ(ws.stopRequested, kFalse);
    EXPECT_FALSE(port.window(Window::Fitting).visible);
    EXPECT_TRUE(port.window(Window::Main).enabled);
}

TEST_F(DriversTest, EveryTrialOfTheLoopsIsReportedOnceAsItBegins) {
    using Trials = std::vector<std::pair<int, int>>;
    ws.options.newtonTrials = 3;
    ws.options.searchTrials = 2;
    ws.options.tolerance = 0.0f;
    optimiseRegion(ws, port);
    EXPECT_EQ(port.fitTrials, (Trials{{1, 3}, {2, 3}, {3, 3}}));

    port.fitTrials.clear();
    optimiseAllRegions(ws, port);  // two fitted regions: still one report a trial
    EXPECT_EQ(port.fitTrials, (Trials{{1, 3}, {2, 3}, {3, 3}}));

    port.fitTrials.clear();
    newtonOptimisePeak(ws, port, 0);
    EXPECT_EQ(port.fitTrials, (Trials{{1, 3}, {2, 3}, {3, 3}}));

    // A stop ends the reports with the trial it ended.
    port.fitTrials.clear();
    int yields = 0;
    port.onYield = [&] {
        if (++yields == 40) requestStop(ws);
    };
    ws.options.methodFlag = 0.0f;
    optimiseRegion(ws, port);
    ASSERT_FALSE(port.fitTrials.empty());
    EXPECT_EQ(port.fitTrials.front(), (std::pair<int, int>{1, 2}));
    EXPECT_LE(port.fitTrials.size(), 2u);
}

TEST_F(DriversTest, StopEndsARegionSearchAfterTheCurrentParameterSearch) {
    ws.options.methodFlag = 0.0f;
    int searches = 0;
    port.onYield = [&] {
        if (++searches == 3) requestStop(ws);  // during the first peak's searches
    };
    const float position = ws.peaks[2].position;
    optimiseRegion(ws, port);
    EXPECT_EQ(ws.peaks[2].position, position);  // never reached
    EXPECT_EQ(ws.stopRequested, kFalse);
    EXPECT_FALSE(port.window(Window::Fitting).visible);
    EXPECT_TRUE(port.window(Window::Spectrum).enabled);
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::FittedCurves);
}

TEST_F(DriversTest, RegionSearchEndsAtTheFirstPeakImprovingLessThanTheTolerance) {
    ws.options.methodFlag = 0.0f;
    ws.options.tolerance = 0.9f;  // no peak's searches can improve the total by 90 %
    const Peak second = ws.peaks[2];
    optimiseRegion(ws, port);
    EXPECT_EQ(ws.peaks[2].area, second.area);
    EXPECT_EQ(ws.peaks[2].fwhm, second.fwhm);
}

TEST_F(DriversTest, OptimiseAllVisitsTheFittedRegionsAndRestoresTheCurrentOne) {
    testing::makeRegion(ws, 1, 50, 400.0f, 0.1f, [](double) { return 10.0; });  // no background yet
    ws.currentRegion = 1;
    ws.options.newtonTrials = 2;
    port.onYield = [&] { captions.push_back(port.window(Window::Spectrum).caption); };
    optimiseAllRegions(ws, port);
    std::vector<int> order = regionsShown();
    order.erase(std::unique(order.begin(), order.end()), order.end());
    EXPECT_EQ(order, (std::vector<int>{0, 3, 0, 3, 1}));
    EXPECT_EQ(ws.currentRegion, 1);
}

TEST_F(DriversTest, FixedPeaksStayAndZeroAreasStartFromOne) {
    Peak& fixed = ws.peaks[2];
    fixed.fixPosition = fixed.fixArea = fixed.fixFwhm = fixed.fixGl = 1;
    const Peak before = fixed;
    ws.peaks[0].area = 0.0f;
    ws.options.newtonTrials = 1;
    optimiseRegion(ws, port);
    EXPECT_EQ(fixed.position, before.position);
    EXPECT_EQ(fixed.area, before.area);
    EXPECT_EQ(fixed.fwhm, before.fwhm);
    EXPECT_EQ(fixed.gl, before.gl);
    EXPECT_GE(ws.peaks[0].area, 1.0f);
}

TEST_F(DriversTest, RememberedCurvesGiveTheSameFit) {
    Workspace plain = ws;
    RecordingPort plainPort;
    newtonOptimisePeak(plain, plainPort, 0);  // outside a run: every curve computed afresh
    beginFitting(ws, port);
    newtonOptimisePeak(ws, port, 0);
    endFitting(ws, port);
    for (int p : {0, 1, 2}) EXPECT_TRUE(ws.peaks[p] == plain.peaks[p]) << p;
    EXPECT_EQ(ws.regions[0].chiSquare, plain.regions[0].chiSquare);
}

TEST_F(DriversTest, RegionWithoutAcceptedBackgroundIsNotFitted) {
    ws.regions[0].backgroundSet = kFalse;
    optimiseRegion(ws, port);
    EXPECT_FALSE(port.window(Window::Fitting).visible);
    EXPECT_EQ(port.yields, 0);
}

TEST_F(DriversTest, MethodFlagOtherThanZeroOneOrTwoMeansSearchInTheDialogNewtonInTheLoops) {
    ws.options.methodFlag = 3.0f;
    ws.options.searchPosition = {};  // the search then has nothing to do
    const float position = ws.peaks[0].position;
    ws.peaks[0].position += 0.2f;
    optimiseParameter(ws, port, 0, PeakParam::Position);
    EXPECT_EQ(ws.peaks[0].position, position + 0.2f);
    ws.options.newtonTrials = 5;
    optimiseRegion(ws, port);
    EXPECT_NEAR(ws.peaks[0].position, position, 0.05);
}

}  // namespace
}  // namespace vortlan
