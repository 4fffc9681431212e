// Standard errors of fitted parameters: the closed form where there is one, the relations carried
// through, and what the data do not determine said to be so.

#include "fit/uncertainty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>

#include "fit/drivers.h"
#include "fit/least_squares/covariance.h"
#include "fit/monte_carlo.h"
#include "fit/uncertainty_scope.h"
#include "io/option_file.h"
#include "model/peak_derivatives.h"
#include "model/propagation.h"
#include "model/region_curves.h"
#include "support/error_coverage.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using Kind = StandardError::Kind;
using testing::tie;

class UncertaintyTest : public ::testing::Test {
  protected:
    UncertaintyTest() {
        ws.options = defaultFitOptions();
        ws.options.methodFlag = kLeastSquaresMethodFlag;
        ws.options.glSum = kTrue;
        // Two overlapping peaks on a flat 300 counts, with Poisson noise from a fixed seed.
        Region& r = testing::makeRegion(ws, 0, 201, 295.0f, 0.05f, [](double) { return 0.0; });
        std::mt19937 random(7);
        for (int i = 1; i <= r.pointCount; ++i) {
            const double mean = 300.0 + truthAt(r.energy[i]);
            r.counts[i] = static_cast<float>(std::poisson_distribution<int>(mean)(random));
        }
        testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
        testing::addPeak(ws, 0, 0, 288.0f, 2000.0f, 1.2f, 30).fixGl = 1;
        testing::addPeak(ws, 0, 1, 289.2f, 900.0f, 1.2f, 30).fixGl = 1;
        testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
    }
    static double truthAt(double e) {
        const PeakGradientEvaluator a(LineForm::Sum, PeakShapeD{288.0, 2000, 1.2, 30, 0, 1, 0, 1});
        const PeakGradientEvaluator b(LineForm::Sum, PeakShapeD{289.2, 900, 1.2, 30, 0, 1, 0, 1});
        return a.value(e) + b.value(e);
    }
    Workspace ws;
    RecordingPort port;
};

// With the positions and widths held, the fit is linear in the areas: a = M z, M = (GᵀWG)⁻¹GᵀW with G
// the unit-area shapes, W = 1/|data|, and z = data - background over the range, and its weighted
// residuals are r = W^½ (z - G a).  Both are linear in the raw counts: an inner range point directly,
// and every count of an end average through the range's end point, which is the average, and the
// straight line drawn through it.  With a count's variance σ²|y|, E Σr² = σ² Σ_j |y_j| |dr/dy_j|²
// gives σ², and the areas' covariance is σ² Σ_j |y_j| (da/dy_j)(da/dy_j)ᵀ.
TEST_F(UncertaintyTest, AreasAloneHaveTheClosedFormOfALinearFitOnALineThroughAverages) {
    for (short averaging : {1, 3, 7}) {
        Region& r = ws.regions[0];
        r.averagePoints = averaging;
        testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
        for (int p : {0, 1}) ws.peaks[p].fixPosition = ws.peaks[p].fixFwhm = 1;
        optimiseRegion(ws, port);
        const RegionErrors errors = standardErrors(ws, 0);
        ASSERT_EQ(errors.freeParameters, 2);

        const int n = r.rangeCount;
        std::vector<std::array<double, 2>> shapes(n + 1);
        std::vector<double> weight(n + 1);
        std::array<double, 3> normal{};  // GᵀWG: 11, 12, 22
        double sum = 0;
        for (int i = 1; i <= n; ++i) {
            weight[i] = 1.0 / std::fabs(r.rangeCounts[i]);
            for (int k : {0, 1}) {
                const Peak& p = ws.peaks[k];
                shapes[i][k] = PeakGradientEvaluator(LineForm::Sum, PeakShapeD{p.position, 1, p.fwhm, 30, 0, 1, 0, 1})
                                   .value(r.rangeEnergy[i]);
            }
            normal[0] += weight[i] * shapes[i][0] * shapes[i][0];
            normal[1] += weight[i] * shapes[i][0] * shapes[i][1];
            normal[2] += weight[i] * shapes[i][1] * shapes[i][1];
            const double residual = r.rangeCounts[i] - r.background[i] - ws.peaks[0].area * shapes[i][0] -
                                    ws.peaks[1].area * shapes[i][1];
            sum += weight[i] * residual * residual;
        }
        const double det = normal[0] * normal[2] - normal[1] * normal[1];

        // dz/dy_j over the range for every raw count j.
        std::map<int, std::vector<double>> dz;
        for (int i = 2; i < n; ++i) {
            dz[r.indexAtHigh + i - 1].assign(n + 1, 0.0);
            dz[r.indexAtHigh + i - 1][i] = 1.0;
        }
        for (bool first : {true, false}) {
            const int centre = first ? r.indexAtHigh : r.indexAtLow;
            for (int d = -averaging / 2; d <= averaging / 2; ++d) {
                std::vector<double>& slope = dz[std::clamp(centre + d, 1, int{r.pointCount})];
                slope.resize(n + 1, 0.0);
                for (int i = 1; i <= n; ++i) {
                    const double t = double(i - 1) / (n - 1);
                    slope[i] += ((i == (first ? 1 : n) ? 1.0 : 0.0) - (first ? 1.0 - t : t)) / averaging;
                }
            }
        }
        double expected = 0;  // E Σr² / σ²
        std::array<double, 3> covariance{};
        for (const auto& [raw, change] : dz) {
            double ga = 0, gb = 0;
            for (int i = 1; i <= n; ++i) {
                ga += weight[i] * shapes[i][0] * change[i];
                gb += weight[i] * shapes[i][1] * change[i];
            }
            const double da = (normal[2] * ga - normal[1] * gb) / det, db = (normal[0] * gb - normal[1] * ga) / det;
            double dr2 = 0;
            for (int i = 1; i <= n; ++i) {
                const double dr = change[i] - shapes[i][0] * da - shapes[i][1] * db;
                dr2 += weight[i] * dr * dr;
            }
            const double count = std::fabs(r.counts[raw]);
            expected += count * dr2;
            covariance[0] += count * da * da;
            covariance[1] += count * da * db;
            covariance[2] += count * db * db;
        }
        const double s2 = sum / expected;
        for (double& c : covariance) c *= s2;
        EXPECT_NEAR(errors.reducedStatistic, sum / (n - 2), 1e-6 * s2);  // shown as it always was
        EXPECT_NEAR(errors.areaCovariance[0], covariance[0], 1e-6 * covariance[0]) << averaging;
        EXPECT_NEAR(errors.areaCovariance[1], covariance[1], 1e-6 * std::fabs(covariance[1])) << averaging;
        EXPECT_NEAR(errors.areaCovariance[3], covariance[2], 1e-6 * covariance[2]) << averaging;
        EXPECT_NEAR(errors.peaks[1].area.value, std::sqrt(covariance[2]), 1e-6 * errors.peaks[1].area.value);
        // What the line adds is a share of the whole.
        EXPECT_GT(errors.areaCovarianceOfBackground[0], 0.0);
        EXPECT_LT(errors.areaCovarianceOfBackground[0], covariance[0]);
        EXPECT_EQ(errors.peaks[0].position.kind, Kind::Fixed);
        EXPECT_EQ(errors.peaks[1].gl.kind, Kind::Fixed);
        // The height goes as the area, the FWHM being fixed.
        EXPECT_NEAR(errors.peaks[0].height.value / ws.peaks[0].height, errors.peaks[0].area.value / ws.peaks[0].area,
                    1e-9);
    }
}

TEST_F(UncertaintyTest, TiedParametersTakeTheirReferencesErrorThroughTheRelation) {
    tie(ws, PeakParam::Fwhm, 1, 0, ConstraintOp::Multiply, 1.0f);
    tie(ws, PeakParam::Area, 1, 0, ConstraintOp::Divide, 2.0f);
    applyAllRelations(ws);
    optimiseRegion(ws, port);
    const RegionErrors errors = standardErrors(ws, 0);
    EXPECT_EQ(errors.freeParameters, 4);  // two positions, one area, one FWHM
    ASSERT_TRUE(errors.peaks[0].area.known() && errors.peaks[1].area.known());
    EXPECT_NEAR(errors.peaks[1].area.value, errors.peaks[0].area.value / 2.0, 1e-9 * errors.peaks[0].area.value);
    EXPECT_EQ(errors.peaks[1].fwhm.value, errors.peaks[0].fwhm.value);
    EXPECT_EQ(errors.peaks[1].gl.kind, Kind::Fixed);
    // A position known to a few hundredths of an eV, an area to a few per cent.
    EXPECT_GT(errors.peaks[0].position.value, 1e-4);
    EXPECT_LT(errors.peaks[0].position.value, 0.05);
    EXPECT_LT(errors.peaks[0].area.value, 0.1 * ws.peaks[0].area);
}

// A second region holding the same two lines 10 eV higher, its first peak's position and width tied
// to peak 0's: the fit of either region moves both, and their errors come from that one joint fit.
TEST_F(UncertaintyTest, ARegionTiedToAnotherTakesItsErrorsFromTheirJointFit) {
    Region& second = testing::makeRegion(ws, 1, 201, 305.0f, 0.05f, [](double) { return 0.0; });
    std::mt19937 random(8);
    for (int i = 1; i <= second.pointCount; ++i)
        second.counts[i] = static_cast<float>(std::poisson_distribution<int>(300.0 + truthAt(second.energy[i] - 10.0))(random));
    testing::acceptBackgroundOf(ws, port, BackgroundType::Linear, 1);
    testing::addPeak(ws, 1, 2, 298.0f, 2000.0f, 1.2f, 30).fixGl = 1;
    testing::addPeak(ws, 1, 3, 299.2f, 900.0f, 1.2f, 30).fixGl = 1;
    tie(ws, PeakParam::Position, 2, 0, ConstraintOp::Add, 10.0f);
    tie(ws, PeakParam::Fwhm, 2, 0, ConstraintOp::Multiply, 1.0f);
    applyAllRelations(ws);
    for (int region : {0, 1, 0}) {
        ws.currentRegion = static_cast<short>(region);
        optimiseRegion(ws, port);
    }
    const RegionErrors first = standardErrors(ws, 0);
    const RegionErrors tied = standardErrors(ws, 1);
    EXPECT_EQ(first.points, 402);
    EXPECT_EQ(tied.points, 402);
    EXPECT_EQ(first.parameters, tied.parameters);
    EXPECT_EQ(first.freeParameters, 10);  // peak 2 has only its area of its own
    EXPECT_EQ(first.correlation, tied.correlation);
    ASSERT_TRUE(tied.peaks[0].position.known() && tied.peaks[0].fwhm.known());
    EXPECT_EQ(tied.peaks[0].position.value, first.peaks[0].position.value);
    EXPECT_EQ(tied.peaks[0].fwhm.value, first.peaks[0].fwhm.value);
    // Monte Carlo replicas fit the same joint problem: the same replicas whichever region asks.
    const MonteCarloErrors firstReplicas = monteCarloErrors(ws, 0, 20, 2);
    const MonteCarloErrors tiedReplicas = monteCarloErrors(ws, 1, 20, 2);
    ASSERT_EQ(tiedReplicas.replicas, 20);
    ASSERT_TRUE(tiedReplicas.peaks[0].position.known() && tiedReplicas.peaks[0].fwhm.known());
    EXPECT_NEAR(tiedReplicas.peaks[0].position.value, firstReplicas.peaks[0].position.value, 1e-9);
    EXPECT_EQ(tiedReplicas.peaks[0].fwhm.value, firstReplicas.peaks[0].fwhm.value);
    // With the second region's own parameters frozen, the first's area would seem better known.
    for (int p : {2, 3}) ws.peaks[p].fixArea = 1;
    ws.peaks[3].fixPosition = ws.peaks[3].fixFwhm = 1;
    EXPECT_LT(standardErrors(ws, 0).peaks[0].fwhm.value, first.peaks[0].fwhm.value);

    // A tie to a parameter that does not move holds the tied one: it is tied, not fixed.
    ws.peaks[0].fixPosition = 1;
    const RegionErrors held = standardErrors(ws, 1);
    EXPECT_EQ(held.peaks[0].position.kind, Kind::Tied);
    EXPECT_EQ(held.peaks[1].position.kind, Kind::Fixed);
    EXPECT_TRUE(held.peaks[0].fwhm.known());
    const MonteCarloErrors heldReplicas = monteCarloErrors(ws, 1, 10, 2);
    for (const auto* spread : {&heldReplicas.peaks, &heldReplicas.robust}) {
        EXPECT_EQ((*spread)[0].position.kind, Kind::Tied);
        EXPECT_EQ((*spread)[1].position.kind, Kind::Fixed);
        EXPECT_TRUE((*spread)[0].fwhm.known());
    }
}

TEST(JointPeaks, TiesJoinRegionsInEitherDirectionAndThroughOthers) {
    Workspace ws;
    for (int region = 0; region < 4; ++region) {
        testing::makeRegion(ws, region, 11, 290.0f, 0.1f, [](double) { return 100.0; });
        testing::addPeak(ws, region, 2 * region, 289.5f, 10.0f, 1.0f);
        testing::addPeak(ws, region, 2 * region + 1, 289.0f, 10.0f, 1.0f);
    }
    tie(ws, PeakParam::Area, 3, 0, ConstraintOp::Multiply, 2.0f);  // region 1 follows region 0
    tie(ws, PeakParam::Fwhm, 2, 5, ConstraintOp::Add, 0.0f);       // region 1 leads region 2
    const std::vector<int> joined{0, 1, 2, 3, 4, 5};
    for (int region : {0, 1, 2}) EXPECT_EQ(jointPeaks(ws, region), joined) << region;
    EXPECT_EQ(jointPeaks(ws, 3), (std::vector<int>{6, 7}));
    // A tie to a peak that is gone joins nothing.
    ws.peaks[5].defined = kFalse;
    EXPECT_EQ(jointPeaks(ws, 2), (std::vector<int>{4, 5}));
}

TEST_F(UncertaintyTest, WhatTheDataCannotTellApartIsNotDetermined) {
    // A third peak exactly on the first: only their sum is known.
    testing::addPeak(ws, 0, 2, 288.0f, 500.0f, 1.2f, 30).fixGl = 1;
    ws.peaks[0].fixPosition = ws.peaks[0].fixFwhm = 1;
    ws.peaks[2].fixPosition = ws.peaks[2].fixFwhm = 1;
    const RegionErrors errors = standardErrors(ws, 0);
    EXPECT_EQ(errors.peaks[0].area.kind, Kind::NotDetermined);
    EXPECT_EQ(errors.peaks[2].area.kind, Kind::NotDetermined);
    EXPECT_EQ(errors.peaks[0].height.kind, Kind::NotDetermined);
    EXPECT_TRUE(errors.peaks[1].position.known());
    EXPECT_TRUE(std::isfinite(errors.peaks[1].area.value));

    // A region without an accepted background has no errors at all.
    ws.regions[0].backgroundSet = kFalse;
    EXPECT_TRUE(standardErrors(ws, 0).peaks.empty());
}

// The replicas draw the background again from their noisy data, so they are held against the errors
// that count the background's noise.
TEST_F(UncertaintyTest, MonteCarloAgreesWithTheJacobianAndNotWithTheNumberOfThreads) {
    optimiseRegion(ws, port);
    const MonteCarloErrors one = monteCarloErrors(ws, 0, 40, 1);
    const MonteCarloErrors three = monteCarloErrors(ws, 0, 40, 3);
    ASSERT_EQ(one.replicas, 40);
    ASSERT_EQ(one.peaks.size(), 2u);
    const RegionErrors errors = standardErrors(ws, 0);
    for (std::size_t k = 0; k < 2; ++k) {
        for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
            EXPECT_EQ(one.peaks[k].of(param).value, three.peaks[k].of(param).value);
            EXPECT_EQ(one.robust[k].of(param).value, three.robust[k].of(param).value);
            const double jacobian = errors.peaks[k].of(param).value;
            // Forty replicas estimate the 16-84 % range to about 15 %; the two peaks overlap, and a
            // replica now and then ends in another division of their intensity, which the range ignores.
            EXPECT_NEAR(one.robust[k].of(param).value, jacobian, 0.4 * jacobian)
                << "peak " << k << " parameter " << static_cast<int>(param);
        }
        EXPECT_EQ(one.peaks[k].gl.kind, StandardError::Kind::Fixed);
        EXPECT_TRUE(one.peaks[k].height.known());
    }
}

// A hundred and fifty noisy C 1s spectra on each background, drawn from the noisy data: each ±1
// standard error interval should hold the truth about 68 % of the time, and z = (fitted - truth) / error
// have a root mean square near 1; 600 cases a kind (four peaks each).  The 300-spectrum figures run
// with the benchmarks.
TEST(ErrorCoverage, OneStandardErrorHoldsTheTruthAboutTwoTimesInThree) {
    for (auto background : {testing::CoverageBackground::Shirley, testing::CoverageBackground::Linear}) {
        const testing::ErrorCoverage coverage = testing::errorCoverage(150, 1, background);
        for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
            EXPECT_GT(coverage.share(param), 0.6) << static_cast<int>(param);
            EXPECT_LT(coverage.share(param), 0.76) << static_cast<int>(param);
            EXPECT_GT(coverage.rmsZ(param), 0.85) << static_cast<int>(param);
            EXPECT_LT(coverage.rmsZ(param), 1.2) << static_cast<int>(param);
            EXPECT_EQ(coverage.cases[static_cast<std::size_t>(param)], 600) << static_cast<int>(param);
        }
    }
}

}  // namespace
}  // namespace vortlan
