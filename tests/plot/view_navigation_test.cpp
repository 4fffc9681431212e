#include "plot/view_navigation.h"

#include <gtest/gtest.h>

#include "support/synthetic_region.h"

namespace vortlan {
namespace {

// 290 down to 280 eV, 100 to 1100 counts.
class ViewNavigationTest : public ::testing::Test {
  protected:
    ViewNavigationTest() {
        testing::makeRegion(ws, 0, 101, 290.0f, 0.1f, testing::gaussianOn(100, 285, 1000, 1.2));
    }
    Workspace ws;
    const Region& r = ws.regions[0];
};

void expectView(const PlotView& v, double eLow, double eHigh, double cLow, double cHigh) {
    EXPECT_TRUE(v.zoomed);
    EXPECT_NEAR(v.energyLow, eLow, 1e-6);
    EXPECT_NEAR(v.energyHigh, eHigh, 1e-6);
    EXPECT_NEAR(v.countsLow, cLow, 1e-3);
    EXPECT_NEAR(v.countsHigh, cHigh, 1e-3);
}

TEST_F(ViewNavigationTest, ARectangleIsKeptInsideTheRegionAndDegenerateOnesAreRefused) {
    expectView(*zoomedTo(r, {283, 300}, {286, 900}), 283, 286, 300, 900);
    expectView(*zoomedTo(r, {295, 2000}, {284, 500}), 284, 290, 500, 1100);  // into the margins
    EXPECT_FALSE(zoomedTo(r, {300, -50}, {270, 5000})->zoomed);              // all of it: no zoom
    // Closer than the magnification limit: widened about its centre.
    expectView(*zoomedTo(r, {285.001, 500.1}, {285, 500}), 284.9955, 285.0055, 499.55, 500.55);
    EXPECT_FALSE(zoomedTo(r, {285, 300}, {285, 900}));  // no width
    EXPECT_FALSE(zoomedTo(r, {286, 500}, {283, 500}));  // no height
    EXPECT_FALSE(zoomedTo(r, {300, 500}, {295, 900}));  // beside the region
    const Region& one = testing::makeRegion(ws, 1, 1, 285.0f, 0.1f, [](double) { return 10.0; });
    EXPECT_FALSE(zoomedTo(one, {286, 0}, {284, 20}));
    EXPECT_FALSE(zoomedAbout(one, PlotView{}, {285, 10}, 0.5).zoomed);
}

TEST_F(ViewNavigationTest, WheelAndPanKeepThePointerAndStopAtTheEdgesAndTheLimit) {
    const PlotView v = zoomedAbout(r, PlotView{}, {288, 350}, 0.5);
    expectView(v, 284, 289, 225, 725);                      // 288 eV stays 4/5 of the way along
    EXPECT_FALSE(zoomedAbout(r, v, {288, 350}, 3).zoomed);  // out as far as the whole region
    expectView(zoomedAbout(r, *zoomedTo(r, {280, 100}, {282, 300}), {281, 200}, 2), 280, 284, 100, 500);
    PlotView close;
    for (int notch = 0; notch < 100; ++notch) close = zoomedAbout(r, close, {285, 600}, 0.5);
    EXPECT_NEAR(close.energyHigh - close.energyLow, 0.01, 1e-9);
    EXPECT_EQ(zoomedAbout(r, close, {285, 600}, 0.0).energyLow, close.energyLow);

    expectView(pannedBy(r, v, -1, 100), 283, 288, 325, 825);
    expectView(pannedBy(r, v, 10, 1000), 285, 290, 600, 1100);  // the span stays
    EXPECT_FALSE(pannedBy(r, PlotView{}, 1, 100).zoomed);
}

TEST_F(ViewNavigationTest, AViewLastsWhileTheSameRegionShowsTheSameData) {
    testing::makeRegion(ws, 1, 11, 540.0f, 1.0f, [](double) { return 5.0; });
    const ViewedData viewed = viewedDataOf(ws);
    ws.regions[0].backgroundSet = kTrue;  // curves and settings are not data
    EXPECT_TRUE(stillViewed(viewed, ws));
    ws.currentRegion = 1;
    EXPECT_FALSE(stillViewed(viewed, ws));
    ws.currentRegion = 0;
    ws.regions[0].shift = 0.5f;
    EXPECT_FALSE(stillViewed(viewed, ws));
    ws.regions[0].shift = 0;
    ws.regions[0].counts[50] += 1;
    EXPECT_FALSE(stillViewed(viewed, ws));
}

}  // namespace
}  // namespace vortlan
