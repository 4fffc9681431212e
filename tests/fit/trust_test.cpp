// Fits that can be trusted without watching them: physical bounds, %GL settled in rounds, flags that
// name every trap a fit can end in, and restarts that get a caught peak out.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fit/drivers.h"
#include "fit/least_squares_fit.h"
#include "fit/trust/fit_flags.h"
#include "fit/trust/physical_bounds.h"
#include "fit/verdict.h"
#include "io/option_file.h"
#include "model/propagation.h"
#include "support/fitted_session.h"

namespace vortlan {
namespace {

using testing::addPeak;
using testing::makeRegion;

// A small, fixed wobble standing in for counting noise, so that a peak has something to collapse on.
double wobble(double e) {
    return 6.0 * std::sin(37.0 * e) + 4.0 * std::sin(91.0 * e + 1.0);
}

// C 1s-like data from 296 down to 278 eV in 0.1 eV steps: a main peak at 285 and a smaller one at
// 286.6 eV on a flat 200 counts, with the wobble; a linear background accepted.
class TrustTest : public ::testing::Test {
  protected:
    TrustTest() {
        ws.options = defaultFitOptions();
        ws.options.methodFlag = kLeastSquaresMethodFlag;
        ws.options.glSum = kTrue;
        makeRegion(ws, 0, 181, 296.0f, 0.1f, [](double e) {
            return testing::gaussianOn(200.0, 285.0, 3000.0, 1.2)(e) +
                   testing::gaussianOn(0.0, 286.6, 700.0, 1.4)(e) + wobble(e);
        });
        ws.regions[0].backgroundType = static_cast<short>(BackgroundType::Linear);
        testing::acceptBackground(session, 0);
    }
    Peak& place(int peak, float position, float area, float fwhm, short gl = 30) {
        Peak& p = addPeak(ws, 0, peak, position, area, fwhm, gl);
        updateRegionCurves(ws, port);
        return p;
    }
    bool hasFlag(int peak, FitFlagCause cause) const {
        for (const FitFlag& f : heldVerdictOf(ws, 0).flags) {
            if (f.peak == peak && f.cause == cause) return true;
        }
        return false;
    }
    // Every peak physical, or flagged for what it is not.
    void expectNoSilentTrap() const {
        const Region& r = ws.regions[0];
        for (int s = 0; s < r.peakCount; ++s) {
            const int peak = r.peakSlots[s];
            const Peak& p = ws.peaks[peak];
            EXPECT_TRUE(std::isfinite(p.position) && std::isfinite(p.area) && std::isfinite(p.fwhm)) << peak;
            EXPECT_TRUE(p.fwhm >= dataStepOf(r) * 0.999 || hasFlag(peak, FitFlagCause::NarrowerThanStep))
                << peak;
            EXPECT_TRUE(PhysicalBounds(ws).withinFitRange(peak) || hasFlag(peak, FitFlagCause::OutsideRange))
                << peak;
            EXPECT_TRUE(PhysicalBounds(ws).position(peak).holds(p.position)) << peak << " at " << p.position;
        }
    }

    RecordingPort port;
    Session session{port};
    Workspace& ws = session.workspace;
};

TEST_F(TrustTest, BoundsFollowTheFitRangeTheDataStepAndTheUsersLimits) {
    Peak& singlet = place(0, 285.0f, 3000.0f, 1.2f);
    Peak& doublet = place(1, 284.0f, 500.0f, 0.8f);
    doublet.type = static_cast<short>(PeakType::P);
    doublet.splitting = 3.0f;
    const Region& r = ws.regions[0];
    EXPECT_NEAR(dataStepOf(r), 0.1, 1e-5);
    EXPECT_NEAR(fitRangeExtentOf(r).low, 278.0, 1e-4);
    EXPECT_NEAR(fitRangeExtentOf(r).high, 296.0, 1e-4);

    // Widened by the FWHM; a doublet may lie with its other component in the range.
    EXPECT_NEAR(PhysicalBounds(ws).position(0).low, 276.8, 1e-4);
    EXPECT_NEAR(PhysicalBounds(ws).position(0).high, 297.2, 1e-4);
    EXPECT_NEAR(PhysicalBounds(ws).position(1).low, 274.2, 1e-4);
    EXPECT_NEAR(PhysicalBounds(ws).position(1).high, 296.8, 1e-4);
    // The region's shift moves what the stored position may be.
    ws.regions[0].shift = 2.0f;
    EXPECT_NEAR(PhysicalBounds(ws).position(0).high, 295.2, 1e-4);
    ws.regions[0].shift = 0.0f;
    // A FWHM run wild widens the bound by no more than the range's width.
    singlet.fwhm = 6e6f;
    EXPECT_NEAR(PhysicalBounds(ws).position(0).high, 314.0, 1e-3);
    singlet.fwhm = 1.2f;

    EXPECT_NEAR(PhysicalBounds(ws).of(0, PeakParam::Fwhm).low, 0.1, 1e-5);
    EXPECT_NEAR(PhysicalBounds(ws).of(0, PeakParam::Area).low, kAreaFloor, 0);
    EXPECT_EQ(PhysicalBounds(ws).of(0, PeakParam::Gl).high, 100.0);
    ws.instrumentFwhm = 0.45;
    EXPECT_NEAR(PhysicalBounds(ws).of(0, PeakParam::Fwhm).low, 0.45, 0);
    EXPECT_NEAR(PhysicalBounds(ws).position(0).low, 276.8, 1e-4);

    // The user's limits replace the physical bounds, within what a line shape can take.
    ParamConstraint& limits = ws.constraints[0].position;
    limits.limited = kTrue;
    limits.low = 100.0f;
    limits.high = 200.0f;
    EXPECT_EQ(PhysicalBounds(ws).of(0, PeakParam::Position).low, 100.0);
    ws.constraints[0].fwhm = {0, 0, 0, 0, 0, 0, kTrue, 0.0f, 5.0f};
    EXPECT_NEAR(PhysicalBounds(ws).of(0, PeakParam::Fwhm).low, kMinimumTiedFwhm, 1e-7);
}

TEST_F(TrustTest, DataStepIsTheMedianSpacingSoThatAGapDoesNotWidenIt) {
    Region& r = ws.regions[0];
    for (int i = 100; i <= r.rangeCount; ++i) r.rangeEnergy[i] -= 1.0f;  // one gap of a whole eV
    EXPECT_NEAR(dataStepOf(r), 0.1, 1e-4);
}

// A peak placed far off the data, or at a number no spectrum holds, is brought into the range by its
// bounds; the fit stays physical and says what happened.
TEST_F(TrustTest, PeakPlacedFarOffTheDataIsBroughtIntoRange) {
    for (float start : {250.0f, 1e30f, -1e30f}) {
        ws.regions[0].peakCount = 0;
        place(0, 285.3f, 2000.0f, 1.5f);
        place(1, start, 700.0f, 1.4f);
        optimiseRegion(ws, port);
        ASSERT_NE(fitVerdictOf(ws, 0), FitVerdict::Unknown) << start;
        expectNoSilentTrap();
        EXPECT_LT(ws.peaks[1].fwhm, 20.0f) << start;
        EXPECT_LT(ws.peaks[1].area, 1e5f) << start;
    }
}

// A third peak where the data hold none collapses onto a wobble, dies on its floor or runs off;
// whichever it does, the verdict says so, and the peak was started afresh before it did.
TEST_F(TrustTest, PeakWithNothingToFitIsFlaggedAndRestarted) {
    place(0, 285.0f, 3000.0f, 1.2f);
    place(1, 286.6f, 700.0f, 1.4f);
    place(2, 292.0f, 30.0f, 0.15f);
    optimiseRegion(ws, port);
    expectNoSilentTrap();
    const RegionVerdict& verdict = heldVerdictOf(ws, 0);
    ASSERT_EQ(verdict.verdict, FitVerdict::Converged);
    ASSERT_FALSE(verdict.flags.empty());
    for (const FitFlag& f : verdict.flags) {
        if (!callsForRestart(f)) continue;
        EXPECT_TRUE(std::any_of(verdict.restarts.begin(), verdict.restarts.end(), [&](const PeakRestarts& r) {
            return r.peak == f.peak && r.restarts > 0;
        })) << fitFlagText(f);
    }
    EXPECT_EQ(fitVerdictWord(verdict), "converged, with flags");
}

// With %GL free, the stored whole %GL is one a continuous fit from the result would keep, or the
// verdict says it is not.
TEST_F(TrustTest, WholeGlIsSettledOrFlagged) {
    place(0, 285.6f, 1500.0f, 2.4f, 80).fixGl = 0;
    place(1, 286.0f, 300.0f, 2.0f, 0).fixGl = 0;
    optimiseRegion(ws, port);
    const short gl0 = ws.peaks[0].gl;
    const short gl1 = ws.peaks[1].gl;
    beginFitting(ws, port);
    runLeastSquares(ws, port, FitSelection({0, 1}), {});
    endFitting(ws, port);
    const std::vector<FitFlag>& flags = ws.fitVerdicts[0].flags;
    EXPECT_TRUE(ws.peaks[0].gl == gl0 ||
                std::find(flags.begin(), flags.end(), FitFlag{0, FitFlagCause::GlChanged, PeakParam::Gl}) !=
                    flags.end());
    EXPECT_TRUE(ws.peaks[1].gl == gl1 ||
                std::find(flags.begin(), flags.end(), FitFlag{1, FitFlagCause::GlChanged, PeakParam::Gl}) !=
                    flags.end());
}

// The flags of states a fit can end in, whichever method left them there.
TEST_F(TrustTest, FlagsNameEveryTrap) {
    place(0, 285.0f, 3000.0f, 1.2f).fixGl = 1;
    place(1, 286.6f, 700.0f, 1.4f).fixGl = 1;
    EXPECT_TRUE(judgeFitFlags(ws, 0).empty());

    struct Case {
        const char* name;
        std::function<void(Workspace&)> change;
        FitFlag expected;
    };
    const Case cases[] = {
        {"a spike",
         [](Workspace& w) { w.peaks[1].fwhm = 0.03f; },
         {1, FitFlagCause::NarrowerThanStep, PeakParam::Fwhm}},
        {"narrower than the instrument",
         [](Workspace& w) { w.instrumentFwhm = 1.3; },
         {0, FitFlagCause::NarrowerThanLimit, PeakParam::Fwhm}},
        {"on its floor",
         [](Workspace& w) { w.peaks[1].fwhm = static_cast<float>(dataStepOf(w.regions[0])); },
         {1, FitFlagCause::AtBound, PeakParam::Fwhm}},
        {"run off",
         [](Workspace& w) { w.peaks[1].position = 300.0f; },
         {1, FitFlagCause::OutsideRange, PeakParam::Position}},
        {"far off",
         [](Workspace& w) { w.peaks[1].position = 843.0f; },
         {1, FitFlagCause::OutsideRange, PeakParam::Position}},
        {"dead",
         [](Workspace& w) { w.peaks[1].area = static_cast<float>(kAreaFloor); },
         {1, FitFlagCause::AreaAtFloor, PeakParam::Area}},
        {"on the user's limit",
         [](Workspace& w) { w.constraints[1].area = {0, 0, 0, 0, 0, 0, kTrue, 100.0f, 700.0f}; },
         {1, FitFlagCause::AtLimit, PeakParam::Area}},
        {"twin of another",
         [](Workspace& w) { w.peaks[1] = w.peaks[0]; },
         {1, FitFlagCause::NotDetermined, PeakParam::Position}},
    };
    const Workspace fitted = ws;
    for (const Case& c : cases) {
        ws = fitted;
        c.change(ws);
        updateRegionCurves(ws, port);
        const std::vector<FitFlag> flags = judgeFitFlags(ws, 0);
        EXPECT_NE(std::find(flags.begin(), flags.end(), c.expected), flags.end()) << c.name;
        EXPECT_EQ(callsForRestart(c.expected), c.expected.cause != FitFlagCause::AtLimit) << c.name;
    }
    // What the fit went through: %GL still moving, and a peak that left where it was placed.
    ws = fitted;
    EXPECT_EQ(judgeFitFlags(ws, 0, FitHistory{{1}, {}}),
              (std::vector<FitFlag>{{1, FitFlagCause::GlChanged, PeakParam::Gl}}));
    const std::vector<PlacedPeak> placed{{0, 285.5f, 1.0f}, {1, 290.0f, 2.5f}};
    EXPECT_EQ(judgeFitFlags(ws, 0, FitHistory{{}, placed}),
              (std::vector<FitFlag>{{1, FitFlagCause::MovedFar, PeakParam::Position}}));
}

// Newton's method and the search keep their own ways; their verdicts carry the flags of where they
// ended.
TEST_F(TrustTest, OtherMethodsAreJudgedWhereTheyEnd) {
    place(0, 285.0f, 3000.0f, 1.2f);
    place(1, 299.0f, 700.0f, 1.4f);
    for (float method : {1.0f, 0.0f}) {
        ws.options.methodFlag = method;
        ws.options.newtonTrials = ws.options.searchTrials = 1;
        ws.peaks[1].position = 299.0f;
        optimiseRegion(ws, port);
        EXPECT_EQ(port.fitFlags.back(), heldVerdictOf(ws, 0).flags) << method;
        EXPECT_TRUE(PhysicalBounds(ws).withinFitRange(1) || hasFlag(1, FitFlagCause::OutsideRange)) << method;
    }
}

// The same start gives the same fit, restarts and all; a stop during them ends the fit stopped, with
// values no worse than the first fit's.
TEST_F(TrustTest, RestartsAreRepeatableAndStopPromptly) {
    place(0, 285.0f, 3000.0f, 1.2f);
    place(1, 250.0f, 30.0f, 0.15f);
    const Workspace start = ws;
    optimiseRegion(ws, port);
    const Workspace first = ws;
    ws = start;
    optimiseRegion(ws, port);
    for (int peak : {0, 1}) EXPECT_EQ(ws.peaks[peak], first.peaks[peak]);
    EXPECT_EQ(ws.fitVerdicts[0], first.fitVerdicts[0]);

    ws = start;
    const std::size_t trialsOfOneFit = port.fitTrials.size() / 2;
    port.fitTrials.clear();
    port.onYield = [&] {
        if (port.fitTrials.size() == 3) requestStop(ws);
    };
    optimiseRegion(ws, port);
    port.onYield = nullptr;
    EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Stopped);
    EXPECT_LE(port.fitTrials.size(), trialsOfOneFit);
}

}  // namespace
}  // namespace vortlan
