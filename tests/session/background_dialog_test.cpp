#include "session/background_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/number_reading.h"
#include "base/number_text.h"
#include "model/net_area.h"
#include "session/import_vamas.h"
#include "session/region_operations.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

using testing::gaussianOn;
using testing::makeRegion;
using testing::step;

// The largest excess of the background over the nine-point mean of the data, away from the ends.
double excessOverData(const Region& r) {
    double excess = -1e30;
    for (int i = 5; i <= r.rangeCount - 5; ++i) {
        double sum = 0;
        for (int j = i - 4; j <= i + 4; ++j) sum += r.rangeCounts[j];
        excess = std::max(excess, r.background[i] - sum / 9);
    }
    return excess;
}

void expectIdle(const RecordingPort& port) {
    EXPECT_FALSE(port.busy);
    for (Window w : {Window::Main, Window::Spectrum, Window::Peak, Window::Constraint, Window::Background})
        EXPECT_TRUE(port.window(w).enabled);
}

class BackgroundDialogTest : public ::testing::Test {
  protected:
    Region& peakOnLevel() {
        Region& r =
            makeRegion(session.workspace, 0, 121, 292.0f, 0.1f, gaussianOn(100.0, 286.0, 1000.0, 1.5));
        openBackgroundDialog(session);
        return r;
    }
    // A peak on a step and a ramp of 2 counts per point rising toward high binding energy: pure
    // Shirley overshoots the data on the high-energy side.
    Region& rampedStep() {
        Region& r = makeRegion(session.workspace, 0, 151, 295.0f, 0.1f, [](double e) {
            return step(284.0, 100.0, 150.0)(e) + 20.0 * (e - 280.0) + gaussianOn(0.0, 284.0, 1000.0, 1.5)(e);
        });
        openBackgroundDialog(session);
        return r;
    }
    // A peak near the low end whose losses follow Tougaard's cross-section with the given B1 exactly.
    Region& tougaardSpectrum(double b1) {
        const int n = 121;
        const double delta = 0.5;
        Region& r = makeRegion(session.workspace, 0, n, 340.0f, 0.5f, [](double) { return 0.0; });
        const auto peak = gaussianOn(200.0, 290.0, 5000.0, 2.0);
        r.counts[n] = static_cast<float>(peak(r.energy[n]));
        for (int i = n - 1; i >= 1; --i) {
            double losses = 0;
            for (int j = i + 1; j <= n; ++j) {
                const double e = delta * (j - i);
                losses += delta * e * (r.counts[j] - r.counts[n]) / ((e * e + 1643) * (e * e + 1643));
            }
            r.counts[i] = static_cast<float>(peak(r.energy[i]) + b1 * losses);
        }
        openBackgroundDialog(session);
        return r;
    }

    RecordingPort port;
    Session session{port};
    BackgroundDialog& dialog = session.dialogs.background;
};

TEST_F(BackgroundDialogTest, RefusalsCorrectTheBoxBeepAndSayWhy) {
    Region& r = peakOnLevel();
    EXPECT_EQ(dialog.caption, "Region 1");
    EXPECT_TRUE(port.window(Window::Background).visible);
    EXPECT_EQ(dialog.LBE, "280");
    const Region before = r;
    dialog.HBE = "300";
    EXPECT_FALSE(acceptBackground(session));
    EXPECT_EQ(dialog.HBE, "292");
    EXPECT_EQ(dialog.RefusalNote, "High BE outside the data: set to its highest BE, 292");
    dialog.LBE = "-1e39";  // beyond a single
    acceptBackground(session);
    EXPECT_EQ(dialog.LBE, "280");
    EXPECT_EQ(dialog.RefusalNote, "Low BE outside the data: set to its lowest BE, 280");
    dialog.LBE = dialog.HBE = "285";
    acceptBackground(session);
    EXPECT_EQ(dialog.LBE + " " + dialog.HBE, "280 292");
    EXPECT_EQ(dialog.RefusalNote, "Low BE not below High BE: both set to the data's ends");
    dialog.AverPt = "4";
    acceptBackground(session);
    EXPECT_EQ(dialog.AverPt, "None");
    EXPECT_EQ(dialog.RefusalNote, "Ave. Pts must be None, 3, 5, 7 or 9: set to None");
    EXPECT_EQ(r, before);
    dialog.AverPt = "5";
    dialog.BG = "Shirly";
    dialog.ShirleySlope = "1e39";  // refused too, and said before the type
    acceptBackground(session);
    EXPECT_EQ(dialog.BG, "Shirley");
    EXPECT_EQ(dialog.RefusalNote,
              "Slope too large to store: set to 0; "
              "Background Type must be Shirley, Linear or Tougaard: set to Shirley");
    EXPECT_EQ(r.averagePoints, 5);
    EXPECT_FALSE(isTrue(r.backgroundSet));
    EXPECT_EQ(port.beeps, 6);

    EXPECT_TRUE(acceptBackground(session));  // what the corrections left is taken
    EXPECT_EQ(dialog.RefusalNote, "");
    EXPECT_EQ(port.beeps, 6);
}

TEST_F(BackgroundDialogTest, BoxesShowEveryDigitSoAcceptTakesBackWhatTheyShow) {
    // An end of the data that seven digits would round beyond the data: 1286.29993 shows as 1286.3.
    Region& r =
        makeRegion(session.workspace, 0, 121, 1286.29993f, 0.1f, gaussianOn(100.0, 1280.0, 1000.0, 1.5));
    openBackgroundDialog(session);
    EXPECT_EQ(dialog.HBE, "1286.2999");
    EXPECT_TRUE(acceptBackground(session));
    EXPECT_EQ(port.beeps, 0);
    EXPECT_EQ(r.rangeHigh, r.beHigh);

    // An accepted slope that needs more than seven digits comes back unchanged from a second Accept.
    dialog.ShirleySlope = "0.123456789";
    ASSERT_TRUE(acceptBackground(session));
    const Region accepted = r;
    openBackgroundDialog(session);
    ASSERT_TRUE(acceptBackground(session));
    EXPECT_EQ(r, accepted);
}

TEST_F(BackgroundDialogTest, ParameterBoxesDefaultedAndReadByTheirLeadingNumber) {
    Region& r = peakOnLevel();
    dialog.BG = "Tougaard";
    dialog.TouB1 = "";
    dialog.ShirleySlope = "slope";
    EXPECT_TRUE(acceptBackground(session));
    EXPECT_EQ(dialog.TouB1, "3000");
    EXPECT_EQ(dialog.ShirleySlope, "0");
    EXPECT_EQ(r.backgroundParam, 3000.0f);
    EXPECT_EQ(r.backgroundType, 2);
    EXPECT_EQ(port.beeps, 0);
    dialog.TouB1 = "1500 eV^2";
    acceptBackground(session);
    EXPECT_EQ(r.backgroundParam, 1500.0f);
    dialog.TouB1 = "1e39";
    EXPECT_TRUE(acceptBackground(session));
    EXPECT_EQ(dialog.TouB1, "3000");
    EXPECT_EQ(r.backgroundParam, 3000.0f);
    EXPECT_EQ(port.beeps, 1);
}

TEST_F(BackgroundDialogTest, AreaIsTheDataAboveTheBackgroundTimesTheStep) {
    const Region& r = peakOnLevel();
    dialog.BG = "Linear";
    EXPECT_TRUE(acceptBackground(session));
    EXPECT_NEAR(leadingNumber(dialog.Area), 1000.0 * 1.5 * 1.0644670,
                0.5);  // Gaussian height x FWHM x 1.0645
    EXPECT_TRUE(isTrue(r.backgroundSet));
    EXPECT_FALSE(isTrue(session.workspace.acceptingBackground));
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::FittedCurves);
}

class FittedBackgroundTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    BackgroundDialog& dialog = session.dialogs.background;
};

TEST_F(FittedBackgroundTest, ReacceptKeepsEveryAreaAndAFaultKeepsTheRegionAccepted) {
    openBackgroundDialog(session);
    EXPECT_EQ(session.dialogs.background.HBE, "292");
    EXPECT_EQ(session.dialogs.background.BG, "Shirley");
    const std::array<float, 3> areas = {session.workspace.peaks[0].area, session.workspace.peaks[1].area,
                                        session.workspace.peaks[2].area};
    EXPECT_TRUE(acceptBackground(session));
    for (int p = 0; p < 3; ++p) EXPECT_FLOAT_EQ(session.workspace.peaks[p].area, areas[p]);

    session.dialogs.background.LBE = "285";
    session.dialogs.background.HBE = "285.02";  // a range of one point: its slope divides by zero
    EXPECT_FALSE(acceptBackground(session));
    EXPECT_EQ(port.messages.size(), 1u);
    EXPECT_TRUE(isTrue(session.workspace.regions[0].backgroundSet));
    EXPECT_FALSE(isTrue(session.workspace.acceptingBackground));
}

// The Area box is about the region the dialog edits, whichever region was edited before and whatever
// a command did to the region since.
TEST_F(FittedBackgroundTest, AreaIsAlwaysTheEditedRegionsAsItNowStands) {
    Workspace& ws = session.workspace;
    const auto areaOf = [&ws](int region) { return shortNumberText(backgroundArea(ws.regions[region])); };
    openBackgroundDialog(session);
    EXPECT_EQ(dialog.Area, areaOf(0));

    testing::makeRegion(ws, 1, 61, 300.0f, 0.1f, gaussianOn(50.0, 297.0, 400.0, 1.0));
    selectRegion(session, 1);
    openBackgroundDialog(session);
    EXPECT_EQ(dialog.Area, "-----");  // nothing accepted for region 2 yet
    ASSERT_TRUE(acceptBackground(session));
    EXPECT_EQ(dialog.Area, areaOf(1));
    EXPECT_NE(areaOf(1), areaOf(0));

    for (int region : {3, 0}) {
        selectRegion(session, region);
        openBackgroundDialog(session);
        EXPECT_EQ(dialog.Area, areaOf(region)) << region;
    }
    clearParameters(session);  // with the dialog still shown
    showBackgroundArea(session);
    EXPECT_EQ(dialog.Area, "-----");
}

TEST_F(BackgroundDialogTest, TougaardOptimiseKeepsHeightsSoAreasFollowTheHeightUnit) {
    Region& r = tougaardSpectrum(1234.0);
    dialog.BG = "Tougaard";
    dialog.TouB1 = "3000";
    ASSERT_TRUE(acceptBackground(session));
    Workspace& ws = session.workspace;
    testing::addPeak(ws, 0, 0, 290.0f, 20000.0f, 2.0f);
    testing::addPeak(ws, 0, 1, 300.0f, 500.0f, 1.5f);
    ASSERT_TRUE(acceptBackground(session));  // areas kept, heights in the unit of B1 3000
    const float unitBefore = r.heightUnit;
    const std::array<float, 2> areas = {ws.peaks[0].area, ws.peaks[1].area};
    const std::array<float, 2> heights = {ws.peaks[0].height, ws.peaks[1].height};

    optimiseTougaard(session);
    ASSERT_NEAR(r.backgroundParam, 1234.0, 2.0);
    ASSERT_GT(std::fabs(r.heightUnit / unitBefore - 1.0f), 1e-3f);  // the background found moved the unit
    for (int p = 0; p < 2; ++p) {
        EXPECT_FLOAT_EQ(ws.peaks[p].height, heights[p]) << p;
        EXPECT_NEAR(ws.peaks[p].area, areas[p] * r.heightUnit / unitBefore, areas[p] * 1e-5) << p;
    }
    EXPECT_EQ(port.beeps, 0);
}

TEST_F(BackgroundDialogTest, ShirleyOptimiseStopsWhereTheBackgroundMeetsTheData) {
    Region& r = rampedStep();
    dialog.ShirleySlope = "2";
    acceptBackground(session);
    ASSERT_LT(excessOverData(r), 0.0);
    Region before = r;
    EXPECT_TRUE(optimiseShirleySlope(session));
    EXPECT_EQ(r, before);  // nowhere above: nothing to do

    dialog.ShirleySlope = "0";
    acceptBackground(session);
    ASSERT_GT(excessOverData(r), 1.0);
    port.yields = 0;
    EXPECT_TRUE(optimiseShirleySlope(session));
    // The ramp is 2 counts per point; the last bisection step lands within its resolution of the edge.
    EXPECT_GT(r.backgroundParam, 1.9f);
    EXPECT_LT(r.backgroundParam, 2.0f);
    EXPECT_LT(excessOverData(r), 1e-3);
    EXPECT_EQ(dialog.ShirleySlope, exactNumberText(r.backgroundParam));
    EXPECT_EQ(port.yields, 1 + 21);  // one doubling from 1 to 2, then the bisection

    dialog.BG = "Tougaard";
    acceptBackground(session);
    before = r;
    optimiseShirleySlope(session);
    EXPECT_EQ(r, before);
    EXPECT_EQ(port.beeps, 1);
}

TEST_F(BackgroundDialogTest, ShirleyOptimiseThatFindsNoSlopeBelowTheDataPutsEverythingBack) {
    // The shipped C 1s spectrum over 294-281 eV: noise on the flat high-energy tail stays above its
    // nine-point mean for every slope, so the doublings never end below the data.
    session.workspace.fileName = std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms";
    ASSERT_TRUE(importVamas(session));
    const Region& r = session.workspace.regions[0];
    for (const char* averaging : {"None", "3", "5", "7", "9"}) {
        openBackgroundDialog(session);
        dialog.LBE = "281";
        dialog.HBE = "294";
        dialog.AverPt = averaging;
        dialog.ShirleySlope = "0.5";
        ASSERT_TRUE(acceptBackground(session));
        const Region before = r;
        const int beeps = port.beeps;
        EXPECT_FALSE(optimiseShirleySlope(session)) << averaging;
        EXPECT_EQ(r, before) << averaging;
        EXPECT_EQ(dialog.ShirleySlope, "0.5") << averaging;
        EXPECT_EQ(port.beeps, beeps + 1) << averaging;
        EXPECT_EQ(dialog.RefusalNote, "No slope keeps the background below the data: put back to 0.5");
        EXPECT_EQ(port.drawings.back(), SpectrumDrawing::FittedCurves);
    }
    EXPECT_TRUE(port.messages.empty());
}

TEST_F(BackgroundDialogTest, B1SearchFindsTheB1TheSpectrumWasBuiltWith) {
    for (const double b1 : {1234.0, 3000.0}) {
        Region& r = tougaardSpectrum(b1);
        dialog.BG = "Tougaard";
        dialog.TouB1 = "3000";
        optimiseTougaard(session);
        EXPECT_NEAR(r.backgroundParam, b1, b1 * 1e-3);
        EXPECT_EQ(dialog.TouB1, exactNumberText(r.backgroundParam));
        EXPECT_NEAR(leadingNumber(dialog.Area), 5000.0 * 2.0 * 1.0644670, 10.0);
        EXPECT_TRUE(isTrue(r.backgroundSet));
    }
    // No other value is strictly better than the start.
    EXPECT_EQ(session.workspace.regions[0].backgroundParam, 3000.0f);
    EXPECT_EQ(dialog.TouB1, "3000");
    EXPECT_EQ(port.beeps, 0);
    expectIdle(port);
}

TEST_F(BackgroundDialogTest, OptimiseBeepsAndSaysWhyForOtherTypesAndAlwaysRestoresTheWindows) {
    Region& r = peakOnLevel();
    const Region before = r;
    optimiseTougaard(session);  // BG shows "Shirley"
    EXPECT_EQ(port.beeps, 1);
    EXPECT_EQ(dialog.RefusalNote, "B1 not optimised: the Background Type is not Tougaard");
    EXPECT_EQ(r, before);
    expectIdle(port);
    r.backgroundType = static_cast<short>(BackgroundType::Linear);
    EXPECT_FALSE(optimiseShirleySlope(session));
    EXPECT_EQ(port.beeps, 2);
    EXPECT_EQ(dialog.RefusalNote, "Slope not optimised: the accepted background is not Shirley");

    dialog.BG = "Tougaard";
    dialog.LBE = "285";
    dialog.HBE = "285.02";
    optimiseTougaard(session);
    EXPECT_EQ(port.messages.size(), 1u);
    expectIdle(port);

    dialog.HBE = "285.4";  // five points: too few for the search, enough to accept
    optimiseTougaard(session);
    EXPECT_EQ(r.rangeCount, 5);
    EXPECT_TRUE(isTrue(r.backgroundSet));
    EXPECT_EQ(r.backgroundParam, 3000.0f);
    EXPECT_EQ(port.messages.size(), 1u);
    expectIdle(port);
}

}  // namespace
}  // namespace vortlan

namespace vortlan {
namespace {

// Shirley asked for on data that rise toward low binding energy draws the straight line, and the
// dialog says so for as long as it does: after Accept, on showing, and not after Linear is accepted.
TEST_F(BackgroundDialogTest, AStraightLineDrawnForShirleyIsNamed) {
    makeRegion(session.workspace, 0, 121, 292.0f, 0.1f, step(286.0, 400.0, 100.0));
    openBackgroundDialog(session);
    EXPECT_EQ(dialog.DrawnNote, "");  // nothing accepted yet
    ASSERT_TRUE(acceptBackground(session));
    const std::string drawn =
        "Shirley drawn as a straight line: the low-BE end lies above the high-BE end, so there is no step to "
        "follow";
    EXPECT_EQ(dialog.DrawnNote, drawn);
    closeBackgroundDialog(session);
    openBackgroundDialog(session);
    EXPECT_EQ(dialog.DrawnNote, drawn);
    dialog.BG = "Linear";
    ASSERT_TRUE(acceptBackground(session));
    EXPECT_EQ(dialog.DrawnNote, "");
}

}  // namespace
}  // namespace vortlan
