#include "session/peak_drag.h"

#include <gtest/gtest.h>

#include "base/number_text.h"
#include "session/peak_dialog.h"
#include "support/fitted_session.h"
#include "support/same_workspace.h"

namespace vortlan {
namespace {

// Region 0 runs from 292 down to 280 eV; peak 0 (285 eV) is a singlet and peak 1's position follows it
// at +1.5 eV.
class PeakDragTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    void open(int slot) { openPeakDialog(session, slot); }
    // The peak's top as the plot draws it; a test failure rather than a crash when there is none.
    UserPoint top(int peak) {
        const auto t = peakTop(ws, peak);
        EXPECT_TRUE(t) << peak;
        return t.value_or(UserPoint{});
    }
    Workspace& ws = session.workspace;
    PeakDialog& dialog = session.dialogs.peak;
};

TEST_F(PeakDragTest, ThePeaksTopIsWhereThePlotDrawsItsCurve) {
    const Region& r = ws.regions[0];
    const int i = 71;  // a range point near 285 eV
    ws.peaks[0].position = r.rangeEnergy[i];
    updateRegionCurves(ws, port);
    const UserPoint t = top(0);
    EXPECT_EQ(t.x, r.rangeEnergy[i]);
    EXPECT_NEAR(t.y, ws.peaks[0].curve[i], 1e-3);
    EXPECT_GT(t.y, ws.peaks[0].curve[i - 1]);
    EXPECT_GT(t.y, ws.peaks[0].curve[i + 1]);

    ws.regions[0].shift = 0.25f;  // the plot draws the peak moved by the region's shift
    EXPECT_NEAR(top(0).x, r.rangeEnergy[i] + 0.25, 1e-5);
    ws.peaks[0].position = 300.0f;  // beyond the range: nothing there to grab
    EXPECT_FALSE(peakTop(ws, 0));
    EXPECT_FALSE(peakTop(ws, 6));  // a free entry of the peak table
}

TEST_F(PeakDragTest, TheTopFollowsThePointerAndTiedPeaksFollowTheTop) {
    open(0);
    const std::string chi = port.chiTexts[0];
    ASSERT_TRUE(dragPeakTop(session, {284.37, 900}));
    const Peak& p = ws.peaks[0];
    EXPECT_EQ(p.position, 284.37f);
    EXPECT_NEAR(top(0).y, 900, 0.01);
    EXPECT_EQ(dialog.PosVal, exactNumberText(p.position));
    EXPECT_EQ(dialog.AreaVal, exactNumberText(p.area));
    EXPECT_NE(port.chiTexts[0], chi);  // the chi box follows the drag
    EXPECT_TRUE(port.window(Window::Peak).visible);
    EXPECT_EQ(ws.peaks[1].position, static_cast<float>(p.position + 1.5));

    // Back where it was opened: Cancel still puts back what the dialog opened with.
    cancelPeakDialog(session);
    EXPECT_EQ(p.position, 285.0f);
    EXPECT_EQ(p.area, 1100.0f);
}

TEST_F(PeakDragTest, ADragLeavesWhatTypingTheSameNumbersAndReDrawLeave) {
    testing::FittedSession typed;
    PeakDialog& typedDialog = typed.session.dialogs.peak;
    open(0);
    openPeakDialog(typed.session, 0);
    // A width typed but not yet taken shapes the dragged peak as ReDraw would take it.
    dialog.FWHMVal = typedDialog.FWHMVal = "1.4";
    ASSERT_TRUE(dragPeakTop(session, {285.62, 640}));
    typedDialog.PosVal = dialog.PosVal;
    typedDialog.AreaVal = dialog.AreaVal;
    redrawPeakDialog(typed.session);

    testing::expectSameWorkspace(ws, typed.session.workspace);
    EXPECT_EQ(port.chiTexts, typed.port.chiTexts);
    EXPECT_EQ(port.sumChiText, typed.port.sumChiText);
    for (auto box : {&PeakDialog::PosVal, &PeakDialog::AreaVal, &PeakDialog::FWHMVal, &PeakDialog::PosErr,
                     &PeakDialog::AreaErr, &PeakDialog::ActFWHM})
        EXPECT_EQ(dialog.*box, typedDialog.*box);
    EXPECT_EQ(ws.peaks[0].fwhm, 1.4f);
}

TEST_F(PeakDragTest, FixedAndTiedValuesStayWhereTheyAre) {
    // Peak 1's position follows peak 0: only its height moves.
    open(1);
    EXPECT_FALSE(peakDragAxes(ws, 1).position);
    const float tiedPosition = ws.peaks[1].position;
    ASSERT_TRUE(dragPeakTop(session, {283.0, 500}));
    EXPECT_EQ(ws.peaks[1].position, tiedPosition);
    EXPECT_NEAR(top(1).y, 500, 0.01);
    acceptPeakDialog(session);

    // A fixed area keeps the height; a fixed position the position.
    open(0);
    dialog.ChkArea = 1;
    fixChanged(session, PeakParam::Area);
    EXPECT_TRUE(peakDragAxes(ws, 0).position);
    EXPECT_FALSE(peakDragAxes(ws, 0).height);
    ASSERT_TRUE(dragPeakTop(session, {284.5, 300}));
    EXPECT_EQ(ws.peaks[0].position, 284.5f);
    EXPECT_EQ(ws.peaks[0].area, 1100.0f);
    dialog.ChkArea = 0;
    fixChanged(session, PeakParam::Area);
    dialog.ChkPos = 1;
    fixChanged(session, PeakParam::Position);
    ASSERT_TRUE(dragPeakTop(session, {286.5, 700}));
    EXPECT_EQ(ws.peaks[0].position, 284.5f);
    EXPECT_NEAR(top(0).y, 700, 0.01);
}

TEST_F(PeakDragTest, TheTopStaysInsideTheRangeAndAboveTheBackground) {
    open(0);
    ASSERT_TRUE(dragPeakTop(session, {250.0, -1000}));
    EXPECT_EQ(ws.peaks[0].position, ws.regions[0].rangeEnergy[ws.regions[0].rangeCount]);
    EXPECT_EQ(ws.peaks[0].area, 0.0f);
    EXPECT_EQ(ws.peaks[0].height, 0.0f);
    ASSERT_TRUE(dragPeakTop(session, {400.0, 1e39}));  // beyond a single: the area stays
    EXPECT_EQ(ws.peaks[0].position, ws.regions[0].rangeEnergy[1]);
    EXPECT_EQ(ws.peaks[0].area, 0.0f);
}

TEST_F(PeakDragTest, BoxesTheDialogCannotTakeEndTheDragWithItsMessage) {
    open(0);
    const Peak opened = ws.peaks[0];
    dialog.FWHMVal = "0";
    EXPECT_FALSE(dragPeakTop(session, {284.0, 500}));
    EXPECT_EQ(port.messages.back(), "FWHM must be >0");
    EXPECT_TRUE(ws.peaks[0] == opened);
}

}  // namespace
}  // namespace vortlan
