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
    const Region& region() const { return ws.regions[0]; }
    PlotView zoomed(double eLow, double eHigh, double cLow, double cHigh) const {
        return *zoomedTo(region(), {eHigh, cLow}, {eLow, cHigh});
    }
    Workspace ws;
};

void expectView(const PlotView& v, double eLow, double eHigh, double cLow, double cHigh) {
    EXPECT_TRUE(v.zoomed);
    EXPECT_NEAR(v.energyLow, eLow, 1e-6);
    EXPECT_NEAR(v.energyHigh, eHigh, 1e-6);
    EXPECT_NEAR(v.countsLow, cLow, 1e-3);
    EXPECT_NEAR(v.countsHigh, cHigh, 1e-3);
}

TEST_F(ViewNavigationTest, ARectangleBecomesTheViewKeptInsideTheRegion) {
    // Whichever corner the drag starts from.
    expectView(*zoomedTo(region(), {286, 900}, {283, 300}), 283, 286, 300, 900);
    expectView(*zoomedTo(region(), {283, 300}, {286, 900}), 283, 286, 300, 900);
    // A rectangle reaching into the margins shows only what the region holds.
    expectView(*zoomedTo(region(), {295, 2000}, {284, 500}), 284, 290, 500, 1100);
    // All of the region is no zoom at all.
    EXPECT_FALSE(zoomedTo(region(), {300, -50}, {270, 5000})->zoomed);
}

TEST_F(ViewNavigationTest, DegenerateRectanglesAndRegionsAreRefused) {
    EXPECT_FALSE(zoomedTo(region(), {285, 500}, {285, 500}));  // a click
    EXPECT_FALSE(zoomedTo(region(), {285, 300}, {285, 900}));  // no width
    EXPECT_FALSE(zoomedTo(region(), {286, 500}, {283, 500}));  // no height
    EXPECT_FALSE(zoomedTo(region(), {300, 500}, {295, 900}));  // wholly beside the region
    Region& one = testing::makeRegion(ws, 1, 1, 285.0f, 0.1f, [](double) { return 10.0; });
    EXPECT_FALSE(zoomedTo(one, {286, 0}, {284, 20}));
    EXPECT_FALSE(zoomedAbout(one, PlotView{}, {285, 10}, 0.5).zoomed);
    EXPECT_FALSE(zoomedTo(ws.regions[2], {286, 0}, {284, 20}));  // not defined
}

TEST_F(ViewNavigationTest, NoViewComesCloserThanTheMagnificationLimit) {
    // 10 eV / 1000 and 1000 counts / 1000, about the rectangle's centre.
    expectView(*zoomedTo(region(), {285.001, 500.1}, {285, 500}), 284.9955, 285.0055, 499.55, 500.55);
    PlotView v;
    for (int notch = 0; notch < 100; ++notch) v = zoomedAbout(region(), v, {285, 600}, 0.5);
    EXPECT_NEAR(v.energyHigh - v.energyLow, 0.01, 1e-9);
    EXPECT_NEAR(v.countsHigh - v.countsLow, 1.0, 1e-9);
    EXPECT_TRUE(v.energyLow <= 285 && 285 <= v.energyHigh);
    EXPECT_EQ(zoomedAbout(region(), v, {285, 600}, 0.0).energyLow, v.energyLow);  // absurd factors do nothing
    EXPECT_EQ(zoomedAbout(region(), v, {285, 600}, std::nan("")).energyLow, v.energyLow);
}

TEST_F(ViewNavigationTest, TheWheelKeepsThePointUnderThePointerAndStopsAtTheWholeRegion) {
    const PlotView v = zoomedAbout(region(), PlotView{}, {288, 350}, 0.5);
    expectView(v, 284, 289, 225, 725);  // 288 eV is 4/5 of the way along before and after
    const PlotView closer = zoomedAbout(region(), v, {288, 350}, 0.5);
    expectView(closer, 286, 288.5, 287.5, 537.5);
    // Out again, as far as the whole region and no further.
    EXPECT_FALSE(zoomedAbout(region(), closer, {288, 350}, 4).zoomed);
    EXPECT_FALSE(zoomedAbout(region(), PlotView{}, {288, 350}, 3).zoomed);
    // Near an edge the view stops at it instead of leaving the region.
    expectView(zoomedAbout(region(), zoomed(280, 282, 100, 300), {281, 200}, 2), 280, 284, 100, 500);
}

TEST_F(ViewNavigationTest, PanningMovesTheViewUpToTheRegionsEdges) {
    const PlotView v = zoomed(283, 286, 300, 900);
    expectView(pannedBy(region(), v, 1, -100), 284, 287, 200, 800);
    expectView(pannedBy(region(), v, 10, 1000), 287, 290, 500, 1100);  // the span stays
    expectView(pannedBy(region(), v, -10, -1000), 280, 283, 100, 700);
    EXPECT_FALSE(pannedBy(region(), PlotView{}, 1, 100).zoomed);  // nothing to pan over
}

TEST_F(ViewNavigationTest, AViewLastsWhileTheSameRegionShowsTheSameData) {
    testing::makeRegion(ws, 1, 11, 540.0f, 1.0f, [](double) { return 5.0; });
    const ViewedData viewed = viewedDataOf(ws);
    EXPECT_TRUE(stillViewed(viewed, ws));
    ws.regions[0].backgroundSet = kTrue;  // curves and settings are not data
    ws.regions[0].caption.assign("C 1s");
    EXPECT_TRUE(stillViewed(viewed, ws));

    ws.currentRegion = 1;
    EXPECT_FALSE(stillViewed(viewed, ws));
    ws.currentRegion = 0;
    ws.regions[0].shift = 0.5f;
    EXPECT_FALSE(stillViewed(viewed, ws));
    ws.regions[0].shift = 0;
    ws.regions[0].counts[50] += 1;
    EXPECT_FALSE(stillViewed(viewed, ws));
    ws.regions[0].counts[50] -= 1;
    EXPECT_TRUE(stillViewed(viewed, ws));
    testing::makeRegion(ws, 0, 51, 290.0f, 0.2f, [](double) { return 5.0; });  // imported again
    EXPECT_FALSE(stillViewed(viewed, ws));
}

}  // namespace
}  // namespace vortlan
