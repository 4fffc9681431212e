#include "session/region_operations.h"

#include <gtest/gtest.h>

#include "base/number_text.h"
#include "support/fitted_session.h"
#include "workspace/invariants.h"

namespace vortlan {
namespace {

class RegionOperationsTest : public ::testing::Test, protected testing::FittedSession {
protected:
    Workspace& ws = session.workspace;
    // Peak buttons as the main window shows them after a refresh.
    void showButtons() { refreshRegionDisplays(session); }
};

TEST_F(RegionOperationsTest, ResetEmptiesRegionsAndPeaksButKeepsLimits) {
    resetWorkspace(session);
    for (const Region& r : ws.regions) {
        EXPECT_FALSE(isTrue(r.defined));
        EXPECT_FALSE(isTrue(r.backgroundSet));
        EXPECT_EQ(r.shift, 0.0f);
    }
    const Peak& p = ws.peaks[2];
    EXPECT_FALSE(isTrue(p.defined));
    EXPECT_EQ(p.area, 100.0f);
    EXPECT_EQ(p.height, 100.0f);
    EXPECT_EQ(p.fwhm, 1.0f);
    EXPECT_EQ(p.gl, 80);
    EXPECT_EQ(p.fixGl, 1);
    EXPECT_EQ(p.splitting, 0.0f);
    EXPECT_EQ(ws.constraints[1].position.linked, 0);
    EXPECT_EQ(ws.constraints[1].position.operand, 0.0f);
    EXPECT_TRUE(isTrue(ws.constraints[2].fwhm.limited));
    EXPECT_EQ(ws.constraints[2].fwhm.high, 2.0f);
    for (bool enabled : port.peakButtonsEnabled) EXPECT_FALSE(enabled);
}

TEST_F(RegionOperationsTest, SelectingARegionMovesTheEnabledPeakButtons) {
    showButtons();
    EXPECT_TRUE(port.peakButtonsEnabled[0]);
    EXPECT_FALSE(port.peakButtonsEnabled[30]);
    port.showWindow(Window::Peak);
    selectRegion(session, 3);
    EXPECT_EQ(ws.currentRegion, 3);
    EXPECT_FALSE(port.peakButtonsEnabled[0]);
    EXPECT_FALSE(port.peakButtonsEnabled[2]);
    EXPECT_TRUE(port.peakButtonsEnabled[30]);
    EXPECT_EQ(port.regionColours[3], RegionColour::Current);
    EXPECT_EQ(port.regionColours[0], RegionColour::Defined);
    EXPECT_EQ(port.regionColours[1], RegionColour::ButtonFace);
    EXPECT_FALSE(port.window(Window::Peak).visible);
    EXPECT_TRUE(port.window(Window::Spectrum).visible);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 4");
}

TEST_F(RegionOperationsTest, SelectingAnEmptyRegionShowsAnEmptyPlot) {
    port.drawings.clear();
    selectRegion(session, 7);
    EXPECT_EQ(port.regionColours[7], RegionColour::Current);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 8");
    EXPECT_EQ(port.drawings, std::vector<SpectrumDrawing>{SpectrumDrawing::Clear});
    EXPECT_EQ(port.yields, 1);
}

TEST_F(RegionOperationsTest, RefreshShowsStatisticsAndCaptions) {
    ws.regions[3].backgroundSet = kFalse;
    showButtons();
    EXPECT_EQ(port.chiTexts[0], shortNumberText(ws.regions[0].chiSquare));
    EXPECT_EQ(port.chiTexts[3], "0");
    EXPECT_EQ(port.chiTexts[5], "");
    EXPECT_EQ(port.peakButtonCaptions[1], "1");
    EXPECT_EQ(port.peakButtonCaptions[30], "");
}

TEST_F(RegionOperationsTest, DeletingTheMiddlePeakMovesTheLastSlotDown) {
    showButtons();
    port.showWindow(Window::Peak);
    ws.currentPeak = 1;
    deletePeak(session);
    const Region& r = ws.regions[0];
    EXPECT_EQ(r.peakCount, 2);
    EXPECT_EQ(r.peakSlots[0], 0);
    EXPECT_EQ(r.peakSlots[1], 2);
    EXPECT_FALSE(isTrue(ws.peaks[1].defined));
    EXPECT_TRUE(isTrue(ws.peaks[2].defined));  // keeps its index
    EXPECT_EQ(port.peakButtonCaptions[1], "2");
    EXPECT_EQ(port.peakButtonCaptions[2], "");
    EXPECT_FALSE(port.peakButtonsEnabled[2]);
    EXPECT_FALSE(port.window(Window::Peak).visible);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(RegionOperationsTest, DeletingAPeakReplacesItsStatisticInTheTotal) {
    ws.totalChiSquare = ws.regions[0].chiSquare + ws.regions[3].chiSquare;
    const float otherRegion = ws.regions[3].chiSquare;
    ws.currentPeak = 2;
    deletePeak(session);
    EXPECT_NEAR(ws.totalChiSquare, otherRegion + ws.regions[0].chiSquare, 1e-3);
    EXPECT_EQ(port.sumChiText, shortNumberText(ws.totalChiSquare));
    EXPECT_EQ(port.chiTexts[0], shortNumberText(ws.regions[0].chiSquare));
}

TEST_F(RegionOperationsTest, DeletingAReferenceUnlinksOnlyThatParameter) {
    ParamConstraint& area = ws.constraints[2].area;  // peak 2's area also tied to peak 0
    area.linked = kTrue;
    area.refPeak = 0;
    ws.constraints[0].area.isReference = kTrue;
    ParamConstraint& gl = ws.constraints[2].gl;  // and its %GL to peak 5 of another region
    gl.linked = kTrue;
    gl.refPeak = 5;
    ws.constraints[5].gl.isReference = kTrue;

    ws.currentPeak = 0;
    deletePeak(session);
    EXPECT_FALSE(isTrue(ws.constraints[1].position.linked));
    EXPECT_FALSE(isTrue(ws.constraints[2].area.linked));
    EXPECT_TRUE(isTrue(ws.constraints[2].gl.linked));
    EXPECT_FALSE(isTrue(ws.constraints[0].position.isReference));
    EXPECT_EQ(ws.peaks[1].position, 286.5f);  // keeps its value
}

TEST_F(RegionOperationsTest, DeletingATiedPeakLeavesTheReferenceWithTheLastStillTied) {
    for (int p : {2, 5}) {
        ParamConstraint& c = ws.constraints[p].position;
        c.linked = kTrue;
        c.refPeak = 0;
    }
    ws.constraints[0].position.tiedPeak = 5;
    ws.constraints[1].position.limited = kTrue;
    ws.currentPeak = 1;
    deletePeak(session);
    EXPECT_TRUE(isTrue(ws.constraints[0].position.isReference));
    EXPECT_EQ(ws.constraints[0].position.tiedPeak, 5);
    EXPECT_FALSE(isTrue(ws.constraints[1].position.linked));
    EXPECT_FALSE(isTrue(ws.constraints[1].position.limited));

    for (int p : {2, 5}) {
        ws.currentPeak = static_cast<short>(p);
        ws.currentRegion = ws.peaks[p].region;
        deletePeak(session);
    }
    EXPECT_FALSE(isTrue(ws.constraints[0].position.isReference));
}

TEST_F(RegionOperationsTest, DeletingAPeakOfAnotherRegionLeavesTheSlots) {
    ws.currentRegion = 0;
    ws.currentPeak = 5;
    deletePeak(session);
    EXPECT_EQ(ws.regions[0].peakCount, 3);
    EXPECT_EQ(ws.regions[3].peakCount, 1);  // the caller broke its promise: region 3 keeps its list
}

TEST_F(RegionOperationsTest, ClearParametersKeepsDataAndRange) {
    ws.regions[0].shift = 0.7f;
    const int rangeCount = ws.regions[0].rangeCount;
    port.drawings.clear();
    clearParameters(session);
    const Region& r = ws.regions[0];
    EXPECT_TRUE(isTrue(r.defined));
    EXPECT_FALSE(isTrue(r.backgroundSet));
    EXPECT_EQ(r.peakCount, 0);
    EXPECT_EQ(r.shift, 0.0f);
    EXPECT_EQ(r.chiSquare, 0.0f);
    EXPECT_EQ(r.caption.str(), std::string(20, ' '));
    EXPECT_EQ(r.rangeCount, rangeCount);
    EXPECT_EQ(r.pointCount, 121);
    for (int p : {0, 1, 2}) EXPECT_FALSE(isTrue(ws.peaks[p].defined));
    EXPECT_EQ(port.chiTexts[0], "0");
    EXPECT_FLOAT_EQ(ws.totalChiSquare, ws.regions[3].chiSquare);
    EXPECT_EQ(port.sumChiText, shortNumberText(ws.totalChiSquare));
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::RegionFrame);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(RegionOperationsTest, ClearParametersReportsAnotherRegionThatCannotBeComputed) {
    ws.peaks[5].fwhm = 0.0f;
    clearParameters(session);
    EXPECT_EQ(ws.regions[0].peakCount, 0);
    ASSERT_EQ(port.messages.size(), 1u);
}

TEST_F(RegionOperationsTest, DeleteRegionEmptiesItAndHidesItsDialogs) {
    port.showWindow(Window::Background);
    deleteRegion(session);
    EXPECT_FALSE(isTrue(ws.regions[0].defined));
    EXPECT_FALSE(port.window(Window::Background).visible);
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Region 1");
    EXPECT_EQ(port.drawings.back(), SpectrumDrawing::Clear);
    EXPECT_EQ(firstBrokenRule(ws), "");
}

TEST_F(RegionOperationsTest, BusyModeDisablesTheWindowsAndSetsTheStopFlag) {
    ws.stopRequested = kTrue;
    beginBusy(session);
    EXPECT_TRUE(port.busy);
    EXPECT_EQ(ws.stopRequested, 0);
    for (Window w : {Window::Spectrum, Window::Main, Window::Peak, Window::Constraint, Window::Background}) {
        EXPECT_FALSE(port.window(w).enabled);
    }
    EXPECT_TRUE(port.window(Window::Fitting).enabled);
    endBusy(session);
    EXPECT_FALSE(port.busy);
    EXPECT_EQ(ws.stopRequested, kTrue);
    EXPECT_TRUE(port.window(Window::Main).enabled);
}

}  // namespace
}  // namespace vortlan
