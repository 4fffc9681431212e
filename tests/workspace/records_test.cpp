#include <gtest/gtest.h>

#include <stdexcept>

#include "workspace/records.h"
#include "workspace/resize.h"

namespace vortlan {
namespace {

TEST(PointArray, HoldsOneMoreElementThanItsCountAndKnowsHavingNoStorage) {
    PointArray array;
    EXPECT_FALSE(array.hasStorage());
    EXPECT_EQ(array.bound(), -1);
    EXPECT_FALSE(array.holds(0));
    array.allocate(0);
    EXPECT_TRUE(array.hasStorage());
    EXPECT_TRUE(array.holds(0));
    EXPECT_FALSE(array.holds(1));
    array.allocate(300);
    EXPECT_EQ(array.storage().size(), 301u);
    EXPECT_TRUE(array.holds(300));
}

TEST(Resize, RegionArraysAllGetTheNewBoundAndLoseTheirContents) {
    Workspace ws;
    resizeRegionArrays(ws, 3, 10);
    Region& r = ws.regions[3];
    r.counts[10] = 5.0f;
    resizeRegionArrays(ws, 3, 250);
    for (const PointArray* array : {&r.energy, &r.counts, &r.rangeEnergy, &r.rangeCounts, &r.baseLine,
                                    &r.background, &r.envelope, &r.residual}) {
        EXPECT_EQ(array->bound(), 250);
    }
    EXPECT_EQ(r.counts[10], 0.0f);
    EXPECT_FALSE(ws.regions[2].energy.hasStorage());
}

TEST(Resize, PeakCurveGoesWithItsBackup) {
    Workspace ws;
    resizePeakCurve(ws, 50, 77);
    EXPECT_EQ(ws.peaks[50].curve.bound(), 77);
    EXPECT_EQ(ws.peakBackup[50].curve.bound(), 77);
    EXPECT_FALSE(ws.peaks[49].curve.hasStorage());
}

TEST(Resize, IndexesOutsideTheTablesAreRefused) {
    Workspace ws;
    EXPECT_THROW(resizeRegionArrays(ws, kRegionCount, 5), std::out_of_range);
    EXPECT_THROW(resizePeakCurve(ws, kPeakCount, 5), std::out_of_range);
    ws.currentRegion = -1;
    EXPECT_THROW(currentRegionOf(ws), std::out_of_range);
}

TEST(PeakConstraints, ParametersInStoredOrder) {
    PeakConstraints c;
    c.of(PeakParam::Position).operand = 1;
    c.of(PeakParam::Area).operand = 2;
    c.of(PeakParam::Fwhm).operand = 3;
    c.of(PeakParam::Gl).operand = 4;
    EXPECT_EQ(c.position.operand, 1);
    EXPECT_EQ(c.area.operand, 2);
    EXPECT_EQ(c.fwhm.operand, 3);
    EXPECT_EQ(c.gl.operand, 4);
}

}  // namespace
}  // namespace vortlan
