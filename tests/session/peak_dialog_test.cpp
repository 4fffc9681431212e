#include "session/peak_dialog.h"

#include <gtest/gtest.h>

#include <array>

#include "base/number_text.h"
#include "fit/verdict.h"
#include "fit/uncertainty.h"
#include "io/option_file.h"
#include "model/propagation.h"
#include "session/error_text.h"
#include "session/spectrum_commands.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"
#include "workspace/reset.h"

namespace vortlan {
namespace {

class PeakDialogTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    Workspace& ws = session.workspace;
    PeakDialog& dialog = session.dialogs.peak;
};

TEST_F(PeakDialogTest, OpeningShowsEachStoredValueExactlyWithTheScrollBarsRounded) {
    Peak& p = ws.peaks[2];  // slot 2 of region 0, whose range starts at 280 eV
    p.position = 284.567f;
    p.fwhm = 0.35f;
    p.area = 51.234567f;
    port.drawings.clear();
    openPeakDialog(session, 2);
    EXPECT_EQ(dialog.caption, "Peak 2");
    EXPECT_EQ(dialog.ScPos.value, 457);
    EXPECT_EQ(dialog.PosVal, "284.567");
    EXPECT_EQ(dialog.ScFWHM.value, 35);
    EXPECT_EQ(dialog.FWHMVal, "0.35");
    EXPECT_EQ(dialog.ScArea.value, 500);
    EXPECT_EQ(dialog.AreaVal, "51.234566");  // every digit the single holds
    EXPECT_EQ(dialog.GLVal, "30");
    EXPECT_EQ(ws.currentPeak, 2);
    EXPECT_TRUE(ws.peakBackup[2] == p);
    EXPECT_TRUE(port.window(Window::Peak).visible);
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::HighlightedPeak);

    // A value beyond its scroll bar rests the bar at its nearest end; the box still shows it.
    p.fwhm = 0.12f;
    openPeakDialog(session, 2);
    EXPECT_EQ(dialog.ScFWHM.value, 30);
    EXPECT_EQ(dialog.FWHMVal, "0.12");
}

TEST_F(PeakDialogTest, LookingAtAFittedPeakAndAcceptingChangesNothing) {
    ws.peaks[0].position = 284.98763f;
    ws.peaks[0].area = 1093.4417f;
    ws.peaks[0].fwhm = 1.1934872f;
    ws.peaks[2].ts = 1.0f;
    applyAllRelations(ws);  // peak 1 follows peak 0, as after a fit
    updateRegionCurves(ws, port);
    for (int slot = 0; slot < 3; ++slot) {
        const std::array<Peak, 3> before = {ws.peaks[0], ws.peaks[1], ws.peaks[2]};
        const float chi = ws.regions[0].chiSquare;
        const float total = ws.totalChiSquare;
        openPeakDialog(session, slot);
        acceptPeakDialog(session);
        for (int q = 0; q < 3; ++q) EXPECT_TRUE(ws.peaks[q] == before[q]) << "slot " << slot << " peak " << q;
        EXPECT_EQ(ws.regions[0].chiSquare, chi) << slot;
        EXPECT_EQ(ws.totalChiSquare, total) << slot;
    }
}

TEST_F(PeakDialogTest, AMovedScrollBarOrATypedValueIsWhatAcceptStores) {
    openPeakDialog(session, 0);
    dialog.ScPos.value = 300;
    scrollChanged(session, PeakParam::Position);
    EXPECT_EQ(dialog.PosVal, "283");
    dialog.FWHMVal = "1.25";
    dialog.SplittingVal = "0.7";
    acceptPeakDialog(session);
    EXPECT_EQ(ws.peaks[0].position, 283.0f);
    EXPECT_EQ(ws.peaks[0].fwhm, 1.25f);
    EXPECT_EQ(ws.peaks[0].splitting, 0.7f);
    EXPECT_FALSE(port.window(Window::Peak).visible);

    // A box typed back to the text it was written with stands for the stored value again.
    openPeakDialog(session, 1);
    const float area = ws.peaks[1].area;
    const std::string shown = dialog.AreaVal;
    dialog.AreaVal = "1";
    dialog.AreaVal = shown;
    acceptPeakDialog(session);
    EXPECT_EQ(ws.peaks[1].area, area);
}

TEST_F(PeakDialogTest, APositionOutsideTheRangeKeepsItsExactText) {
    ws.peaks[2].position = 300.123f;  // the range ends at 292 eV
    openPeakDialog(session, 2);
    EXPECT_EQ(dialog.PosVal, "300.123");
}

TEST_F(PeakDialogTest, StoringHoldsTheTailWithinItsRangesSayingSoAndRefusesAZeroWidth) {
    openPeakDialog(session, 0);
    dialog.TSVal = "1.5";
    dialog.TLVal = "0";
    dialog.PeakType = "d";
    dialog.ChkArea = 1;
    ASSERT_TRUE(storePeakDialog(session));
    const Peak& p = ws.peaks[0];
    EXPECT_EQ(p.ts, 1.0f);
    EXPECT_EQ(p.tl, 0.01f);
    EXPECT_EQ(dialog.TSVal, "1");
    EXPECT_EQ(dialog.TLVal, "0.01");
    EXPECT_EQ(dialog.RefusalNote, "TS above 1: kept 1; TL below 0.01: kept 0.01");
    EXPECT_EQ(p.type, 3);
    EXPECT_EQ(p.fixArea, 1);
    dialog.TLVal = "500";
    ASSERT_TRUE(storePeakDialog(session));
    EXPECT_EQ(p.tl, 200.0f);
    EXPECT_EQ(dialog.RefusalNote, "TL above 200: kept 200");
    ASSERT_TRUE(storePeakDialog(session));
    EXPECT_EQ(dialog.RefusalNote, "");
    dialog.FWHMVal = "0";
    EXPECT_FALSE(storePeakDialog(session));
    EXPECT_EQ(port.messages.back(), "FWHM must be >0");
    dialog.FWHMVal = "1.2";
    dialog.GLVal = "140";
    EXPECT_FALSE(storePeakDialog(session));
    EXPECT_EQ(p.fwhm, 1.2f);  // from the accepted store before
}

TEST_F(PeakDialogTest, CancelRevertsEvenAnOptimisedParameter) {
    ws.options = defaultFitOptions();
    openPeakDialog(session, 0);
    const Peak opened = ws.peaks[0];
    dialog.PosVal = "285.4";
    optimiseParameterFromDialog(session, PeakParam::Position);
    EXPECT_NE(ws.peaks[0].position, 285.4f);
    EXPECT_EQ(dialog.PosVal, exactNumberText(ws.peaks[0].position));
    EXPECT_FALSE(port.window(Window::Fitting).visible);
    cancelPeakDialog(session);
    EXPECT_TRUE(ws.peaks[0] == opened);
}

// The verdict of "Optimise Peak" belongs to the values it reached: OK keeps them and the verdict,
// Cancel puts the opened values back and the verdict is no longer known.
TEST_F(PeakDialogTest, OptimisePeakJudgesTheRegionUntilItsValuesChange) {
    ws.options = defaultFitOptions();
    ws.options.methodFlag = 1.0f;  // Newton's method moves the peak from its start every time
    for (const bool accept : {true, false}) {
        openPeakDialog(session, 0);
        dialog.PosVal = "285.3";
        optimisePeakFromDialog(session);
        ASSERT_EQ(port.fitVerdicts.size(), 1u);
        const auto [region, verdict] = port.fitVerdicts.back();
        EXPECT_EQ(region, 0);
        EXPECT_NE(verdict, FitVerdict::Unknown);
        if (accept) {
            acceptPeakDialog(session);
            EXPECT_EQ(fitVerdictOf(ws, 0), verdict);
        } else {
            cancelPeakDialog(session);
            EXPECT_EQ(fitVerdictOf(ws, 0), FitVerdict::Unknown);
        }
        port.fitVerdicts.clear();
    }
}

TEST_F(PeakDialogTest, AWidthOfZeroOrLessIsNotOptimisedFrom) {
    ws.options = defaultFitOptions();
    openPeakDialog(session, 0);
    const Peak opened = ws.peaks[0];
    for (const char* width : {"0", "-1.2"}) {
        dialog.FWHMVal = width;
        optimiseParameterFromDialog(session, PeakParam::Fwhm);
        EXPECT_EQ(port.messages.back(), "FWHM must be >0") << width;
        EXPECT_TRUE(ws.peaks[0] == opened) << width;
        EXPECT_FALSE(port.window(Window::Fitting).visible);
    }
}

TEST_F(PeakDialogTest, OnlyAMethodOfExactlyOneUsesNewtonInTheDialog) {
    ws.options.methodFlag = 0.5f;
    ws.options.searchPosition = {};  // a search with no level changes nothing
    openPeakDialog(session, 0);
    dialog.PosVal = "285.3";
    optimiseParameterFromDialog(session, PeakParam::Position);
    EXPECT_EQ(ws.peaks[0].position, 285.3f);
}

TEST_F(PeakDialogTest, AddPeakAfterAResetIsHalfTheRangeHighAtItsCentre) {
    ws.peaks[4].gl = 30;  // an entry freed by a peak of 30 %GL keeps it
    ASSERT_TRUE(addPeak(session));
    const Peak& p = ws.peaks[3];
    EXPECT_EQ(ws.regions[0].peakCount, 4);
    EXPECT_EQ(ws.regions[0].peakSlots[3], 3);
    EXPECT_FLOAT_EQ(p.position, 286.0f);
    EXPECT_EQ(p.fwhm, 1.0f);
    EXPECT_NEAR(p.height, 50.0f, 1e-3);
    EXPECT_EQ(p.fixGl, 1);
    EXPECT_EQ(p.fixArea, 0);
    EXPECT_EQ(port.peakButtonCaptions[3], "3");
    EXPECT_TRUE(port.peakButtonsEnabled[3]);
    EXPECT_EQ(dialog.caption, "Peak 3");
    ASSERT_TRUE(addPeak(session));
    EXPECT_EQ(ws.peaks[4].gl, 30);
}

TEST_F(PeakDialogTest, AddPeakBeepsWhenNothingIsFree) {
    for (int p = 6; p < kPeakCount; ++p) ws.peaks[p].defined = kTrue;
    ws.peaks[3].defined = ws.peaks[4].defined = kTrue;
    EXPECT_FALSE(addPeak(session));
    EXPECT_EQ(port.beeps, 1);
    EXPECT_EQ(ws.regions[0].peakCount, 3);
    ws.regions[3].backgroundSet = kFalse;
    ws.currentRegion = 3;
    EXPECT_FALSE(addPeak(session));
    EXPECT_EQ(port.beeps, 1);  // a region without background: nothing at all
}

TEST_F(PeakDialogTest, DeleteRegionAsksFirst) {
    EXPECT_FALSE(deleteRegionCommand(session));
    EXPECT_EQ(port.questions.back(),
              "!! WARNING !!: All information in this region data will be deleted! Continue?");
    EXPECT_TRUE(isTrue(ws.regions[0].defined));
    port.answers.push_back(true);
    EXPECT_TRUE(deleteRegionCommand(session));
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
}

TEST_F(PeakDialogTest, FileCommandsSayHowTheyEnded) {
    testing::TempDir dir;
    ws.fileName = dir.file("c1s.par");
    exportPeakParametersCommand(session);
    EXPECT_EQ(port.messages.back(), "Data file exported");
    ws.regions[0].backgroundSet = kFalse;
    const std::size_t messages = port.messages.size();
    exportPeakParametersCommand(session);  // needs an accepted background
    saveRegionParametersCommand(session);
    EXPECT_EQ(port.messages.size(), messages);
}

// ---- the standard error beside each box ----

const std::string kPlusMinus = "\xB1 ";  // the core's texts are Latin-1

class PeakDialogErrorTest : public PeakDialogTest {
  protected:
    PeakDialogErrorTest() {
        ws.options = defaultFitOptions();
        ws.options.glSum = kTrue;
        ws.options.methodFlag = kLeastSquaresMethodFlag;
        optimiseRegionCommand(session);
    }
    // What the dialog must show for the open peak: its region's errors at the present values.
    std::array<std::string, 4> expectedTexts() const {
        const RegionErrors errors = standardErrors(ws, ws.peaks[ws.currentPeak].region);
        for (const PeakErrors& e : errors.peaks) {
            if (e.peak == ws.currentPeak)
                return {standardErrorText(e.position), standardErrorText(e.fwhm), standardErrorText(e.area),
                        standardErrorText(e.gl)};
        }
        ADD_FAILURE() << "no errors for peak " << ws.currentPeak;
        return {};
    }
    std::array<std::string, 4> shown() const {
        return {dialog.PosErr, dialog.FWHMErr, dialog.AreaErr, dialog.GLErr};
    }
};

TEST_F(PeakDialogErrorTest, AFittedPeakShowsTheErrorOfEachParameterToTwoDigits) {
    openPeakDialog(session, 0);
    const RegionErrors errors = standardErrors(ws, 0);
    ASSERT_EQ(errors.peaks.size(), 3u);
    const PeakErrors& e = errors.peaks[0];
    ASSERT_TRUE(e.position.known() && e.fwhm.known() && e.area.known() && e.gl.known());
    EXPECT_EQ(dialog.PosErr, kPlusMinus + twoDigitNumberText(e.position.value));
    EXPECT_EQ(dialog.FWHMErr, kPlusMinus + twoDigitNumberText(e.fwhm.value));
    EXPECT_EQ(dialog.AreaErr, kPlusMinus + twoDigitNumberText(e.area.value));
    EXPECT_EQ(dialog.GLErr, kPlusMinus + twoDigitNumberText(e.gl.value));
    EXPECT_GT(e.position.value, 0.0);
    EXPECT_LT(e.position.value, 0.1);

    // Peak 1's position follows peak 0's at +1.5 eV: it has peak 0's error.
    openPeakDialog(session, 1);
    EXPECT_EQ(dialog.PosErr, kPlusMinus + twoDigitNumberText(e.position.value));
    EXPECT_EQ(shown(), expectedTexts());
}

TEST_F(PeakDialogErrorTest, AFixClickShowsFixedAtOnceAndUnfixingBringsTheErrorBack) {
    openPeakDialog(session, 0);
    const std::string free = dialog.AreaErr;
    dialog.ChkArea = 1;
    fixChanged(session, PeakParam::Area);
    EXPECT_EQ(dialog.AreaErr, "fixed");
    EXPECT_EQ(shown(), expectedTexts());  // the other parameters' errors without the area free
    dialog.ChkArea = 0;
    fixChanged(session, PeakParam::Area);
    EXPECT_EQ(dialog.AreaErr, free);

    // A fixed reference leaves nothing to move in the peak tied to it, which is held by its tie.
    ws.peaks[0].fixPosition = 1;
    openPeakDialog(session, 1);
    EXPECT_EQ(dialog.PosErr, "tied");
}

TEST_F(PeakDialogErrorTest, ReDrawAcceptAndTheOptimiseButtonsRenewTheErrors) {
    openPeakDialog(session, 0);
    const auto fitted = shown();
    dialog.FWHMVal = "2";
    redrawPeakDialog(session);
    EXPECT_NE(shown(), fitted);  // a worse fit: other residuals, other errors
    EXPECT_EQ(shown(), expectedTexts());

    optimiseParameterFromDialog(session, PeakParam::Fwhm);
    EXPECT_EQ(shown(), expectedTexts());
    dialog.PosVal = "284.7";
    optimisePeakFromDialog(session);
    EXPECT_EQ(shown(), expectedTexts());

    dialog.AreaVal = "1000";
    acceptPeakDialog(session);
    EXPECT_EQ(shown(), expectedTexts());
}

TEST_F(PeakDialogErrorTest, WhatTheDataCannotDetermineSaysSoAndNeverShowsANumber) {
    // Three points cannot determine the three free parameters of a peak and the scale of its noise.
    testing::makeRegion(ws, 6, 3, 290.0f, 0.5f, testing::gaussianOn(100.0, 289.5, 500.0, 1.0));
    testing::acceptBackground(session, 6);
    testing::addPeak(ws, 6, 9, 289.5f, 500.0f, 1.0f).fixGl = 1;
    updateRegionCurves(ws, port);
    openPeakDialog(session, 60);
    EXPECT_EQ(shown(),
              (std::array<std::string, 4>{"not determined", "not determined", "not determined", "fixed"}));

    // Two peaks alike in every way share their area however it is divided.
    testing::makeRegion(ws, 7, 41, 292.0f, 0.1f, testing::gaussianOn(100.0, 289.5, 500.0, 1.0));
    testing::acceptBackground(session, 7);
    for (int p : {10, 11}) {
        Peak& twin = testing::addPeak(ws, 7, p, 289.5f, 250.0f, 1.0f);
        twin.fixPosition = twin.fixFwhm = twin.fixGl = 1;
    }
    updateRegionCurves(ws, port);
    openPeakDialog(session, 71);
    EXPECT_EQ(dialog.AreaErr, "not determined");
    for (const std::string& text : shown()) EXPECT_EQ(text.find("nan"), std::string::npos) << text;
}

}  // namespace
}  // namespace vortlan
