// Levenberg-Marquardt on the program's own regions: derivatives, the truth found again, and every
// rule the other methods keep (fixed parameters, limits, ties) kept at every iteration.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fit/drivers.h"
#include "fit/least_squares_fit.h"
#include "fit/spectrum_problem.h"
#include "fit/trust/trusted_fit.h"
#include "io/option_file.h"
#include "model/propagation.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using testing::acceptShirley;
using testing::synthesize;
using testing::tie;
using testing::TruePeak;

class LeastSquaresFitTest : public ::testing::Test {
  protected:
    LeastSquaresFitTest() {
        ws.options = defaultFitOptions();
        ws.options.methodFlag = kLeastSquaresMethodFlag;
        ws.options.glSum = kTrue;
    }
    // Region `region` made from the truth, its background accepted, and the peaks placed off it:
    // positions 0.3 eV, areas 20 % and widths 30 % away, %GL 10 away.
    void fromTruth(int region, const std::vector<TruePeak>& truth, int firstPeak, float beHigh = 302.0f) {
        synthesize(ws, region, truth, 400.0, 900.0, beHigh);
        acceptShirley(ws, port, region);
        // The data made exactly the accepted background plus the peaks, so that the truth is the
        // minimum of the statistic to the last digit of the data.
        Region& r = ws.regions[region];
        for (int i = 1; i <= r.rangeCount; ++i) {
            double sum = r.background[i];
            for (const TruePeak& t : truth) {
                sum += peakValue(lineFormOf(ws.options), r.rangeEnergy[i],
                                 PeakShape{t.position, t.area, t.fwhm, t.gl, t.splitting, t.type, 0, 1});
            }
            r.rangeCounts[i] = static_cast<float>(sum);
        }
        for (std::size_t k = 0; k < truth.size(); ++k) {
            const TruePeak& t = truth[k];
            const float sign = k % 2 == 0 ? 1.0f : -1.0f;
            Peak& p = testing::addPeak(ws, region, firstPeak + static_cast<int>(k), t.position + 0.3f * sign,
                                       t.area * (1.0f + 0.2f * sign), t.fwhm * (1.0f - 0.3f * sign),
                                       static_cast<short>(t.gl + 10), t.type);
            p.splitting = t.splitting;
            p.fixGl = 0;
        }
        updateRegionCurves(ws, port);
    }
    void expectTruth(const std::vector<TruePeak>& truth, int firstPeak, double tolerance = 1e-4) {
        for (std::size_t k = 0; k < truth.size(); ++k) {
            const Peak& p = ws.peaks[firstPeak + static_cast<int>(k)];
            EXPECT_NEAR(p.position, truth[k].position, tolerance * truth[k].position) << "peak " << k;
            EXPECT_NEAR(p.area, truth[k].area, tolerance * truth[k].area) << "peak " << k;
            EXPECT_NEAR(p.fwhm, truth[k].fwhm, tolerance * truth[k].fwhm) << "peak " << k;
            EXPECT_EQ(p.gl, truth[k].gl) << "peak " << k;
        }
    }
    void fitRegion(int region) {
        ws.currentRegion = static_cast<short>(region);
        optimiseRegion(ws, port);
    }

    const std::vector<TruePeak> c1s{{285.0f, 1500.0f, 1.2f, 20, 1, 0.0f},
                                    {286.6f, 600.0f, 1.3f, 30, 1, 0.0f},
                                    {289.0f, 800.0f, 1.1f, 25, 3, 1.5f}};
    Workspace ws;
    RecordingPort port;
};

TEST_F(LeastSquaresFitTest, JacobianAgreesWithFiniteDifferencesThroughEveryKindOfTie) {
    fromTruth(0, c1s, 0);
    fromTruth(3, {{532.0f, 3000.0f, 1.5f, 20, 1, 0.0f}, {530.5f, 900.0f, 1.4f, 30, 1, 0.0f}}, 5, 540.0f);
    ws.peaks[2].ts = 0.4f;
    ws.peaks[2].splitting = 1.55f;  // no data point exactly on a component, where the tail bends
    ws.peaks[2].tl = 20.0f;
    tie(ws, PeakParam::Position, 1, 0, ConstraintOp::Add, 1.6f);
    tie(ws, PeakParam::Area, 2, 1, ConstraintOp::Multiply, 1.3f);      // a chain: 2 -> 1 -> (free)
    tie(ws, PeakParam::Fwhm, 5, 0, ConstraintOp::Divide, 0.8f);         // across regions
    tie(ws, PeakParam::Gl, 6, 1, ConstraintOp::Subtract, 5.0f);         // to a peak that is itself free
    applyAllRelations(ws);
    const SpectrumProblem problem(ws, FitSelection({0, 1, 2}));
    EXPECT_EQ(problem.regions(), (std::vector<int>{0, 3}));
    const int n = problem.residualCount();
    const int p = problem.variableCount();
    std::vector<double> x = problem.start();
    // Off the stored values, and no component on a data point, where the tail's curvature jumps.
    for (int k = 0; k < p; ++k) {
        if (problem.variables()[k].param == PeakParam::Position) x[k] += 0.0137;
    }
    std::vector<double> jacobian(static_cast<std::size_t>(n * p));
    ASSERT_TRUE(problem.evaluate(x.data(), nullptr, jacobian.data()));
    std::vector<double> up(n), down(n);
    for (int k = 0; k < p; ++k) {
        const double h = 1e-6 * std::max(1.0, std::fabs(x[k]));
        std::vector<double> xUp = x, xDown = x;
        xUp[k] += h;
        xDown[k] -= h;
        problem.evaluate(xUp.data(), up.data(), nullptr);
        problem.evaluate(xDown.data(), down.data(), nullptr);
        double largest = 0;
        for (int i = 0; i < n; ++i) largest = std::max(largest, std::fabs(jacobian[i * p + k]));
        for (int i = 0; i < n; ++i) {
            const double numeric = (up[i] - down[i]) / (2 * h);
            ASSERT_NEAR(jacobian[i * p + k], numeric, 1e-5 * largest) << "variable " << k << " point " << i;
        }
    }
}

TEST_F(LeastSquaresFitTest, RegionFitFindsANoiseFreeTruthInBothForms) {
    fromTruth(0, c1s, 0);
    fitRegion(0);
    expectTruth(c1s, 0);
    EXPECT_LT(ws.regions[0].chiSquare, 1e-6);

    // The product form holds %GL while fitting and finds it by the %GL search between fits.
    Workspace product;
    std::swap(ws, product);
    ws.options = defaultFitOptions();
    ws.options.methodFlag = kLeastSquaresMethodFlag;
    ws.options.glSum = kFalse;
    fromTruth(0, c1s, 0);
    fitRegion(0);
    expectTruth(c1s, 0);
}

TEST_F(LeastSquaresFitTest, FixedParametersLimitsAndTiesHoldAtEveryIteration) {
    fromTruth(0, c1s, 0);
    ws.peaks[2].fixFwhm = 1;
    ws.peaks[2].fwhm = 1.1f;
    ParamConstraint& position = ws.constraints[0].position;
    position.limited = kTrue;
    position.low = 285.1f;  // above the truth: the fit must stop at the limit
    position.high = 290.0f;
    tie(ws, PeakParam::Fwhm, 1, 0, ConstraintOp::Add, 0.1f);
    applyAllRelations(ws);
    int iterations = 0;
    port.onYield = [&] {
        ++iterations;
        EXPECT_EQ(ws.peaks[2].fwhm, 1.1f);
        EXPECT_GE(ws.peaks[0].position, 285.1f);
        EXPECT_FLOAT_EQ(ws.peaks[1].fwhm, ws.peaks[0].fwhm + 0.1f);
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(ws.peaks[k].area, 0.1f);
            EXPECT_GE(ws.peaks[k].gl, 0);
            EXPECT_LE(ws.peaks[k].gl, 100);
        }
    };
    fitRegion(0);
    EXPECT_GT(iterations, 2);
    EXPECT_EQ(ws.peaks[0].position, 285.1f);
}

TEST_F(LeastSquaresFitTest, OptimiseAllFitsTiesAcrossRegionsAsOneProblem) {
    // The same chemical state in two regions, its width shared: each region alone would not do.
    const std::vector<TruePeak> first{{285.0f, 1500.0f, 1.3f, 20, 1, 0.0f}};
    const std::vector<TruePeak> second{{532.0f, 2500.0f, 1.3f, 20, 1, 0.0f}};
    fromTruth(0, first, 0);
    fromTruth(3, second, 5, 540.0f);
    tie(ws, PeakParam::Fwhm, 5, 0, ConstraintOp::Multiply, 1.0f);
    applyAllRelations(ws);
    beginFitting(ws, port);
    optimiseAllRegions(ws, port);
    expectTruth(first, 0);
    expectTruth(second, 5);
    EXPECT_EQ(ws.peaks[5].fwhm, ws.peaks[0].fwhm);
    EXPECT_NEAR(ws.totalChiSquare, ws.regions[0].chiSquare + ws.regions[3].chiSquare, 1e-6);
}

TEST_F(LeastSquaresFitTest, StopEndsTheFitBetweenIterationsKeepingThePointReached) {
    fromTruth(0, c1s, 0);
    port.onYield = [&] {
        if (port.fitTrials.size() == 2) requestStop(ws);
    };
    beginFitting(ws, port);
    const LeastSquaresFitEnd end = fitByLeastSquares(ws, port, FitSelection({0, 1, 2})).end;
    EXPECT_EQ(end, LeastSquaresFitEnd::Stopped);
    EXPECT_EQ(port.fitTrials.size(), 2u);
    EXPECT_EQ(port.fitTrials.back(), (std::pair<int, int>{2, kLeastSquaresIterations}));
    // The chi box shows the statistic of the point kept.
    const float shown = ws.regions[0].chiSquare;
    updateRegionCurves(ws, port);
    EXPECT_EQ(ws.regions[0].chiSquare, shown);
}

TEST_F(LeastSquaresFitTest, BadProblemsGiveAMessageAndNeverANumberThatIsNot) {
    // Ten free parameters on eight points.
    testing::makeRegion(ws, 1, 8, 290.0f, 0.5f, testing::gaussianOn(100.0, 287.0, 500.0, 1.0));
    acceptShirley(ws, port, 1);
    testing::addPeak(ws, 1, 10, 287.0f, 500.0f, 1.0f).fixGl = 0;
    testing::addPeak(ws, 1, 11, 288.0f, 100.0f, 1.0f).fixGl = 0;
    testing::addPeak(ws, 1, 12, 286.0f, 100.0f, 1.0f).fixGl = 1;
    const Peak before = ws.peaks[10];
    fitRegion(1);
    EXPECT_EQ(port.messages, std::vector<std::string>{"Too few points in the fit range for the free parameters"});
    EXPECT_TRUE(ws.peaks[10] == before);

    // Two peaks in the same place: only their sum is determined, yet the fit ends with numbers.
    fromTruth(0, {{285.0f, 1500.0f, 1.2f, 20, 1, 0.0f}}, 0);
    testing::addPeak(ws, 0, 1, ws.peaks[0].position, ws.peaks[0].area, ws.peaks[0].fwhm, ws.peaks[0].gl);
    fitRegion(0);
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(std::isfinite(ws.peaks[k].position) && std::isfinite(ws.peaks[k].area) &&
                    std::isfinite(ws.peaks[k].fwhm));
    }
    EXPECT_TRUE(std::isfinite(ws.regions[0].chiSquare));

    // No counts at all: every point weighs 1, and the peak's area goes to its floor.
    testing::makeRegion(ws, 2, 41, 290.0f, 0.1f, [](double) { return 0.0; });
    acceptShirley(ws, port, 2);
    testing::addPeak(ws, 2, 20, 288.0f, 100.0f, 1.0f).fixGl = 0;
    port.messages.clear();
    fitRegion(2);
    EXPECT_TRUE(port.messages.empty());
    EXPECT_TRUE(std::isfinite(ws.regions[2].chiSquare));
    EXPECT_EQ(ws.peaks[20].area, 0.1f);
}

}  // namespace
}  // namespace vortlan
