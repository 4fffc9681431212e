// Monte Carlo errors: noise from the data's statistics whatever their unit, each replica a whole
// experiment whose background is drawn again from its noisy data, replicas matched to their parents
// before the spread is taken, a spread that a few wild replicas cannot inflate, and a reason when no
// replica can be run.

#include "fit/monte_carlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "fit/monte_carlo_experiment.h"
#include "fit/monte_carlo_matching.h"
#include "fit/monte_carlo_spread.h"
#include "fit/uncertainty.h"
#include "support/monte_carlo_spectra.h"
#include "support/synthetic_fits.h"
#include "workspace/recording_port.h"

namespace vortlan {
namespace {

using Kind = StandardError::Kind;

TEST(MonteCarlo, NoiseFollowsTheDataStatisticsNotTheirUnit) {
    struct Case {
        const char* unit;
        Acquisition acquisition;
        double perCount;  // units of intensity a count
        const char* noise;
        bool fromResiduals;  // the noise scaled to the fit's residuals
    };
    // Count rates of a 0.4 s dwell over 5 scans: a count is 0.5 c/s.  Known counts draw the same noise
    // as the counts themselves, whatever scatter the data show; noise from the residuals is as large
    // as the scatter the Jacobian's errors are scaled by.
    const Case cases[] = {
        {"counts", {}, 1.0, "Poisson noise on the counts", false},
        {"c/s", {0.4, 5, {}}, 0.5, "Poisson noise on the counts of 0.4 s x 5 scans a point", false},
        {"c/s",
         {},
         0.001,
         "noise scaled to the fit's residuals (count rates without dwell time and scans)",
         true},
        {"", {}, 1.0, "noise scaled to the fit's residuals (the unit does not say counts)", true},
    };
    constexpr int kReplicas = 200;
    const MonteCarloErrors counts =
        monteCarloErrors(testing::fittedTwoPeaks(1.0, "counts", {}), 0, kReplicas, 2);
    for (const Case& c : cases) {
        const Workspace ws = testing::fittedTwoPeaks(c.perCount, c.unit, c.acquisition);
        const MonteCarloErrors errors = monteCarloErrors(ws, 0, kReplicas, 2);
        const RegionErrors jacobian = standardErrors(ws, 0);
        EXPECT_EQ(errors.noise, c.noise);
        ASSERT_EQ(errors.replicas, kReplicas) << c.noise;
        ASSERT_TRUE(jacobian.noiseScale);
        // A count rate y of c counts a unit has the variance y / c, which the Jacobian's σ² estimates.
        const double countsPerUnit = 1.0 / c.perCount;
        const double scale = c.fromResiduals ? 1.0 : 1.0 / std::sqrt(countsPerUnit * *jacobian.noiseScale);
        for (std::size_t k = 0; k < 2; ++k) {
            for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
                const double expected = jacobian.peaks[k].of(param).value * scale;
                // Two hundred replicas estimate the 16-84 % range to about 9 %.
                EXPECT_NEAR(errors.robust[k].of(param).value, expected, 0.25 * expected)
                    << c.noise << ": peak " << k << " parameter " << static_cast<int>(param);
                if (c.fromResiduals) continue;
                const double inUnits = param == PeakParam::Area ? c.perCount : 1.0;
                EXPECT_NEAR(errors.peaks[k].of(param).value, counts.peaks[k].of(param).value * inUnits,
                            0.01 * counts.peaks[k].of(param).value * inUnits);
            }
            EXPECT_EQ(errors.robust[k].gl.kind, Kind::Fixed);
        }
    }
}

// Four C 1s peaks on data that are their own background of each type, with the noise the data show (no
// unit): the replicas draw the end averages and the background again, so their spread is what the
// Jacobian's errors say, the background's share included (for the small peaks' areas on a Shirley
// background from single points, a third of the whole).
TEST(MonteCarlo, ReplicasDrawTheBackgroundAgainAndAgreeWithTheJacobian) {
    for (const testing::OwnBackground& background : testing::kOwnBackgrounds) {
        // Counts ten times the C 1s example's keep the fits near linear.
        const Workspace ws = testing::fittedOnOwnBackground(background, 10.0);
        const RegionErrors jacobian = standardErrors(ws, 0);
        const MonteCarloErrors replicas = monteCarloErrors(ws, 0, 400, 2);
        ASSERT_EQ(replicas.replicas, 400);
        for (std::size_t k = 0; k < jacobian.peaks.size(); ++k) {
            for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
                // Four hundred replicas estimate a deviation to about 4 %, the 16-84 % range to 6 %.
                const double expected = jacobian.peaks[k].of(param).value;
                for (const auto* spread : {&replicas.peaks, &replicas.robust}) {
                    EXPECT_NEAR((*spread)[k].of(param).value, expected, 0.2 * expected)
                        << "background " << static_cast<int>(background.type) << ", peak " << k
                        << ", parameter " << static_cast<int>(param);
                }
            }
        }
    }
}

// Without noise a replica is the experiment the fit was made on: its end averages, taken from the
// recorded points of their windows (here reaching beyond the range, where Lorentzian tails still
// rise above the line), draw the very background of the fit; with noise they draw another.
TEST(MonteCarlo, ANoiselessReplicaDrawsTheBackgroundOfTheFit) {
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    ws.options.glSum = kTrue;
    const PeakGradientEvaluator peak(LineForm::Sum, PeakShapeD{288.0, 5000, 1.2, 60, 0, 1, 0, 1});
    Region& r =
        testing::makeRegion(ws, 0, 201, 295.0f, 0.05f, [&](double e) { return 400.0 + peak.value(e); });
    r.rangeHigh = 292.0f;
    r.rangeLow = 286.0f;
    r.averagePoints = 7;
    testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
    testing::addPeak(ws, 0, 0, 288.0f, 5000.0f, 1.2f, 60);
    const SpectrumProblem problem(ws, FitSelection({0}));
    const std::vector<double> parent = problem.model(problem.start().data());
    for (double noiseScale : {0.0, 1.0}) {
        const std::optional<SpectrumProblem> replica = ReplicaExperiment(ws, problem, noiseScale).replica(3);
        ASSERT_TRUE(replica);
        const std::vector<double> model = replica->model(problem.start().data());
        ASSERT_EQ(model.size(), parent.size());
        for (std::size_t i : {std::size_t{0}, parent.size() / 2, parent.size() - 1}) {
            const double moved = std::fabs(model[i] - parent[i]);
            EXPECT_EQ(moved < 1e-4, noiseScale == 0.0) << "point " << i << " moved by " << moved;
        }
    }
}

// No replica runs when the region has nothing free, or when its noise must come from the residuals
// and there are no more points than free parameters to take its scale from; the errors say why.
TEST(MonteCarlo, SaysWhyNoReplicaCanRun) {
    struct Case {
        int points;
        bool allFixed;
        const char* why;
        Kind position;
    };
    const Case cases[] = {
        {5, false,
         "their noise would be scaled to the fit's residuals, and 5 points with 6 free parameters leave no "
         "scatter to scale it by",
         Kind::NotDetermined},
        {41, true, "nothing in the region is free to fit", Kind::Fixed},
    };
    for (const Case& c : cases) {
        Workspace ws;
        RecordingPort port;
        ws.options = defaultFitOptions();
        testing::makeRegion(ws, 0, c.points, 290.0f, 0.1f,
                            [](double e) { return 100.0 + 50.0 * (e > 289.8); });
        testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
        for (int p : {0, 1}) {
            Peak& peak = testing::addPeak(ws, 0, p, 289.8f - 0.1f * p, 40.0f, 0.4f);
            peak.fixGl = 1;
            if (c.allFixed) peak.fixPosition = peak.fixArea = peak.fixFwhm = 1;
        }
        const MonteCarloErrors errors = monteCarloErrors(ws, 0, 10, 2);
        EXPECT_EQ(errors.whyNone, c.why);
        EXPECT_EQ(errors.replicas, 0);
        ASSERT_EQ(errors.peaks.size(), 2u);
        EXPECT_EQ(errors.peaks[1].position.kind, c.position);
        EXPECT_EQ(errors.robust[1].gl.kind, Kind::Fixed);
    }

    // The errors hold a parameter left on a bound, and with nothing else free have no σ²; the replicas,
    // which move it within its bounds, take σ² from their own fit.
    Workspace ws;
    RecordingPort port;
    ws.options = defaultFitOptions();
    testing::makeRegion(ws, 0, 41, 290.0f, 0.1f, [](double e) { return 100.0 + 50.0 * (e > 289.0); });
    testing::acceptBackgroundOf(ws, port, BackgroundType::Linear);
    Peak& peak = testing::addPeak(ws, 0, 0, 288.0f, 40.0f, 1.0f);
    peak.fixPosition = peak.fixFwhm = peak.fixGl = 1;
    ParamConstraint& limits = ws.constraints[0].area;
    limits.limited = kTrue;
    limits.low = 10.0f;
    limits.high = 40.0f;
    ASSERT_FALSE(standardErrors(ws, 0).noiseScale);
    const MonteCarloErrors onBound = monteCarloErrors(ws, 0, 10, 2);
    EXPECT_EQ(onBound.whyNone, "");
    EXPECT_EQ(onBound.replicas, 10);
    EXPECT_TRUE(onBound.peaks[0].area.known());
}

// Peaks 0 and 1 alike, doublets 2 and 3 alike; doublet 4 split otherwise, singlet 5 at a fixed %GL,
// and 6 and 7 tied together: no partner for any of those.
TEST(MonteCarlo, PeaksThatCanTradePlacesAreMatchedToTheirParents) {
    Workspace ws;
    RecordingPort port;
    testing::makeRegion(ws, 0, 201, 300.0f, 0.1f, [](double) { return 100.0; });
    testing::acceptShirley(ws, port, 0);
    const float positions[] = {282.0f, 284.0f, 286.0f, 288.0f, 290.0f, 292.0f, 294.0f, 296.0f};
    const short types[] = {1, 1, 3, 3, 3, 1, 1, 1};
    for (int p = 0; p < 8; ++p) {
        Peak& peak = testing::addPeak(ws, 0, p, positions[p], 500.0f, 1.2f, 30, types[p]);
        peak.splitting = p == 4 ? 1.5f : 1.2f;
    }
    ws.peaks[5].fixGl = 1;
    testing::tie(ws, PeakParam::Area, 7, 6, ConstraintOp::Multiply, 0.5f);
    std::vector<int> peaks(8);
    std::iota(peaks.begin(), peaks.end(), 0);
    const SpectrumProblem problem(ws, FitSelection(peaks));
    const auto groups = exchangeablePeaks(ws, problem, peaks);
    ASSERT_EQ(groups, (std::vector<std::vector<std::size_t>>{{0, 1}, {2, 3}}));

    // Whatever a replica did within a group, each parent gets back the peak that stayed nearest it.
    std::vector<ReplicaPeak> parents;
    for (int p = 0; p < 8; ++p) parents.push_back({positions[p], 500.0 + p, 1.2, 30, 100.0});
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(-0.4, 0.4);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<ReplicaPeak> replica = parents;
        for (ReplicaPeak& peak : replica) peak[0] += jitter(random);
        const std::vector<ReplicaPeak> unswapped = replica;
        if (trial % 2 == 1) std::swap(replica[0], replica[1]);
        if (trial % 4 >= 2) std::swap(replica[2], replica[3]);
        EXPECT_EQ(matchToParents(replica, parents, groups), trial % 4 != 0) << trial;
        EXPECT_EQ(replica, unswapped) << trial;
    }
    // However a replica shuffled ten alike peaks of every size, each goes back to its parent.
    std::vector<ReplicaPeak> ten;
    for (int p = 0; p < 10; ++p)
        ten.push_back({280.0 + 1.5 * p, 100.0 * (1 + p % 4), 1.0 + 0.1 * (p % 3), 30, 1});
    const std::vector<std::vector<std::size_t>> all = {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}};
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<ReplicaPeak> shuffled = ten;
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        for (ReplicaPeak& peak : shuffled) peak[0] += jitter(random);
        std::vector<ReplicaPeak> matched = shuffled;
        matchToParents(matched, ten, all);
        for (std::size_t p = 0; p < ten.size(); ++p) EXPECT_NEAR(matched[p][1], ten[p][1], 1e-9) << trial;
    }

    // A small peak that wandered across a large one is still itself: only a swap of like peaks is one.
    std::vector<ReplicaPeak> crossed = {{31.41, 59000, 0.9, 30, 1}, {31.38, 3100, 0.93, 30, 1}};
    EXPECT_FALSE(matchToParents(crossed, {{31.4, 60000, 0.9, 30, 1}, {32.0, 3000, 0.95, 30, 1}}, {{0, 1}}));

    // A peak without a partner keeps its slot however far it went.
    std::vector<ReplicaPeak> replica = parents;
    std::swap(replica[4], replica[5]);
    const std::vector<ReplicaPeak> swappedAlone = replica;
    EXPECT_FALSE(matchToParents(replica, parents, groups));
    EXPECT_EQ(replica, swappedAlone);
}

TEST(MonteCarlo, HalfThe16To84RangeIsTheDeviationOfNormalValuesAndIgnoresAFewWildOnes) {
    std::mt19937 random(11);
    std::normal_distribution<double> normal(5.0, 2.0);
    std::vector<double> values(4000);
    for (double& v : values) v = normal(random);
    EXPECT_NEAR(standardDeviationOf(values).value, 2.0, 0.1);
    EXPECT_NEAR(halfCentralRangeOf(values).value, 2.0, 0.1);
    // One value in 200 far off, as a replica that fell into another minimum.
    for (std::size_t i = 0; i < values.size(); i += 200) values[i] = 500.0;
    EXPECT_GT(standardDeviationOf(values).value, 20.0);
    EXPECT_NEAR(halfCentralRangeOf(values).value, 2.0, 0.15);

    // Between sorted values the percentiles are interpolated: 1.635 and 4.365 of 1..5.
    EXPECT_NEAR(halfCentralRangeOf({5, 1, 4, 2, 3}).value, 1.3653795, 1e-6);
    EXPECT_DOUBLE_EQ(standardDeviationOf({1, 2, 3, 4, 5}).value, std::sqrt(2.5));
    for (const std::vector<double>& few : {std::vector<double>{}, std::vector<double>{1.0}}) {
        EXPECT_EQ(standardDeviationOf(few).kind, Kind::NotDetermined);
        EXPECT_EQ(halfCentralRangeOf(few).kind, Kind::NotDetermined);
    }
}

}  // namespace
}  // namespace vortlan
