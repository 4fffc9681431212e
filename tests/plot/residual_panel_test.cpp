#include "plot/residual_panel.h"

#include <gtest/gtest.h>

#include <cmath>

#include "plot/region_plot.h"
#include "support/fitted_session.h"
#include "support/recording_surface.h"

namespace vortlan {
namespace {

using testing::Drawn;
using testing::RecordingSurface;

class ResidualPanelTest : public ::testing::Test, protected testing::FittedSession {
  protected:
    // The lines drawn in the colour, in order.
    std::vector<Drawn> linesIn(Colour colour) const {
        std::vector<Drawn> lines;
        for (const Drawn& d : surface.drawn) {
            if (d.kind == Drawn::Line && d.colour == colour) lines.push_back(d);
        }
        return lines;
    }
    RecordingSurface surface;
    ReadoutPosition readout;
    Workspace& ws = session.workspace;
    const PlotStyle residuals{false, true};
};

TEST_F(ResidualPanelTest, DataMinusEnvelopeWithOnePoissonDeviation) {
    const Region& r = ws.regions[0];
    const std::vector<ResidualPoint> points = residualPoints(r);
    ASSERT_EQ(static_cast<int>(points.size()), r.rangeCount);
    for (int i = 1; i <= r.rangeCount; i += 17) {
        const ResidualPoint& p = points[static_cast<std::size_t>(i - 1)];
        EXPECT_FLOAT_EQ(static_cast<float>(p.energy), r.rangeEnergy[i]);
        EXPECT_NEAR(p.residual, static_cast<double>(r.rangeCounts[i]) - r.envelope[i], 1e-9);
        EXPECT_NEAR(p.deviation, std::sqrt(std::fabs(r.rangeCounts[i])), 1e-6);
    }
    // Negative counts (a subtracted spectrum) still have a band; no peaks, no residuals.
    ws.regions[0].rangeCounts[1] = -400.0f;
    EXPECT_NEAR(residualPoints(ws.regions[0]).front().deviation, 20.0, 1e-9);
    ws.regions[0].peakCount = 0;
    EXPECT_TRUE(residualPoints(ws.regions[0]).empty());
}

TEST_F(ResidualPanelTest, ScaleIsSymmetricAndTakesOnlyThePointsInView) {
    const std::vector<ResidualPoint> points{{290, 5, 3}, {285, -12, 4}, {281, 2, 30}};
    PlotExtents whole;
    whole.xLow = 280;
    whole.xHigh = 292;
    EXPECT_NEAR(residualScale(points, whole).half, 1.1 * 30, 1e-9);  // the band at 281 eV
    PlotExtents zoomed = whole;
    zoomed.xLow = 283;
    EXPECT_NEAR(residualScale(points, zoomed).half, 1.1 * 12, 1e-9);
    EXPECT_DOUBLE_EQ(residualScale({}, whole).half, 1.0);  // nothing to show: a unit scale
}

TEST_F(ResidualPanelTest, PanelUnderTheDataAndTheEnergyAxisUnderThePanel) {
    const Region& r = ws.regions[0];
    drawRegionFrame(surface, ws, readout, {}, residuals);
    const PlotLayout l = plotLayout(r, {}, residuals);
    ASSERT_TRUE(l.residualPanel);
    EXPECT_LT(l.panelTop, r.countsLow);
    EXPECT_LT(l.panelBottom, l.panelTop);
    // The energy ticks stand on the axis under the panel, at the values they have without it.
    int ticks = 0;
    for (const Drawn& d : surface.drawn) {
        if (d.kind == Drawn::Line && d.from.x == d.to.x && d.from.x <= r.beHigh) {
            EXPECT_NEAR((d.from.y + d.to.y) / 2, l.panelBottom, 1e-9);
            ++ticks;
        }
    }
    EXPECT_EQ(ticks, 7);  // 280 .. 292 eV, as without the panel

    surface.drawn.clear();
    drawFittedCurves(surface, ws, residuals);
    const std::vector<ResidualPoint> points = residualPoints(r);
    const ResidualScale scale = residualScale(points, l.extents);
    const double zero = (l.panelTop + l.panelBottom) / 2;
    const double perUnit = (l.panelTop - l.panelBottom) / (2 * scale.half);
    // The residuals are the blue lines, each point where its value puts it in the panel.
    const std::vector<Drawn> blue = linesIn(kBlue);
    ASSERT_EQ(blue.size(), points.size() - 1);
    for (std::size_t k = 0; k < blue.size(); ++k) {
        EXPECT_NEAR(blue[k].to.y, zero + points[k + 1].residual * perUnit, 1e-6);
        ASSERT_TRUE(blue[k].clip);
        EXPECT_DOUBLE_EQ(blue[k].clip->yMax, l.panelTop);
    }
    // The band's two edges at ±√|y|.
    const std::vector<Drawn> band = linesIn(Colour{160, 160, 160});
    ASSERT_EQ(band.size(), 2 * (points.size() - 1));
    EXPECT_NEAR(band.back().to.y, zero - points.back().deviation * perUnit, 1e-6);
    // The curves above, from the background's first point on, stay out of the panel.
    ASSERT_TRUE(surface.drawn.front().clip);
    EXPECT_LT(surface.drawn.front().clip->yMin, r.countsLow);
    EXPECT_GT(surface.drawn.front().clip->yMin, l.panelTop);
}

}  // namespace
}  // namespace vortlan
