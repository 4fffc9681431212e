// Monte Carlo errors: noise from the data's statistics whatever their unit, replicas matched to their
// parents before the spread is taken, and a spread that a few wild replicas cannot inflate.

#include "fit/monte_carlo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

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
        bool fromResiduals;  // the noise scaled by the scatter about the fit
        double tolerance;    // relative, against the errors of the same counts stored as counts
    };
    // Count rates of a 0.4 s dwell over 5 scans: a count is 0.5 c/s.  Known counts draw the same noise
    // as the counts themselves; the residuals give noise as large as the data scatter, which the end
    // points of a linear background make more than counting alone.
    const Case cases[] = {
        {"c/s", {0.4, 5, {}}, 0.5, "Poisson noise on the counts of 0.4 s x 5 scans a point", false, 0.01},
        {"c/s",
         {},
         0.001,
         "noise scaled to the fit's residuals (count rates without dwell time and scans)",
         true,
         0.2},
        {"", {}, 1.0, "noise scaled to the fit's residuals (the unit does not say counts)", true, 0.2},
    };
    const Workspace counts = testing::fittedTwoPeaks(1.0, "counts", {});
    const MonteCarloErrors reference = monteCarloErrors(counts, 0, 40, 2);
    EXPECT_EQ(reference.noise, "Poisson noise on the counts");
    const double scatter = std::sqrt(standardErrors(counts, 0).reducedStatistic);
    EXPECT_GT(scatter, 1.1);
    for (const Case& c : cases) {
        const MonteCarloErrors errors =
            monteCarloErrors(testing::fittedTwoPeaks(c.perCount, c.unit, c.acquisition), 0, 40, 2);
        EXPECT_EQ(errors.noise, c.noise);
        ASSERT_EQ(errors.replicas, 40) << c.noise;
        for (std::size_t k = 0; k < 2; ++k) {
            for (PeakParam param : {PeakParam::Position, PeakParam::Area, PeakParam::Fwhm}) {
                const double inUnits =
                    (param == PeakParam::Area ? c.perCount : 1.0) * (c.fromResiduals ? scatter : 1.0);
                const double expected = reference.peaks[k].of(param).value * inUnits;
                EXPECT_NEAR(errors.peaks[k].of(param).value, expected, c.tolerance * expected)
                    << c.noise << ": peak " << k << " parameter " << static_cast<int>(param);
                // Forty replicas estimate a percentile range less well than a deviation.
                EXPECT_NEAR(errors.robust[k].of(param).value, expected, 0.3 * expected);
            }
            EXPECT_EQ(errors.robust[k].gl.kind, Kind::Fixed);
        }
    }
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
