// The total statistic (the main window's sum) after every command that changes a region's curves: it is
// the sum of the statistics of the regions with an accepted background, as their chi boxes show them.

#include <gtest/gtest.h>

#include "base/number_reading.h"
#include "base/number_text.h"
#include "session/background_dialog.h"
#include "session/import_vamas.h"
#include "session/peak_dialog.h"
#include "session/project.h"
#include "session/region_operations.h"
#include "session/region_parameters.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"

namespace vortlan {
namespace {

class TotalChiSquareTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    void expectTotalIsTheSum(const char* road) {
        float sum = 0.0f;
        for (int region = 0; region < kRegionCount; ++region) {
            const Region& r = ws.regions[region];
            if (!isTrue(r.defined) || !isTrue(r.backgroundSet)) continue;
            sum += r.chiSquare;
            EXPECT_EQ(shown(port.chiTexts[region]), shown(r.chiSquare)) << road << ", region " << region;
        }
        EXPECT_FLOAT_EQ(ws.totalChiSquare, sum) << road;
        EXPECT_EQ(shown(port.sumChiText), shown(sum)) << road;
    }
    // A statistic as a box shows it, to its seven digits, whichever of the two forms the box has.
    static double shown(const std::string& text) { return leadingNumber(text); }
    static double shown(float value) { return leadingNumber(shortNumberText(value)); }

    // A peak moved and drawn from its dialog, then the dialog left by `leave`.
    template <typename Leave>
    void movePeakAndLeave(Leave leave) {
        openPeakDialog(session, 0);
        session.dialogs.peak.PosVal = "284.2";
        redrawPeakDialog(session);
        leave(session);
    }

    Workspace& ws = session.workspace;
    testing::TempDir directory;
};

TEST_F(TotalChiSquareTest, PeakDialogRoads) {
    refreshRegionDisplays(session);
    expectTotalIsTheSum("start");
    for (int i = 0; i < 5; ++i) movePeakAndLeave(closePeakDialog);
    expectTotalIsTheSum("close box");
    movePeakAndLeave(cancelPeakDialog);
    expectTotalIsTheSum("Cancel");
    movePeakAndLeave(acceptPeakDialog);
    expectTotalIsTheSum("Accept");
    openPeakDialog(session, 1);
    deletePeakFromDialog(session);
    expectTotalIsTheSum("Delete Peak");
}

TEST_F(TotalChiSquareTest, RegionRoads) {
    ws.totalChiSquare = 1750.6f;  // a total gone astray is put right by the next command
    openBackgroundDialog(session);
    session.dialogs.background.LBE = "281";
    ASSERT_TRUE(acceptBackground(session));
    expectTotalIsTheSum("background Accept");

    ws.currentRegion = 3;
    clearParameters(session);
    expectTotalIsTheSum("Clear Parameters");
    ws.currentRegion = 0;
    deleteRegion(session);
    expectTotalIsTheSum("Delete Region");
}

TEST_F(TotalChiSquareTest, LoadRoads) {
    ws.fileName = directory.file("fitted.xps");
    ws.totalChiSquare = 1750.6f;  // stored as it stands: the reader does not trust it
    ASSERT_TRUE(saveProject(session));
    ASSERT_TRUE(openProject(session));
    expectTotalIsTheSum("Open XPS");

    ws.fileName = directory.file("c1s.rpa");
    ASSERT_TRUE(saveRegionParameters(session));
    ws.totalChiSquare = 1750.6f;
    ASSERT_TRUE(loadRegionParameters(session));
    expectTotalIsTheSum("Load Region Parameters");

    ws.fileName = std::string(VORTLAN_SOURCE_DIR) + "/examples/c1s.vms";
    ASSERT_TRUE(importVamas(session));
    expectTotalIsTheSum("Import (VAMAS)");
}

}  // namespace
}  // namespace vortlan
