#include <gtest/gtest.h>

#include "session/region_dialogs.h"
#include "session/startup.h"
#include "support/fitted_session.h"
#include "support/temp_dir.h"

namespace vortlan {
namespace {

TEST(StartUp, EmptyWorkspaceDialogsWithTheirTextsAndLists) {
    RecordingPort port;
    Session session(port);
    session.workspace.regions[2].defined = kTrue;
    session.dialogs.peak.PosVal = "123";
    startUp(session);
    const Dialogs& d = session.dialogs;
    EXPECT_FALSE(isTrue(session.workspace.regions[2].defined));
    EXPECT_EQ(session.workspace.fileName, "default.opa");
    EXPECT_EQ(d.background.BGList, (std::vector<std::string>{"Shirley", "Linear", "Tougaard"}));
    EXPECT_EQ(d.background.AverPtList, (std::vector<std::string>{"None", "3", "5", "7", "9"}));
    EXPECT_EQ(d.peak.PeakTypeList, (std::vector<std::string>{"s", "p", "d", "f"}));
    EXPECT_EQ(d.constraint.ArgTypeList, (std::vector<std::string>{"+", "-", "*", "/"}));
    EXPECT_EQ(d.peak.PosVal, "0");
    EXPECT_EQ(d.peak.AreaVal, "100");
    EXPECT_EQ(d.peak.TLVal, "1");
    EXPECT_EQ(d.peak.ActFWHM, "---");
    EXPECT_EQ(d.background.TouB1, "3000");
    EXPECT_EQ(d.background.Area, "-----");
    EXPECT_EQ(d.regionShift.ShiftText, "0");
    EXPECT_EQ(d.constraint.ArgType, "+");
    EXPECT_EQ(port.window(Window::Main).caption, "Vortlan Processing");
    EXPECT_EQ(port.window(Window::Spectrum).caption, "Vortlan Fit");
    EXPECT_TRUE(port.window(Window::Spectrum).visible);
    EXPECT_FALSE(port.window(Window::Options).visible);
    EXPECT_FALSE(d.options.SearchTrial.empty());  // filled from the options in force
    for (bool enabled : port.peakButtonsEnabled) EXPECT_FALSE(enabled);
}

class RegionDialogsTest : public ::testing::Test, protected testing::FittedSession {};

TEST_F(RegionDialogsTest, ShiftTakesTheLeadingNumberAtTheNextComputation) {
    session.workspace.regions[0].shift = 0.5f;
    openRegionShiftDialog(session);
    EXPECT_EQ(session.dialogs.regionShift.ShiftText, "0.5");
    EXPECT_TRUE(port.window(Window::RegionShift).visible);
    const float chi = session.workspace.regions[0].chiSquare;
    session.dialogs.regionShift.ShiftText = "-1.25 eV";
    acceptRegionShift(session);
    EXPECT_EQ(session.workspace.regions[0].shift, -1.25f);
    EXPECT_EQ(session.workspace.regions[0].chiSquare, chi);  // nothing recomputed yet
    EXPECT_FALSE(port.window(Window::RegionShift).visible);
    session.dialogs.regionShift.ShiftText = "shift";
    acceptRegionShift(session);
    EXPECT_EQ(session.workspace.regions[0].shift, 0.0f);
}

TEST_F(RegionDialogsTest, ShiftBeyondASingleIsRefused) {
    openRegionShiftDialog(session);
    session.dialogs.regionShift.ShiftText = "1e300";
    acceptRegionShift(session);
    EXPECT_EQ(port.messages, std::vector<std::string>{"Overflow"});
    EXPECT_TRUE(port.window(Window::RegionShift).visible);
    EXPECT_EQ(session.workspace.regions[0].shift, 0.0f);
}

TEST_F(RegionDialogsTest, CaptionKeepsTwentyCharactersAndRedraws) {
    openRegionCaptionDialog(session);
    EXPECT_EQ(session.dialogs.regionCaption.Text, "C 1s                ");
    session.dialogs.regionCaption.Text = "C 1s after annealing at 600 K";
    port.drawings.clear();
    acceptRegionCaption(session);
    EXPECT_EQ(session.workspace.regions[0].caption.str(), "C 1s after annealing");
    EXPECT_EQ(port.drawings, (std::vector<SpectrumDrawing>{SpectrumDrawing::RegionFrame, SpectrumDrawing::FittedCurves}));
    session.workspace.currentRegion = 6;
    port.drawings.clear();
    acceptRegionCaption(session);
    EXPECT_TRUE(port.drawings.empty());  // an empty region has nothing to draw
}

}  // namespace
}  // namespace vortlan
