#include "model/propagation.h"

#include <gtest/gtest.h>

#include "base/checked_math.h"

namespace vortlan {
namespace {

class PropagationTest : public ::testing::Test {
  protected:
    PropagationTest() {
        for (Peak& p : ws.peaks) {
            p.defined = kTrue;
            p.fwhm = 1.0f;
            p.area = 100.0f;
        }
    }
    // Ties the parameter of peak `tied` to `reference`.
    void tie(PeakParam param, int tied, int reference, ConstraintOp op, float operand) {
        ParamConstraint& c = ws.constraints[tied].of(param);
        c.linked = kTrue;
        c.refPeak = static_cast<short>(reference);
        c.op = static_cast<short>(op);
        c.operand = operand;
        ws.constraints[reference].of(param).isReference = kTrue;
    }
    Workspace ws;
};

TEST_F(PropagationTest, ChangeFollowsEveryChainFromItsReference) {
    tie(PeakParam::Position, 2, 1, ConstraintOp::Add, 1.5f);
    tie(PeakParam::Position, 5, 1, ConstraintOp::Subtract, 2.0f);
    tie(PeakParam::Position, 7, 5, ConstraintOp::Add, 0.5f);
    tie(PeakParam::Position, 3, 7, ConstraintOp::Multiply, 1.0f);
    ws.peaks[1].position = 285.0f;
    propagate(ws, PeakParam::Position, 1);
    EXPECT_EQ(ws.peaks[2].position, 286.5f);
    EXPECT_EQ(ws.peaks[5].position, 283.0f);
    EXPECT_EQ(ws.peaks[7].position, 283.5f);
    EXPECT_EQ(ws.peaks[3].position, 283.5f);  // lower number, but after its reference
    EXPECT_EQ(ws.peaks[1].position, 285.0f);
}

TEST_F(PropagationTest, GlRoundsHalfToEvenAndStaysWithinItsRange) {
    tie(PeakParam::Gl, 4, 0, ConstraintOp::Multiply, 0.5f);
    tie(PeakParam::Gl, 6, 0, ConstraintOp::Add, 70.0f);
    tie(PeakParam::Gl, 8, 0, ConstraintOp::Subtract, 60.0f);
    const std::pair<short, short> halves[] = {{45, 22}, {47, 24}};
    for (auto [reference, expected] : halves) {
        ws.peaks[0].gl = reference;
        propagate(ws, PeakParam::Gl, 0);
        EXPECT_EQ(ws.peaks[4].gl, expected);
    }
    EXPECT_EQ(ws.peaks[6].gl, 100);
    EXPECT_EQ(ws.peaks[8].gl, 0);
}

TEST_F(PropagationTest, AreaAndWidthStayWhereTheShapesCanTakeThem) {
    tie(PeakParam::Area, 3, 0, ConstraintOp::Subtract, 500.0f);
    tie(PeakParam::Fwhm, 3, 0, ConstraintOp::Subtract, 2.0f);
    propagate(ws, PeakParam::Area, 0);
    propagate(ws, PeakParam::Fwhm, 0);
    EXPECT_EQ(ws.peaks[3].area, 0.0f);
    EXPECT_EQ(ws.peaks[3].fwhm, kMinimumTiedFwhm);
}

TEST_F(PropagationTest, DivisionByZeroEndsTheCommand) {
    tie(PeakParam::Area, 3, 0, ConstraintOp::Divide, 0.0f);
    EXPECT_THROW(propagate(ws, PeakParam::Area, 0), ComputationFault);
}

TEST_F(PropagationTest, UndefinedPeaksAreSkippedByPropagationOnly) {
    tie(PeakParam::Fwhm, 9, 0, ConstraintOp::Multiply, 2.0f);
    ws.peaks[9].defined = kFalse;
    ws.peaks[0].fwhm = 1.4f;
    propagate(ws, PeakParam::Fwhm, 0);
    EXPECT_EQ(ws.peaks[9].fwhm, 1.0f);
    applyAllRelations(ws);
    EXPECT_EQ(ws.peaks[9].fwhm, 2.8f);
}

TEST_F(PropagationTest, OnePassLeavesAChainOneStepBehind) {
    // t = 1 tied to r = 2 tied to q = 4: r is visited before q.
    tie(PeakParam::Position, 1, 2, ConstraintOp::Add, 1.0f);
    tie(PeakParam::Position, 2, 4, ConstraintOp::Add, 1.0f);
    ws.peaks[4].position = 100.0f;
    applyAllRelations(ws);
    EXPECT_EQ(ws.peaks[2].position, 101.0f);
    EXPECT_EQ(ws.peaks[1].position, 1.0f);
    applyAllRelations(ws);
    EXPECT_EQ(ws.peaks[1].position, 102.0f);
}

TEST_F(PropagationTest, StoredCycleEndsWithoutRewritingTheChangedPeak) {
    tie(PeakParam::Position, 2, 1, ConstraintOp::Add, 1.0f);
    tie(PeakParam::Position, 1, 2, ConstraintOp::Add, 1.0f);  // only a damaged file can hold this
    ws.peaks[1].position = 10.0f;
    propagate(ws, PeakParam::Position, 1);
    EXPECT_EQ(ws.peaks[1].position, 10.0f);
    EXPECT_EQ(ws.peaks[2].position, 11.0f);
}

}  // namespace
}  // namespace vortlan
