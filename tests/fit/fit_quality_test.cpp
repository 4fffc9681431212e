// The optimisers must bring a fit back to the truth from a start a user would make by eye.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "fit/drivers.h"
#include "io/option_file.h"
#include "model/backgrounds.h"
#include "model/peak_shapes.h"
#include "model/propagation.h"
#include "model/region_curves.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using testing::acceptShirley;
using testing::synthesize;
using testing::tie;
using testing::TruePeak;

class FitQualityTest : public ::testing::Test {
  protected:
    FitQualityTest() {
        ws.options = defaultFitOptions();
        synthesize(ws, 0, truth, 400.0, 900.0);
        Region& r = ws.regions[0];
        ws.acceptingBackground = kTrue;
        recomputeRegion(ws, port);
        ws.acceptingBackground = kFalse;
        r.backgroundSet = kTrue;
        // The start: positions 0.3 eV off, widths 20 % off, areas 30 % off.
        const float shifts[] = {0.3f, -0.3f, 0.3f};
        for (int k = 0; k < 3; ++k) {
            const TruePeak& t = truth[k];
            Peak& p = testing::addPeak(ws, 0, k, t.position + shifts[k], t.area * (k == 1 ? 0.7f : 1.3f),
                                       t.fwhm * (k == 2 ? 0.8f : 1.2f), t.gl, t.type);
            p.splitting = t.splitting;
            p.fixGl = 1;
        }
        updateRegionCurves(ws, port);
        start = r.chiSquare;
    }
    void expectTruth() {
        for (int k = 0; k < 3; ++k) {
            const Peak& p = ws.peaks[k];
            EXPECT_NEAR(p.position, truth[k].position, 0.01) << "peak " << k;
            EXPECT_NEAR(p.fwhm, truth[k].fwhm, 0.01 * truth[k].fwhm) << "peak " << k;
            EXPECT_NEAR(p.area, truth[k].area, 0.01 * truth[k].area) << "peak " << k;
        }
    }
    // C 1s-like: a main line, a shoulder 1.6 eV up, and a doublet further up.
    std::vector<TruePeak> truth{{285.0f, 1500.0f, 1.2f, 10, 1, 0.0f},
                                {286.6f, 600.0f, 1.3f, 15, 1, 0.0f},
                                {289.0f, 800.0f, 1.1f, 10, 3, 1.5f}};
    Workspace ws;
    RecordingPort port;
    float start = 0;
};

TEST_F(FitQualityTest, NewtonRegionFitFindsTheTruth) {
    ws.options.methodFlag = 1.0f;
    optimiseRegion(ws, port);
    expectTruth();
    EXPECT_LT(ws.regions[0].chiSquare, 1e-3 * start);
}

TEST_F(FitQualityTest, SearchRegionFitMovesEveryParameterTowardTheTruth) {
    ws.options.methodFlag = 0.0f;
    std::vector<Peak> before(ws.peaks.begin(), ws.peaks.begin() + 3);
    optimiseRegion(ws, port);
    EXPECT_LT(ws.regions[0].chiSquare, 0.5 * start);
    for (int k = 0; k < 3; ++k) {
        const Peak& p = ws.peaks[k];
        EXPECT_LT(std::fabs(p.position - truth[k].position),
                  std::fabs(before[k].position - truth[k].position))
            << k;
        EXPECT_LT(std::fabs(p.fwhm - truth[k].fwhm), std::fabs(before[k].fwhm - truth[k].fwhm)) << k;
        EXPECT_LT(std::fabs(p.area - truth[k].area), std::fabs(before[k].area - truth[k].area)) << k;
    }
}

// A spin-orbit pair fitted as two singlets: the second one's position is the first one's plus the
// splitting, and the two widths are equal.
TEST(TiedFitQuality, PairKeepsItsSplittingAndCommonWidth) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    synthesize(ws, 0,
               {{285.0f, 1200.0f, 1.2f, 10, 1, 0},
                {289.0f, 480.0f, 1.1f, 10, 1, 0},
                {290.5f, 320.0f, 1.1f, 10, 1, 0}},
               300.0, 700.0);
    acceptShirley(ws, port, 0);
    // Newton's method refuses a step that overshoots, so the widths start within its reach.
    testing::addPeak(ws, 0, 0, 285.3f, 1500.0f, 1.4f, 10).fixGl = 1;
    testing::addPeak(ws, 0, 1, 288.7f, 350.0f, 1.2f, 10).fixGl = 1;
    testing::addPeak(ws, 0, 2, 290.2f, 400.0f, 1.2f, 10).fixGl = 1;
    tie(ws, PeakParam::Position, 2, 1, ConstraintOp::Add, 1.5f);
    tie(ws, PeakParam::Fwhm, 2, 1, ConstraintOp::Multiply, 1.0f);
    applyAllRelations(ws);
    updateRegionCurves(ws, port);
    const float start = ws.regions[0].chiSquare;
    optimiseRegion(ws, port);
    EXPECT_NEAR(ws.peaks[1].position, 289.0f, 0.01);
    EXPECT_NEAR(ws.peaks[1].fwhm, 1.1f, 0.011);
    EXPECT_NEAR(ws.peaks[1].area, 480.0f, 4.8f);
    EXPECT_NEAR(ws.peaks[2].area, 320.0f, 3.2f);
    EXPECT_EQ(ws.peaks[2].position, ws.peaks[1].position + 1.5f);
    EXPECT_EQ(ws.peaks[2].fwhm, ws.peaks[1].fwhm);
    EXPECT_LT(ws.regions[0].chiSquare, 1e-3 * start);
}

// The same chemical state in two regions: the second region's peak takes its width from the first's.
TEST(TiedFitQuality, WidthSharedAcrossRegions) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    synthesize(ws, 0, {{285.0f, 1200.0f, 1.3f, 10, 1, 0}}, 300.0, 600.0);
    synthesize(ws, 1, {{532.0f, 2400.0f, 1.3f, 10, 1, 0}}, 800.0, 1100.0, 547.0f);
    acceptShirley(ws, port, 0);
    acceptShirley(ws, port, 1);
    testing::addPeak(ws, 0, 0, 285.2f, 900.0f, 1.6f, 10).fixGl = 1;
    testing::addPeak(ws, 1, 1, 531.8f, 3000.0f, 1.6f, 10).fixGl = 1;
    tie(ws, PeakParam::Fwhm, 1, 0, ConstraintOp::Multiply, 1.0f);
    for (int region : {0, 1}) {
        ws.currentRegion = static_cast<short>(region);
        updateRegionCurves(ws, port);
    }
    ws.currentRegion = 0;
    optimiseAllRegions(ws, port);
    EXPECT_NEAR(ws.peaks[0].position, 285.0f, 0.01);
    EXPECT_NEAR(ws.peaks[1].position, 532.0f, 0.01);
    EXPECT_NEAR(ws.peaks[0].fwhm, 1.3f, 0.013);
    EXPECT_EQ(ws.peaks[1].fwhm, ws.peaks[0].fwhm);
    EXPECT_NEAR(ws.peaks[1].area, 2400.0f, 24.0f);
}

}  // namespace
}  // namespace vortlan
