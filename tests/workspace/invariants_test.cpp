#include "workspace/invariants.h"

#include <gtest/gtest.h>

#include "support/synthetic_region.h"

namespace vortlan {
namespace {

class InvariantsTest : public ::testing::Test {
protected:
    InvariantsTest() {
        testing::makeRegion(ws, 1, 50, 300.0f, 0.1f, [](double) { return 10.0; });
        ws.regions[1].rangeCount = 50;
        testing::addPeak(ws, 1, 3, 297.0f, 10.0f, 1.0f);
        testing::addPeak(ws, 1, 8, 296.0f, 10.0f, 1.0f);
    }
    Workspace ws;
};

TEST_F(InvariantsTest, ASoundWorkspaceBreaksNoRule) { EXPECT_EQ(firstBrokenRule(ws), ""); }

TEST_F(InvariantsTest, EachBrokenRuleIsFoundAndMended) {
    struct Case {
        const char* what;
        void (*breakIt)(Workspace&);
    };
    const Case cases[] = {
        {"point count beyond the arrays", [](Workspace& w) { w.regions[1].pointCount = 60; }},
        {"range count beyond the points", [](Workspace& w) { w.regions[1].rangeCount = 51; }},
        {"slot outside the table", [](Workspace& w) { w.regions[1].peakSlots[1] = 70; }},
        {"slot naming a free peak", [](Workspace& w) { w.peaks[8].defined = kFalse; }},
        {"peak of another region", [](Workspace& w) { w.peaks[8].region = 2; }},
        {"peak listed twice", [](Workspace& w) { w.regions[1].peakSlots[1] = 3; }},
        {"peak listed nowhere", [](Workspace& w) { w.peaks[20] = w.peaks[3]; }},
        {"averaging of four points", [](Workspace& w) { w.regions[1].averagePoints = 4; }},
        {"%GL above 100", [](Workspace& w) { w.peaks[3].gl = 140; }},
        {"short curve", [](Workspace& w) { w.peaks[3].curve.allocate(10); }},
        {"reference outside the table", [](Workspace& w) { w.constraints[40].fwhm.refPeak = -2; }},
        {"unknown operator", [](Workspace& w) { w.constraints[3].area.op = 9; }},
        {"current region", [](Workspace& w) { w.currentRegion = 10; }},
        {"area scroll unit", [](Workspace& w) { w.areaScrollUnit = 0; }},
    };
    for (const Case& c : cases) {
        Workspace broken = ws;
        c.breakIt(broken);
        EXPECT_NE(firstBrokenRule(broken), "") << c.what;
        restoreInvariants(broken);
        EXPECT_EQ(firstBrokenRule(broken), "") << c.what;
    }
}

TEST_F(InvariantsTest, MendingKeepsWhatIsSound) {
    ws.peaks[8].gl = 300;
    ws.constraints[3].position.linked = kTrue;
    ws.constraints[3].position.refPeak = 99;
    restoreInvariants(ws);
    EXPECT_TRUE(isTrue(ws.regions[1].defined));
    EXPECT_EQ(ws.regions[1].peakCount, 1);
    EXPECT_EQ(ws.regions[1].peakSlots[0], 3);
    EXPECT_FALSE(isTrue(ws.peaks[8].defined));
    EXPECT_FALSE(isTrue(ws.constraints[3].position.linked));
}

TEST_F(InvariantsTest, EmptySlotsMayHoldAnything) {
    ws.regions[5].pointCount = -7;
    ws.regions[5].peakCount = 99;
    EXPECT_EQ(firstBrokenRule(ws), "");
}

}  // namespace
}  // namespace vortlan
