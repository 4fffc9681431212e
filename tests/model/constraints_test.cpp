#include "model/constraints.h"

#include <gtest/gtest.h>

#include "support/fitted_session.h"

namespace vortlan {
namespace {

// Region 0 spans 280..292 eV, region 3 530..538 eV.
TEST(NormalizeLimits, CorrectsEachParameterIntoItsAllowedSpan) {
    struct Row {
        PeakParam param;
        int peak;
        float low, high;
        float wantLow, wantHigh;
    };
    const Row rows[] = {
        {PeakParam::Position, 0, 0, 0, 280, 292},  // never set: the whole span
        {PeakParam::Position, 5, 0, 0, 530, 538},  // the peak's own region, not the current one
        {PeakParam::Position, 0, 279.9995f, 292.0005f, 279.9995f, 292.0005f},
        {PeakParam::Position, 0, 293, 279, 280, 292},
        {PeakParam::Area, 0, -1, -5, 0, 0},
        {PeakParam::Gl, 0, -1, 101, 0, 100},
        {PeakParam::Gl, 0, 101, -1, 0, 100},
    };
    for (const Row& row : rows) {
        testing::FittedSession f;
        Workspace& ws = f.session.workspace;
        ParamConstraint& c = ws.constraints[row.peak].of(row.param);
        c.low = row.low;
        c.high = row.high;
        normalizeLimits(ws, row.peak, row.param);
        EXPECT_EQ(c.low, row.wantLow) << static_cast<int>(row.param) << " " << row.low;
        EXPECT_EQ(c.high, row.wantHigh) << static_cast<int>(row.param) << " " << row.high;
    }
}

TEST(FormsCycle, FollowsTheChainOfTheSameParameter) {
    testing::FittedSession f;  // peak 1's position tied to peak 0
    Workspace& ws = f.session.workspace;
    auto link = [&](int peak, PeakParam param, int ref) {
        ws.constraints[peak].of(param).linked = kTrue;
        ws.constraints[peak].of(param).refPeak = static_cast<short>(ref);
    };
    link(2, PeakParam::Position, 1);
    link(3, PeakParam::Gl, 4);  // a stored loop that avoids the peaks edited below
    link(4, PeakParam::Gl, 3);
    link(6, PeakParam::Gl, 60);  // a reference from outside the table

    EXPECT_TRUE(formsCycle(ws, PeakParam::Position, 0, 2));
    EXPECT_FALSE(formsCycle(ws, PeakParam::Position, 5, 2));
    EXPECT_FALSE(formsCycle(ws, PeakParam::Position, 0, 5));
    EXPECT_FALSE(formsCycle(ws, PeakParam::Area, 0, 2));
    EXPECT_TRUE(formsCycle(ws, PeakParam::Gl, 0, 3));
    EXPECT_TRUE(formsCycle(ws, PeakParam::Gl, 0, 6));
}

}  // namespace
}  // namespace vortlan
