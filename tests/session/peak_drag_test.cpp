#include "session/peak_drag.h"

#include <gtest/gtest.h>

#include "session/peak_dialog.h"
#include "support/fitted_session.h"
#include "support/same_workspace.h"

namespace vortlan {
namespace {

// Region 0 runs from 292 down to 280 eV; peak 0 (285 eV) is a singlet whose position peak 1 follows at
// +1.5 eV.
class PeakDragTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    double topCounts(int peak) { return peakTop(ws, peak).value_or(UserPoint{}).y; }
    Workspace& ws = session.workspace;
    PeakDialog& dialog = session.dialogs.peak;
};

TEST_F(PeakDragTest, ADragLeavesWhatTypingTheSameNumbersAndReDrawLeave) {
    testing::FittedSession typed;
    PeakDialog& typedDialog = typed.session.dialogs.peak;
    openPeakDialog(session, 0);
    openPeakDialog(typed.session, 0);
    // A width typed but not yet taken shapes the dragged peak as ReDraw takes it.
    dialog.FWHMVal = typedDialog.FWHMVal = "1.4";
    const std::string chi = port.chiTexts[0];
    ASSERT_TRUE(dragPeakTop(session, {284.37, 900}));
    EXPECT_EQ(ws.peaks[0].position, 284.37f);
    EXPECT_NEAR(topCounts(0), 900, 0.01);
    EXPECT_EQ(ws.peaks[1].position, static_cast<float>(ws.peaks[0].position + 1.5));  // the tie holds
    EXPECT_NE(port.chiTexts[0], chi);

    typedDialog.PosVal = dialog.PosVal;
    typedDialog.AreaVal = dialog.AreaVal;
    redrawPeakDialog(typed.session);
    testing::expectSameWorkspace(ws, typed.session.workspace);
    EXPECT_EQ(port.chiTexts, typed.port.chiTexts);
    for (auto box : {&PeakDialog::PosVal, &PeakDialog::AreaVal, &PeakDialog::AreaErr, &PeakDialog::ActFWHM})
        EXPECT_EQ(dialog.*box, typedDialog.*box);

    cancelPeakDialog(session);  // Cancel still decides
    EXPECT_TRUE(ws.peaks[0] == ws.peakBackup[0]);
}

TEST_F(PeakDragTest, FixedAndTiedValuesStayWhereTheyAre) {
    openPeakDialog(session, 1);  // its position follows peak 0: only its height moves
    const float tiedPosition = ws.peaks[1].position;
    ASSERT_TRUE(dragPeakTop(session, {283.0, 500}));
    EXPECT_EQ(ws.peaks[1].position, tiedPosition);
    EXPECT_NEAR(topCounts(1), 500, 0.01);
    acceptPeakDialog(session);

    openPeakDialog(session, 0);
    dialog.ChkArea = 1;
    fixChanged(session, PeakParam::Area);
    ASSERT_TRUE(dragPeakTop(session, {284.5, 300}));
    EXPECT_EQ(ws.peaks[0].position, 284.5f);
    EXPECT_EQ(ws.peaks[0].area, 1100.0f);
    dialog.ChkArea = 0;
    fixChanged(session, PeakParam::Area);
    dialog.ChkPos = 1;
    fixChanged(session, PeakParam::Position);
    ASSERT_TRUE(dragPeakTop(session, {286.5, 700}));
    EXPECT_EQ(ws.peaks[0].position, 284.5f);
    EXPECT_NEAR(topCounts(0), 700, 0.01);
}

TEST_F(PeakDragTest, TheTopStaysInTheRangeAboveTheBackgroundAndRefusedBoxesEndTheDrag) {
    ws.peaks[0].position = ws.regions[0].rangeEnergy[71];  // at a range point the drawn curve holds the top
    updateRegionCurves(ws, port);
    EXPECT_NEAR(topCounts(0), ws.peaks[0].curve[71], 1e-3);
    openPeakDialog(session, 0);
    ASSERT_TRUE(dragPeakTop(session, {250.0, -1000}));
    EXPECT_EQ(ws.peaks[0].position, ws.regions[0].rangeEnergy[ws.regions[0].rangeCount]);
    EXPECT_EQ(ws.peaks[0].area, 0.0f);
    ASSERT_TRUE(dragPeakTop(session, {400.0, 1e39}));  // beyond a single: the area stays
    EXPECT_EQ(ws.peaks[0].position, ws.regions[0].rangeEnergy[1]);
    EXPECT_EQ(ws.peaks[0].area, 0.0f);

    const Peak before = ws.peaks[0];
    dialog.FWHMVal = "0";
    EXPECT_FALSE(dragPeakTop(session, {284.0, 500}));
    EXPECT_EQ(port.messages.back(), "FWHM must be >0");
    EXPECT_TRUE(ws.peaks[0] == before);
    ws.peaks[0].position = 300.0f;  // beyond the range: no top to grab
    EXPECT_FALSE(peakTop(ws, 0));
    EXPECT_FALSE(peakTop(ws, 6));  // a free entry
}

}  // namespace
}  // namespace vortlan
